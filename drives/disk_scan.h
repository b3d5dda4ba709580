// The disk scan by filters, run on the disk-scan thread.
#pragma once

#include <string>
#include <vector>

// Scans the ticked fixed drives. Returns 1 when every selected drive was
// scanned, 0 when the user stopped it.
int RunDiskScan();

// The same scan over the given folders instead of the ticked drives, with
// the filters enabled in the table now and without reading the lists; for
// tests and benchmarks. Publishes exactly as RunDiskScan does.
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
