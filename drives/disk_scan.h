// The disk scan by filters, run on the disk-scan thread.
#pragma once

#include <string>
#include <vector>

#include "drives/filters.h"

// What one scan works on, taken by its caller before the scan starts (the
// GUI on its own thread, from the lists): the scan never reads a window or
// a table that may change under it.
struct DiskScanSnapshot {
    std::vector<std::string> roots;    // "C:" or a folder
    std::vector<FilterEntry> filters;  // only the enabled ones are used
};
// The selected fixed drives of the drive table and the filter table, as
// they are now.
DiskScanSnapshot TakeDiskScanSnapshot();

// How a scan reports while it runs, given by its caller; the functions run
// on the scan's thread, and any of them may be null.
struct DiskScanProgress {
    bool (*stopRequested)() = nullptr;
    // The folder being walked and the file just seen ("" between files).
    void (*position)(const char* folder, const char* file) = nullptr;
    // Once per drive slot, kDriveSlots times in a completed scan.
    void (*step)() = nullptr;
};

// Scans the snapshot's roots. True when every root was scanned, false when
// it was stopped.
bool RunDiskScan(const DiskScanSnapshot& snapshot, const DiskScanProgress& progress = {});

// The same over the given folders with the filter table as it is now; for
// tests and benchmarks.
bool RunDiskScanOfFolders(const std::vector<std::string>& folders, const DiskScanProgress& progress = {});

// What the sweep table's "Other temporary files" row shows: whether a scan
// has started in this run, and the last completed scan's files and bytes.
struct DiskScanReport {
    bool started;
    unsigned long long files;
    unsigned long long bytes;
};
DiskScanReport GetDiskScanReport();
// What a completed scan leaves: the found-files dialog's totals and the
// sweep row's figures.
void PublishDiskScanResult(unsigned long long filesChecked, unsigned long long filesFound,
                           unsigned long long bytes);
// Back to no scan started and zero totals.
void ClearDiskScanReport();
