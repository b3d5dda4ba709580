// The sweep table: its measurement, its ticks and their registry store.
#include "sweep/sweep.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "drives/disk_scan.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/measure.h"

namespace {

// Labels and initial ticks from the category table, all counts 0.
void MakeInitialTable(SweepCategory (&table)[SWEEP_COUNT]) {
    memset(table, 0, sizeof table);
    for (int i = 0; i < SWEEP_COUNT; ++i) {
        snprintf(table[i].label, sizeof table[i].label, "%s", CategoryAt(i).label);
        table[i].ticked = CategoryAt(i).initialTick;
    }
}

// The junk sweep's shared state. The table is only ever read or written
// whole under the lock; measuring happens outside it on per-run counters.
// The "Other temporary files" row is the disk scan's, which keeps its
// figures: copies of the table get them from there, and add them to the
// totals, which here hold the sums of the other rows.
struct SweepState {
    std::mutex lock;
    SweepCategory table[SWEEP_COUNT];
    // When the published figures of each category began to be measured.
    unsigned long long measuredAt[SWEEP_COUNT] = {};
    std::atomic<unsigned long long> nextStamp{1};
    std::atomic<SweepChangeListener> listener{nullptr};
    SweepState() { MakeInitialTable(table); }
};

SweepState g_sweep;

// The totals = the sums over every category, ticked or not. Published with
// the rows, in the same step, so that no copy shows the one without the other.
void UpdateTotals(SweepCategory (&table)[SWEEP_COUNT]) {
    SweepCategory& totals = table[SWEEP_TOTALS];
    totals.files = totals.folders = totals.bytes = 0;
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        totals.files += table[i].files;
        totals.folders += table[i].folders;
        totals.bytes += table[i].bytes;
    }
}

}  // namespace

void MeasureCategory(int index, CategoryMeasurement& out) {
    out = CategoryMeasurement();
    out.stamp = g_sweep.nextStamp++;
    if (index >= 0 && index < SWEEP_CATEGORIES && CategoryAt(index).measure) CategoryAt(index).measure(out.counters);
}

void PublishMeasuredCategories(const CategoryMeasurement (&measured)[SWEEP_COUNT]) {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        if (!CategoryAt(i).measure || measured[i].stamp <= g_sweep.measuredAt[i]) continue;
        g_sweep.measuredAt[i] = measured[i].stamp;
        g_sweep.table[i].files = measured[i].counters.files;
        g_sweep.table[i].folders = measured[i].counters.folders;
        g_sweep.table[i].bytes = measured[i].counters.bytes;
        snprintf(g_sweep.table[i].note, sizeof g_sweep.table[i].note, "%s", measured[i].counters.note.c_str());
    }
    UpdateTotals(g_sweep.table);
}

void MeasureCategories() {
    CategoryMeasurement measured[SWEEP_COUNT];
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) MeasureCategory(i, measured[i]);
    PublishMeasuredCategories(measured);
}

void RefreshSweep() {
    MeasureCategories();
    AnnounceSweepChange();
}

void ListenToSweepTable(SweepChangeListener listener) { g_sweep.listener = listener; }

void AnnounceSweepChange() {
    SweepChangeListener listener = g_sweep.listener;
    if (listener) listener();
}

void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]) {
    {
        std::lock_guard<std::mutex> guard(g_sweep.lock);
        memcpy(out, g_sweep.table, sizeof out);
    }
    // The stored row is never written, so the totals hold none of it yet.
    DiskScanReport scan = GetDiskScanReport();
    out[SWEEP_OTHER].files = scan.files;
    out[SWEEP_OTHER].folders = 0;
    out[SWEEP_OTHER].bytes = scan.bytes;
    out[SWEEP_TOTALS].files += scan.files;
    out[SWEEP_TOTALS].bytes += scan.bytes;
}

void SetCategoryTick(int index, BYTE ticked) {
    if (index < 0 || index >= SWEEP_COUNT) return;
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    g_sweep.table[index].ticked = ticked;
}

int PolicyTickFor(int index) {
    if (index < 0 || index >= SWEEP_CATEGORIES) return -1;
    if (index == SWEEP_OTHER && PolicyForbidsFoundFileDelete()) return 0;
    switch (CategoryPolicyFor(CategoryAt(index).shortName)) {
    case CategoryPolicy::AlwaysClean:
        return 1;
    case CategoryPolicy::NeverClean:
        return 0;
    default:
        return -1;
    }
}

void ApplyPolicyToTicks(CategoryTicks& ticks) {
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        int fixed = PolicyTickFor(i);
        if (fixed >= 0) ticks[i] = static_cast<BYTE>(fixed);
    }
}

void SaveCategoryTicks() {
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    ProgramFlag ticks[SWEEP_COUNT];
    for (int i = 0; i < SWEEP_COUNT; ++i) ticks[i] = {CategoryAt(i).label, table[i].ticked};
    WriteProgramFlags(ticks, SWEEP_COUNT);
}

void LoadCategoryTicks() {
    // The same key as the settings, also for a standard user.
    HKEY key = OpenProgramKeyForReading();
    if (!key) return;
    BYTE loaded[SWEEP_COUNT];
    bool present[SWEEP_COUNT] = {};
    for (int i = 0; i < SWEEP_COUNT; ++i) present[i] = ReadProgramFlag(key, CategoryAt(i).label, loaded[i]);
    RegCloseKey(key);
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    for (int i = 0; i < SWEEP_COUNT; ++i)
        if (present[i]) g_sweep.table[i].ticked = loaded[i];
}

bool DiskScanStarted() { return GetDiskScanReport().started; }

void ResetSweepTableForTest() {
    std::lock_guard<std::mutex> guard(g_sweep.lock);
    MakeInitialTable(g_sweep.table);
    memset(g_sweep.measuredAt, 0, sizeof g_sweep.measuredAt);
}
