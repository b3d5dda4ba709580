// The filter list (1013): a view of the filter table. It shows the filters
// and pushes the user's ticks into the table.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Sets the main window's filter list up and fills it; the calls below use
// it. On the list's thread, as are the calls below.
void SetUpFilterListView(HWND list);
// Rewrites the list from a copy of the filter table.
void FillFilterListView();
// Removes the filter selected in the list; true when one was removed.
bool RemoveSelectedFilter();
// The filter list's notifications to its owner: a user's tick goes into the
// filter table.
void OnFilterListNotify(const NMHDR* header);
