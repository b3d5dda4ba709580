// The disk scan: walks the ticked fixed drives and records every file that
// an enabled filter matches.
//
// The scan runs on the worker thread while the main window stays usable,
// so it works only on its own things: the snapshot of roots and filters
// its caller took before it started, its own counters and its own record
// store. The records reach the found-files array whole, under the lock,
// when the scan ends (a stopped scan keeps what it found so far); the
// totals and the sweep row only when it completes.
#include "drives/disk_scan.h"

#include "fs/text.h"
#include "fs/tree.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "drives/drive_table.h"
#include "drives/drives_state.h"
#include "drives/filter_match.h"
#include "drives/filters.h"
#include "drives/found_files.h"

namespace {

// The texts of the enabled filters, in the names' own UTF-16.
std::vector<std::wstring> EnabledFilterTexts(const std::vector<FilterEntry>& table) {
    std::vector<std::wstring> texts;
    for (const FilterEntry& entry : table)
        if (entry.enabled == 1) texts.push_back(WideFromAnsi(entry.filter));
    return texts;
}

// The scan's walk: whole drives, protected folders included (it deletes
// nothing itself), folder links counted but never entered.
TreeRules ScanRules() {
    TreeRules rules;
    rules.countIndexNames = true;
    rules.guardProtected = false;
    rules.allowDriveRoot = true;
    rules.countLinkedFolders = true;
    return rules;
}

class DiskScan : public TreeVisitor {
public:
    DiskScan(const std::vector<FilterEntry>& table, const DiskScanProgress& progress)
        : filters_(EnabledFilterTexts(table)), progress_(progress), showPosition_(progress.position != nullptr) {}

    // Scans one drive ("C:") or folder; false when the scan was stopped.
    bool ScanRoot(const char* root) {
        std::wstring path = TrimFolderPath(WideFromAnsi(root));
        if (path.size() == 2 && path[1] == L':') path += L'\\';
        records_.assign(1, -1);
        shownFolders_.assign(1, AnsiFromWide(path.size() == 3 && path[1] == L':' ? path.substr(0, 2) : path));
        TreeResult result = WalkTree(path, TreeAction::Measure, ScanRules(), *this);
        filesSeen += result.counted.files;
        foldersSeen += result.counted.folders;
        return !result.stopped;
    }

    unsigned long long filesSeen = 0, foldersSeen = 0, bytes = 0, filesFound = 0;
    FoundFileStore records;

private:
    bool Stop() override { return progress_.stopRequested && progress_.stopRequested(); }

    // A new folder starts one level down: its record and shown path are
    // made when first needed.
    void OnFolder(const TreeEntry& entry) override {
        size_t below = static_cast<size_t>(entry.depth) + 1;
        records_.resize(below + 1);
        records_[below] = -1;
        shownFolders_.resize(below + 1);
        if (showPosition_) {
            std::wstring child = entry.folder + L"\\" + std::wstring(entry.name);
            shownFolders_[below] = AnsiFromWide(child);
            progress_.position(shownFolders_[below].c_str(), "");
        } else {
            shownFolders_[below].clear();
        }
    }

    void OnFile(const TreeEntry& entry) override {
        size_t depth = static_cast<size_t>(entry.depth);
        if (showPosition_) progress_.position(shownFolders_[depth].c_str(), AnsiFromWide(entry.name).c_str());
        uint32_t matches = filters_.Matches(entry.name);
        if (!matches) return;
        if (records_[depth] < 0) records_[depth] = records.AddFolder(Utf8FromWide(entry.folder).c_str());
        std::string name = Utf8FromWide(entry.name);
        for (uint32_t i = 0; i < matches; ++i) {
            bytes += entry.size;
            ++filesFound;
            records.Add(static_cast<uint32_t>(records_[depth]), name.c_str());
        }
    }

    FilterSet filters_;
    DiskScanProgress progress_;
    bool showPosition_;
    std::vector<int64_t> records_;           // per depth: the folder's record, or -1
    std::vector<std::string> shownFolders_;  // per depth: the folder as the progress dialog shows it
};

// Ends a scan: its records always join the found-files array; the totals
// and the sweep row change only when the scan completed.
bool FinishScan(const DiskScan& scan, bool completed) {
    PublishFoundFiles(scan.records);
    if (!completed) return false;
    PublishDiskScanResult(scan.filesSeen, scan.filesFound, scan.bytes);
    return true;
}

}  // namespace

DiskScanSnapshot TakeDiskScanSnapshot() {
    DiskScanSnapshot snapshot;
    for (int i = 0; i < kDriveSlots; ++i) {
        DriveSlot slot = GetDriveSlot(i);
        if (slot.selected == 1 && slot.type == DRIVE_FIXED) snapshot.roots.push_back(slot.root);
    }
    snapshot.filters = CopyFilterTable();
    return snapshot;
}

bool RunDiskScan(const DiskScanSnapshot& snapshot, const DiskScanProgress& progress) {
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        g_drives.diskScanStarted = true;
    }
    DiskScan scan(snapshot.filters, progress);
    for (const std::string& root : snapshot.roots) {
        if (!scan.ScanRoot(root.c_str())) return FinishScan(scan, false);
        if (progress.step) progress.step();
    }
    // A step per drive slot, so that a bar of that many steps ends full.
    for (size_t i = snapshot.roots.size(); i < static_cast<size_t>(kDriveSlots) && progress.step; ++i) progress.step();
    return FinishScan(scan, true);
}

bool RunDiskScanOfFolders(const std::vector<std::string>& folders, const DiskScanProgress& progress) {
    return RunDiskScan(DiskScanSnapshot{folders, CopyFilterTable()}, progress);
}

DiskScanReport GetDiskScanReport() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return DiskScanReport{g_drives.diskScanStarted, g_drives.resultFiles, g_drives.resultBytes};
}

void PublishDiskScanResult(unsigned long long filesChecked, unsigned long long filesFound,
                           unsigned long long bytes) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filesChecked = filesChecked;
    g_drives.filesFound = g_drives.resultFiles = filesFound;
    g_drives.resultBytes = bytes;
}

void ClearDiskScanReport() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.diskScanStarted = false;
    g_drives.filesChecked = g_drives.filesFound = g_drives.resultFiles = g_drives.resultBytes = 0;
}


