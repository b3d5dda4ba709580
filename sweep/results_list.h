// The results list (1010), the totals list (1015) and size text.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "fs/text.h"  // FormatSize
#include "sweep/sweep.h"

// Opens what a row of the results list stands for, owned by `owner`.
using ResultsRowOpener = void (*)(HWND owner, int row);

// Sets the main window's two lists up (columns, colours, the category icon)
// and fills them. Runs on the main thread, which owns the lists. `openRow` answers a
// double-click, Enter or "View files..." on a category row.
void SetUpResultsLists(HWND results, HWND totals, ResultsRowOpener openRow = nullptr);
// Rewrites both lists from the sweep table. From any thread: the rows are
// always rebuilt on the main thread in one go, so two fills never mix.
// With `keepShownTicks` the ticks the list shows are first read into the
// table (in the same go), so a refill never undoes the user's ticks.
void FillResultsLists(bool keepShownTicks = false);

// The results list's notifications to its owner: a tick that a policy
// fixes does not move, and its row is greyed. True, with the answer in
// `result`, when the notification was the list's and is answered.
bool OnResultsListNotify(const NMHDR* header, LRESULT& result);

// The checkboxes of the category rows (1 = ticked: any state image but the
// empty box). False, leaving `ticks` alone, when there is no results list.
bool ReadResultsListTicks(CategoryTicks& ticks);
