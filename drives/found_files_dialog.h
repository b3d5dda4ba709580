// The found-files dialog (144): the files the last disk scan found, with a
// tick for each that the next cleaning deletes.
#pragma once

#include <windows.h>

// Modal. Close keeps the ticks changed in it; any other way out drops them.
void ShowFoundFilesDialog(HWND owner);
INT_PTR CALLBACK FoundFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
