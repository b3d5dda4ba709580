// The after-clean report, filled as the clean deletes.
#include "sweep/clean_report.h"

#include <cstdio>
#include <mutex>

#include "fs/text.h"
#include "sweep/categories.h"
#include "sweep/clean_event.h"
#include "sweep/journal.h"

namespace {

struct ReportState {
    std::mutex lock;         // guards published
    CleanReport published;   // the last clean that ended
};
ReportState g_report;

std::wstring PathOf(const TreeEntry& entry) {
    std::wstring path = entry.folder;
    path += L'\\';
    path.append(entry.name);
    return path;
}

}  // namespace

bool CleanRecorder::Stop() { return abort_ && abort_->load(); }

void CleanRecorder::OnDeleted(const TreeEntry& entry) { Deleted(PathOf(entry), entry.isFolder, entry.size); }

void CleanRecorder::OnLeft(const TreeEntry& entry, LeftReason reason) { Left(PathOf(entry), reason); }

void CleanRecorder::Deleted(std::wstring_view path, bool isFolder, unsigned long long size) {
    CategoryReport* category = current_;
    if (!category) return;
    if (isFolder) size = 0;
    ++category->itemsDeleted;
    category->bytesFreed += size;
    JournalDeleted(path, isFolder, size);
}

void CleanRecorder::Left(std::wstring_view path, LeftReason reason) {
    CategoryReport* category = current_;
    if (!category) return;
    ++category->itemsLeft;
    if (reason == LeftReason::InUse) ++running_.leftInUse;
    if (category->left.size() < kReportLeftCap) category->left.push_back({std::wstring(path), reason, std::string()});
    JournalLeft(path, reason);
}

void CleanRecorder::Refused(const char* why) {
    CategoryReport* category = current_;
    if (category) category->refused = why ? why : "";
}

void CleanRecorder::DeletedEntries(std::wstring_view store, const std::string& what, unsigned long long count,
                                   unsigned long long bytes) {
    CategoryReport* category = current_;
    if (!category) return;
    category->itemsDeleted += count;
    category->bytesFreed += bytes;
    JournalDeletedEntries(store, what, bytes);
}

void CleanRecorder::LeftWithNote(std::wstring_view path, const std::string& note) {
    CategoryReport* category = current_;
    if (!category) return;
    ++category->itemsLeft;
    if (category->left.size() < kReportLeftCap) category->left.push_back({std::wstring(path), LeftReason::Other, note});
    JournalLeftNote(path, note);
}

std::string LeftItemText(const LeftItem& item) { return item.note.empty() ? LeftReasonText(item.reason) : item.note; }

void CleanRecorder::Begin(const CategoryTicks& ticked) {
    running_ = CleanReport();
    current_ = nullptr;
    std::string labels;
    for (int row = 0; row < SWEEP_CATEGORIES; ++row)
        if (ticked[row] == 1) labels += (labels.empty() ? "" : ", ") + std::string(CategoryAt(row).label);
    running_.categories.reserve(SWEEP_CATEGORIES);
    JournalBegin(labels.empty() ? "(none)" : labels);
}

void CleanRecorder::BeginCategory(int row) {
    running_.categories.emplace_back();
    current_ = &running_.categories.back();
    current_->row = row;
}

void CleanRecorder::End() {
    current_ = nullptr;
    CleanReport& report = running_;
    report.valid = true;
    for (const CategoryReport& category : report.categories) {
        report.bytesFreed += category.bytesFreed;
        report.itemsDeleted += category.itemsDeleted;
        report.itemsLeft += category.itemsLeft;
    }
    JournalEnd(report);
    ReportCleanToEventLog(report);
    std::lock_guard<std::mutex> hold(g_report.lock);
    g_report.published = std::move(report);
    running_ = CleanReport();
}

CleanReport CopyLastCleanReport() {
    std::lock_guard<std::mutex> hold(g_report.lock);
    return g_report.published;
}
