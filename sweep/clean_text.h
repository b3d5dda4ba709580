// What a clean did, and the texts it is told in: the summary line, the
// event log's lines and the --report JSON. No Windows call, so the native
// unit tests build it.
#pragma once

#include <string>
#include <vector>

#include "fs/tree.h"  // LeftReason

struct LeftItem {
    std::wstring path;
    LeftReason reason;
    std::string note;  // when set, says why instead of the reason (a browser store's error)
};

struct CategoryReport {
    int row = 0;
    unsigned long long bytesFreed = 0;
    unsigned long long itemsDeleted = 0;
    unsigned long long itemsLeft = 0;  // may exceed left.size(): the list is capped
    std::vector<LeftItem> left;
    std::string refused;  // why the category was not cleaned at all ("blocked by policy")
};

struct CleanReport {
    bool valid = false;  // false until a clean has ended
    std::vector<CategoryReport> categories;  // the cleaned ones, in table order
    unsigned long long bytesFreed = 0;
    unsigned long long itemsDeleted = 0;
    unsigned long long itemsLeft = 0;
    unsigned long long leftInUse = 0;
};

// "Cleaned 1.23 GB; 17 files in use were left", "Nothing was cleaned".
std::string CleanSummaryText(const CleanReport& report);

// The names a category is shown by.
struct CategoryNames {
    const char* shortName;  // "temp"
    const char* label;      // "Sweep Temporary Windows file"
};
typedef CategoryNames (*CategoryNamesOf)(int row);

// The event's inserts, in order: %1 user, %2 bytes freed, %3 items
// deleted, %4 items left, %5 one line per category, %6 the reason.
std::vector<std::string> CleanEventInserts(const std::string& user, const std::string& reason,
                                           const CleanReport& report, CategoryNamesOf names);
// The same fields as one JSON object; a refused clean has only its reason.
std::string CleanEventJson(unsigned long id, bool refused, const std::string& user, const std::string& reason,
                           const CleanReport& report, CategoryNamesOf names);
