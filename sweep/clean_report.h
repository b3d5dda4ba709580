// What the last CLEAN did, per category: filled by the clean itself as it
// deletes, so every front end that cleans gets it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fs/tree.h"
#include "sweep/clean_text.h"  // the report's structs and its texts
#include "sweep/sweep.h"

// Why an item was left, as the report shows it.
std::string LeftItemText(const LeftItem& item);

// At most this many left items are kept per category; the count goes on.
constexpr size_t kReportLeftCap = 10000;

// The report of the last clean that ended, copied under the lock: the
// worker replaces it at the end of each clean.
CleanReport CopyLastCleanReport();

// Records the deletions of the running clean into the report and the
// journal. Only the cleaning thread uses it; with no clean running it
// records nothing. Stop() answers the clean's abort.
class CleanRecorder : public TreeVisitor {
public:
    bool Stop() override;
    void OnDeleted(const TreeEntry& entry) override;
    void OnLeft(const TreeEntry& entry, LeftReason reason) override;
    // For deletions that are not a walk's (cache entries, named files).
    void Deleted(std::wstring_view path, bool isFolder, unsigned long long size);
    void Left(std::wstring_view path, LeftReason reason);
    // The whole category was refused, with why.
    void Refused(const char* why);
    // Entries removed from inside a file (a browser database's rows): one
    // line for the lot, `count` items, `what` saying what they were.
    void DeletedEntries(std::wstring_view store, const std::string& what, unsigned long long count,
                        unsigned long long bytes);
    // A store or profile left as it was, with why.
    void LeftWithNote(std::wstring_view path, const std::string& note);
};
CleanRecorder& ActiveCleanRecorder();

// The clean engine's calls around its steps.
void BeginCleanReport(const CategoryTicks& ticked);
void BeginCategoryReport(int row);
void EndCleanReport();
