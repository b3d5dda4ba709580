// The sweep categories, their measurement and their ticks.
#pragma once

#include <windows.h>

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

void MeasureCategories();
void RefreshSweep();
void ReadTicksFromList();
void SaveCategoryTicks();
void LoadCategoryTicks();
// A copy of the whole sweep table as last published.
void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]);
