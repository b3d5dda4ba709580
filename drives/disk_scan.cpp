// The disk scan: walks the ticked fixed drives and records every file that
// an enabled filter matches.
//
// The scan runs on the worker thread while the main window stays usable,
// so it works only on its own things: a copy of the enabled filters and of
// the drive table taken at its start, its own counters and its own record
// store. The records reach the found-files array whole, under the lock,
// when the scan ends (a stopped scan keeps what it found so far); the
// totals and the sweep row only when it completes.
#include "drives/disk_scan.h"

#include "app/folders.h"
#include "sweep/sweep.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "drives/drive_table.h"
#include "drives/drives_state.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "sweep/progress.h"

namespace {

std::atomic<ScanStopTest> g_stopTest{nullptr};
std::atomic<bool> g_showPosition{true};

const size_t kPathMax = 255;

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The enabled filters, as a table of how many enabled filters hold each
// text: a file matched by two equal filters is recorded twice.
class FilterSet {
public:
    explicit FilterSet(const std::vector<FilterEntry>& table) {
        for (const FilterEntry& entry : table)
            if (entry.enabled == 1) texts_.emplace_back(entry.filter);
        for (const std::string& text : texts_) ++counts_[std::string_view(text)];
    }

    // How many enabled filters match the file name: a filter matches when
    // it equals the name from its first dot on, or the whole name, byte
    // for byte. Names without a dot match nothing.
    uint32_t Matches(const char* name) const {
        if (counts_.empty()) return 0;
        const char* dot = strchr(name, '.');
        if (!dot) return 0;
        uint32_t count = Lookup(dot);
        if (dot != name) count += Lookup(name);  // else the two tests are one
        return count;
    }

private:
    uint32_t Lookup(const char* text) const {
        auto it = counts_.find(std::string_view(text));
        return it == counts_.end() ? 0 : it->second;
    }

    std::vector<std::string> texts_;  // owns the keys' characters; never changes after construction
    std::unordered_map<std::string_view, uint32_t> counts_;
};

bool StopWanted() {
    ScanStopTest test = g_stopTest.load();
    return test ? test() : StopRequested();
}

class DiskScan {
public:
    explicit DiskScan(const std::vector<FilterEntry>& table) : filters_(table) {}

    // Scans one drive or folder; false when the scan was stopped.
    bool ScanRoot(const char* root) {
        size_t length = strlen(root);
        while (length > 2 && root[length - 1] == '\\') --length;
        if (length > kPathMax) return true;  // never act on a path that does not fit
        memcpy(path_, root, length);
        path_[length] = '\0';
        return ScanDirectory(length) != 0;
    }

    unsigned long long filesSeen = 0, foldersSeen = 0, bytes = 0, filesFound = 0;
    FoundFileStore records;

private:
    // Scans the folder held in path_ (its first `length` characters).
    // Returns 0 when stopped, 1 to go on.
    int ScanDirectory(size_t length) {
        if (StopWanted()) return 0;
        memcpy(path_ + length, "\\*.*", 5);
        WIN32_FIND_DATAA data;
        FindHandle find(StartListing(path_, data));
        path_[length] = '\0';
        if (!find) return 1;
        int64_t folder = -1;  // this folder's index in the records, once one is made
        do {
            const char* name = data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (IsDots(name)) continue;
                ++foldersSeen;
                // A junction or a directory link is never entered.
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
                size_t nameLength = strlen(name);
                if (length + 1 + nameLength > kPathMax) continue;
                path_[length] = '\\';
                memcpy(path_ + length + 1, name, nameLength + 1);
                if (g_showPosition.load(std::memory_order_relaxed)) ReportScanPosition(path_, "");
                int goOn = ScanDirectory(length + 1 + nameLength);
                path_[length] = '\0';
                if (!goOn) return 0;
            } else {
                if (StopWanted()) return 0;
                ++filesSeen;
                if (g_showPosition.load(std::memory_order_relaxed)) ReportScanPosition(path_, name);
                uint32_t matches = filters_.Matches(name);
                if (!matches) continue;
                unsigned long long size =
                    (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                if (folder < 0) folder = records.AddFolder(path_);
                for (uint32_t i = 0; i < matches; ++i) {
                    bytes += size;
                    ++filesFound;
                    records.Add(static_cast<uint32_t>(folder), name);
                }
            }
        } while (FindNextFileA(find.get(), &data));
        return 1;
    }

    FilterSet filters_;
    char path_[kPathMax + 5];  // a path, then room for "\*.*"
};

// The two points where the disk scan reports to the sweep table's "Sweep
// Other temporary files" row and its "(USE SCAN)" flag.
void ReportDiskScanStarted() {
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        g_drives.diskScanStarted = true;
    }
    MarkDiskScanStarted();
}

void ReportOtherTemporaryFiles(unsigned long long files, unsigned long long bytes) {
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        g_drives.otherFiles = files;
        g_drives.otherBytes = bytes;
    }
    PublishOtherTemporaryFiles(files, bytes);
}

// Ends a scan: its records always join the found-files array; the totals
// and the sweep row change only when the scan completed.
int FinishScan(const DiskScan& scan, bool completed) {
    PublishFoundFiles(scan.records);
    if (!completed) return 0;
    SetFoundFilesTotals(scan.filesSeen, scan.filesFound);
    ReportOtherTemporaryFiles(scan.filesFound, scan.bytes);
    return 1;
}

}  // namespace

int RunDiskScan() {
    ReportDiskScanStarted();
    RefreshDriveTable();
    DiskScan scan(CopyFilterTable());
    DriveSlot slots[kDriveSlots];
    for (int i = 0; i < kDriveSlots; ++i) slots[i] = GetDriveSlot(i);
    for (const DriveSlot& slot : slots) {
        if (slot.selected == 1 && slot.type == DRIVE_FIXED && !scan.ScanRoot(slot.root))
            return FinishScan(scan, false);
        StepProgressBar();
    }
    return FinishScan(scan, true);
}

int RunDiskScanOfFolders(const std::vector<std::string>& folders) {
    ReportDiskScanStarted();
    DiskScan scan(CopyFilterTable());
    for (const std::string& folder : folders)
        if (!scan.ScanRoot(folder.c_str())) return FinishScan(scan, false);
    return FinishScan(scan, true);
}

DiskScanReport GetDiskScanReport() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return DiskScanReport{g_drives.diskScanStarted, g_drives.otherFiles, g_drives.otherBytes};
}

void SetScanStopTest(ScanStopTest test) { g_stopTest.store(test); }

void SetScanPositionDisplay(bool on) { g_showPosition.store(on); }
