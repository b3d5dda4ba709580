// What the last CLEAN did, per category: filled by the clean itself as it
// deletes, so every front end that cleans gets it.
#pragma once

#include <atomic>
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

// Records the deletions of one clean into its report and the journal, and
// publishes the report at its end. Only the cleaning thread uses it;
// outside Begin and End, or before a category began, it records nothing.
// Stop() answers the clean's abort.
class CleanRecorder : public TreeVisitor {
public:
    // `abort`, when given, is the flag the clean's caller may set from any
    // thread; it must outlive the recorder.
    explicit CleanRecorder(const std::atomic<bool>* abort = nullptr) : abort_(abort) {}
    CleanRecorder(const CleanRecorder&) = delete;
    CleanRecorder& operator=(const CleanRecorder&) = delete;

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

    // The clean engine's calls around its steps. End writes the journal's
    // footer, tells the event log and publishes the report as the last.
    void Begin(const CategoryTicks& ticked);
    void BeginCategory(int row);
    void End();

private:
    const std::atomic<bool>* abort_;
    CleanReport running_;
    CategoryReport* current_ = nullptr;
};
