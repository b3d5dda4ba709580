// The Tips dialog (150).
#pragma once

#include <windows.h>

INT_PTR CALLBACK TipsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowRandomTip(HWND dialog);
