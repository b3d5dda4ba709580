// The "Last clean" dialog (161): per category the bytes freed and each
// item left with its reason.
#pragma once

#include <windows.h>

void ShowLastCleanDialog(HWND owner);
INT_PTR CALLBACK LastCleanDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
