// The category table: one record per row of the sweep table, holding all
// that the measurement, the cleaning, the results list, the start-up report
// and the tick store know of a category.
#pragma once

#include <windows.h>

#include "sweep/sweep.h"

struct CleanContext;
struct ScanCounters;

struct CategoryRecord {
    const char* label;    // the shown text and the registry value name
    const char* shortName;  // the console program's name for it; null for the totals
    BYTE initialTick;
    const char* heading;  // start-up report line; null when not measured then
    // The confirmation subject (its folder or a name); false when its
    // folder cannot be found, which skips the cleaning step.
    bool (*findSubject)(char (&subject)[256]);
    // Null for the rows that the disk scan or the totals fill.
    void (*measure)(ScanCounters& counters);
    // Null for the totals. Deletes into the context's record and stops on
    // its abort. `subject` is what findSubject gave; `confirmed` says the
    // user answered OK to it (false when nobody was asked).
    void (*clean)(CleanContext& context, const char* subject, bool confirmed);
};

// One plain sentence on what a row removes and never touches, for the
// rows whose label does not say it all; null for the others.
const char* CategoryExplanation(int index);

// Row `index` of the table, 0 to SWEEP_COUNT - 1.
const CategoryRecord& CategoryAt(int index);
// The category row named by its number (as `list` shows it, from 1) or its
// short name, case-insensitively; -1 when nothing matches.
int FindCategory(const char* name);
