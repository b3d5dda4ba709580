// The drive list (1019): a view of the drive table. It shows the fixed
// drives and pushes the user's ticks into the table.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Sets the main window's drive list up and lists the drives; the fill
// below writes to it. On the list's thread, as are the calls below.
void SetUpDriveListView(HWND list);
// Rewrites the list from a copy of the drive table.
void FillDriveListView();
// The drive list's notifications to its owner: a user's tick goes into the
// drive table.
void OnDriveListNotify(const NMHDR* header);
