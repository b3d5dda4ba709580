// The drive cleaner's process-wide state, in one place, behind one lock.
// The disk scan runs on its own thread while the main window stays usable
// (Add/Remove filter, Quick Refresh, View Files), so every read or write of
// these tables takes `lock`, for a few instructions only: never while
// sending a window message to another thread or running a dialog.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "drives/drive_table.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "fs/data_file.h"

struct DrivesState {
    std::mutex lock;
    std::vector<FilterEntry> filters;
    DriveSlot drives[kDriveSlots] = {};
    FoundFileStore found;
    // Changes whenever the found-files array changes, so that a dialog
    // opened on an older array does not write its ticks onto another.
    unsigned foundGeneration = 0;
    // The found-files dialog's totals of the last completed scan; a clean
    // of the found files sets them to 0.
    unsigned long long filesChecked = 0;
    unsigned long long filesFound = 0;
    // The sweep table's "Other temporary files" row, kept here only: the
    // last completed scan's result, until the next one completes.
    unsigned long long resultFiles = 0;
    unsigned long long resultBytes = 0;
    bool diskScanStarted = false;  // in this run
    // datafilters.txt as it was read; main thread only, outside `lock`.
    DataFile filterFile;
};

extern DrivesState g_drives;

