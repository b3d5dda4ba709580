// The sweep categories, their measurement and their ticks.
#pragma once

#include <windows.h>

#include "sweep/measure.h"

#include <array>

// Rows of the category table (sweep/categories.h), in display, measuring
// and cleaning order; the totals record comes last.
enum : int {
    SWEEP_INTERNET_CACHE = 0,
    SWEEP_COOKIES = 1,
    SWEEP_RECENT = 2,
    SWEEP_TEMP = 3,
    SWEEP_HISTORY = 4,
    SWEEP_OTHER = 5,
    SWEEP_RECYCLE_BIN = 6,
    SWEEP_BROWSER_CACHES = 7,
    SWEEP_THUMBNAILS = 8,
    SWEEP_CRASH_DUMPS = 9,
    SWEEP_BROWSER_COOKIES = 10,
    SWEEP_BROWSER_HISTORY = 11,
    SWEEP_BROWSER_SESSIONS = 12,
    SWEEP_BROWSER_FORMS = 13,
    SWEEP_TOTALS = 14,
    SWEEP_CATEGORIES = SWEEP_TOTALS,  // the categories, one cleaning step each
    SWEEP_COUNT = SWEEP_TOTALS + 1
};

// One tick per category, in table order.
using CategoryTicks = std::array<BYTE, SWEEP_CATEGORIES>;

struct SweepCategory {
    char label[256];
    BYTE ticked;
    unsigned long long files;
    unsigned long long folders;
    unsigned long long bytes;
    char note[96];  // shown beside the label: what was skipped or is in use
};

// One category's figures and when their measurement began (0: never).
struct CategoryMeasurement {
    ScanCounters counters;
    unsigned long long stamp = 0;
};

// Measures one category into `out`, which the caller owns, by the category
// table's operation, stamped with when it began. A category whose folder
// cannot be found or is not a plain absolute folder measures 0, 0, 0. The
// disk scan's row and the totals measure nothing here.
void MeasureCategory(int index, CategoryMeasurement& out);
// Publishes the measured categories together with new totals, in one step.
// A category keeps figures of a measurement that began later than this
// one's; the disk scan's row and the ticks are left as they are.
void PublishMeasuredCategories(const CategoryMeasurement (&measured)[SWEEP_COUNT]);

// Measures every category but the disk scan's and publishes them with the
// totals.
void MeasureCategories();
// MeasureCategories, then AnnounceSweepChange. Safe from any thread.
void RefreshSweep();

// Told that the table's figures changed; it must return at once (it posts
// to the window that shows the table, which then pulls a copy).
using SweepChangeListener = void (*)();
void ListenToSweepTable(SweepChangeListener listener);
// Calls the listener, if any. From any thread, after the new figures are
// published; never while holding the table's lock.
void AnnounceSweepChange();
// Stores every record's tick, by its label, under HKLM "Software\VOSK Software\Brisola".
void SaveCategoryTicks();
// Reads them back. A missing value, or one that is not 4 bytes of
// REG_BINARY (or REG_DWORD), leaves that record's tick as it is (the
// table's initial tick at start-up); 1 ticks, any other number unticks.
void LoadCategoryTicks();

// A copy of the whole sweep table as last published.
void GetSweepTable(SweepCategory (&out)[SWEEP_COUNT]);
// Sets one record's tick: the user's choice, as the results list reports
// it, or a test's.
void SetCategoryTick(int index, BYTE ticked);

// The tick a Group Policy fixes for a category: 1 always cleaned, 0 never
// (also the found files when their deletion is forbidden), -1 the user's
// choice. A fixed tick is shown, never stored: the user's own choice is
// kept for the day the policy goes.
int PolicyTickFor(int index);
// The ticks with every fixed one put in place.
void ApplyPolicyToTicks(CategoryTicks& ticks);

// Whether a disk scan has started in this run.
bool DiskScanStarted();

// Restores the table's initial state (tests only).
void ResetSweepTableForTest();
