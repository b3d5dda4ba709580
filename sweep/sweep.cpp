// The sweep table: its measurement, its ticks and their registry store.
#include "sweep/sweep.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "app/app_state.h"
#include "settings/settings.h"
#include "sweep/measure.h"
#include "sweep/results_list.h"

namespace {

const SweepCategory kInitialTable[SWEEP_COUNT] = {
    {"Sweep Temporary Internet Files", 1, 0, 0, 0}, {"Sweep Internet cookies", 1, 0, 0, 0},
    {"Sweep Start menu Documents", 1, 0, 0, 0},     {"Sweep Temporary Windows file", 1, 0, 0, 0},
    {"Sweep Internet History", 1, 0, 0, 0},         {"Sweep Other temporary files", 0, 0, 0, 0},
    {"Sweep Recycle Bin", 1, 0, 0, 0},              {"OVERALL GAIN", 0, 0, 0, 0},
};

// The junk sweep's shared state. The table is only ever read or written
// whole under the lock; measuring happens outside it on per-run counters.
struct SweepState {
    std::mutex lock;
    SweepCategory table[SWEEP_COUNT];
    std::atomic<bool> diskScanStarted{false};
    // When the published figures of each category began to be measured.
    unsigned long long measuredAt[SWEEP_COUNT] = {};
    std::atomic<unsigned long long> nextStamp{1};
    SweepState() { memcpy(table, kInitialTable, sizeof table); }
};

SweepState g_sweep;

// Index 7 = the sums over 0 to 6, ticked or not. Called with the lock held.
void UpdateTotals(SweepCategory (&table)[SWEEP_COUNT]) {
    SweepCategory& totals = table[SWEEP_TOTALS];
    totals.files = totals.folders = totals.bytes = 0;
    for (int i = 0; i < SWEEP_TOTALS; ++i) {
        totals.files += table[i].files;
        totals.folders += table[i].folders;
        totals.bytes += table[i].bytes;
    }
}

int FolderCsidl(int index) {
    switch (index) {
    case SWEEP_COOKIES: return CSIDL_COOKIES;
    case SWEEP_RECENT: return CSIDL_RECENT;
    case SWEEP_HISTORY: return CSIDL_HISTORY;
    default: return -1;
    }
}

// The temp folder, or false when it is unknown or does not fit.
bool GetTempFolder(char (&out)[256]) {
    DWORD length = GetTempPathA(sizeof out, out);
    if (length == 0 || length >= sizeof out) {
        out[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

void MeasureCategory(int index, CategoryMeasurement& out) {
    out = CategoryMeasurement();
    out.stamp = g_sweep.nextStamp++;
    ScanCounters& counters = out.counters;
    char folder[256] = {};
    switch (index) {
    case SWEEP_INTERNET_CACHE:
        MeasureUrlCache(counters);
        return;
    case SWEEP_COOKIES:
    case SWEEP_RECENT:
    case SWEEP_HISTORY:
        // A failed lookup leaves the folder empty, and an empty folder is
        // never walked: "\*.*" would list the root of the current drive.
        if (GetSpecialFolder(FolderCsidl(index), folder)) MeasureFolder(folder, counters);
        return;
    case SWEEP_TEMP:
        if (GetTempFolder(folder)) MeasureFolder(folder, counters);
        return;
    case SWEEP_RECYCLE_BIN:
        MeasureRecycleBin(counters);
        return;
    default:
        return;
    }
}

void PublishMeasuredCategories(const CategoryMeasurement (&measured)[SWEEP_COUNT]) {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    for (int i = 0; i < SWEEP_TOTALS; ++i) {
        if (i == SWEEP_OTHER || measured[i].stamp <= g_sweep.measuredAt[i]) continue;
        g_sweep.measuredAt[i] = measured[i].stamp;
        g_sweep.table[i].files = measured[i].counters.files;
        g_sweep.table[i].folders = measured[i].counters.folders;
        g_sweep.table[i].bytes = measured[i].counters.bytes;
    }
    UpdateTotals(g_sweep.table);
}

void MeasureCategories() {
    CategoryMeasurement measured[SWEEP_COUNT];
    for (int i : {SWEEP_INTERNET_CACHE, SWEEP_COOKIES, SWEEP_RECENT, SWEEP_TEMP, SWEEP_HISTORY, SWEEP_RECYCLE_BIN})
        MeasureCategory(i, measured[i]);
    PublishMeasuredCategories(measured);
}

void RefreshSweep() {
    MeasureCategories();
    FillResultsLists(true);
}

void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]) {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    memcpy(out, g_sweep.table, sizeof out);
}

void SetCategoryTick(int index, BYTE ticked) {
    if (index < 0 || index >= SWEEP_COUNT) return;
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    g_sweep.table[index].ticked = ticked;
}

void ReadTicksFromList() {
    BYTE ticks[SWEEP_TOTALS];
    if (!ReadResultsListTicks(ticks)) return;
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    for (int i = 0; i < SWEEP_TOTALS; ++i) g_sweep.table[i].ticked = ticks[i];
}

void SaveCategoryTicks() {
    ReadTicksFromList();
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    ProgramFlag ticks[SWEEP_COUNT];
    for (int i = 0; i < SWEEP_COUNT; ++i) ticks[i] = {kInitialTable[i].label, table[i].ticked};
    WriteProgramFlags(ticks, SWEEP_COUNT);
}

void LoadCategoryTicks() {
    // The same key as the settings, also for a standard user.
    HKEY key = OpenProgramKeyForReading();
    if (!key) return;
    BYTE loaded[SWEEP_COUNT];
    bool present[SWEEP_COUNT] = {};
    for (int i = 0; i < SWEEP_COUNT; ++i) present[i] = ReadProgramFlag(key, kInitialTable[i].label, loaded[i]);
    RegCloseKey(key);
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    for (int i = 0; i < SWEEP_COUNT; ++i)
        if (present[i]) g_sweep.table[i].ticked = loaded[i];
}

void PublishOtherTemporaryFiles(unsigned long long files, unsigned long long bytes) {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    g_sweep.table[SWEEP_OTHER].files = files;
    g_sweep.table[SWEEP_OTHER].folders = 0;
    g_sweep.table[SWEEP_OTHER].bytes = bytes;
    UpdateTotals(g_sweep.table);
}

void MarkDiskScanStarted() { g_sweep.diskScanStarted = true; }

bool DiskScanStarted() { return g_sweep.diskScanStarted; }

void ResetSweepTableForTest() {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    memcpy(g_sweep.table, kInitialTable, sizeof g_sweep.table);
    memset(g_sweep.measuredAt, 0, sizeof g_sweep.measuredAt);
    g_sweep.diskScanStarted = false;
}
