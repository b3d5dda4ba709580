// The filter table and datafilters.txt, the filter list (1013) and the
// Add Filters dialog (143).
#pragma once

#include <windows.h>

void LoadFilterTable();
void SaveFilterTable();
void SetUpFilterListView();
void FillFilterListView();
// Returns true when a filter was removed.
bool RemoveSelectedFilter();
INT_PTR CALLBACK AddFilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
