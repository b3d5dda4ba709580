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

// Scans the snapshot's roots. Returns 1 when every root was scanned, 0 when
// the user stopped it.
int RunDiskScan(const DiskScanSnapshot& snapshot);

// The same over the given folders with the filter table as it is now; for
// tests and benchmarks.
int RunDiskScanOfFolders(const std::vector<std::string>& folders);

// What the scans have handed to the sweep table: whether a scan has
// started in this run, and the last completed scan's files and bytes.
struct DiskScanReport {
    bool started;
    unsigned long long files;
    unsigned long long bytes;
};
DiskScanReport GetDiskScanReport();

// Tests and benchmarks replace the stop test (normally the progress
// dialog's Stop) and can turn the position display off. nullptr restores.
typedef bool (*ScanStopTest)();
void SetScanStopTest(ScanStopTest test);
void SetScanPositionDisplay(bool on);
