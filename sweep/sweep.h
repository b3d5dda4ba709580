// The sweep categories, their measurement and their ticks.
#pragma once

#include <windows.h>

#include "sweep/measure.h"

enum : int {
    SWEEP_INTERNET_CACHE = 0,
    SWEEP_COOKIES = 1,
    SWEEP_RECENT = 2,
    SWEEP_TEMP = 3,
    SWEEP_HISTORY = 4,
    SWEEP_OTHER = 5,
    SWEEP_RECYCLE_BIN = 6,
    SWEEP_TOTALS = 7,
    SWEEP_COUNT = 8
};

struct SweepCategory {
    char label[256];
    BYTE ticked;
    unsigned long long files;
    unsigned long long folders;
    unsigned long long bytes;
};

// One category's figures and when their measurement began (0: never).
struct CategoryMeasurement {
    ScanCounters counters;
    unsigned long long stamp = 0;
};

// Measures one category (0 to 4 or 6) into `out`, which the caller owns. A
// category whose folder cannot be found or is not a plain absolute folder
// measures 0, 0, 0. Index 5 and 7 measure nothing here.
void MeasureCategory(int index, CategoryMeasurement& out);
// Publishes the measured categories 0 to 4 and 6 together with new totals,
// in one step. A category keeps figures of a measurement that began later
// than this one's; index 5 and the ticks are left as they are.
void PublishMeasuredCategories(const CategoryMeasurement (&measured)[SWEEP_COUNT]);

// Measures categories 0 to 4 and 6 and publishes them with the totals.
void MeasureCategories();
// MeasureCategories, then FillResultsLists keeping the ticks the list
// shows. Safe from any thread.
void RefreshSweep();
// Copies the results list's checkboxes of rows 0 to 6 into the ticks.
// While there is no results list the ticks stay as they are.
void ReadTicksFromList();
// Stores the eight ticks under HKLM "Software\VOSK Software\Brisola".
void SaveCategoryTicks();
// Reads them back. A missing value, or one that is not 4 bytes of
// REG_BINARY (or REG_DWORD), leaves that record's tick as it is (the
// table's initial tick at start-up); 1 ticks, any other number unticks.
void LoadCategoryTicks();

// A copy of the whole sweep table as last published.
void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]);
// Sets one record's tick (tests, and callers that hold no results list).
void SetCategoryTick(int index, BYTE ticked);

// For the disk scan: writes category 5 (files, 0 folders, bytes) and the
// totals in one step. Thread-safe.
void PublishOtherTemporaryFiles(unsigned long long files, unsigned long long bytes);
// The disk-scan-run flag: set once a disk scan has started, never cleared.
void MarkDiskScanStarted();
bool DiskScanStarted();

// Restores the table's initial state (tests only).
void ResetSweepTableForTest();
