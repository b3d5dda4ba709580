// The results list (1010) and the totals list (1015): views of the sweep
// table. They show its figures and push the user's ticks into it; they
// hold no figure or tick of their own.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Posted to the lists' parent whenever the sweep table changed; the parent
// answers with FillResultsLists on its own thread.
const UINT WM_SWEEP_CHANGED = WM_APP + 1;

// Opens what a row of the results list stands for, owned by `owner`.
using ResultsRowOpener = void (*)(HWND owner, int row);

// Sets the main window's two lists up (columns, colours, the category icon),
// fills them and has the sweep table's changes posted to their parent. On
// the thread that owns the lists. `openRow` answers a double-click, Enter or
// "View files..." on a category row.
void SetUpResultsLists(HWND results, HWND totals, ResultsRowOpener openRow = nullptr);
// Rewrites both lists from a copy of the sweep table. On the lists' thread.
void FillResultsLists();

// The results list's notifications to its owner: a user's tick goes into
// the sweep table, a tick that a policy fixes does not move, and its row is
// greyed. True, with the answer in `result`, when the notification was the
// list's and is answered.
bool OnResultsListNotify(const NMHDR* header, LRESULT& result);
