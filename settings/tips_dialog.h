// The Tips dialog (150).
#pragma once

#include <windows.h>

const int kTipCount = 10;
extern const char kTips[kTipCount][256];

// Runs the dialog, modal to `owner`.
void RunTipsDialog(HWND owner);
INT_PTR CALLBACK TipsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Puts a tip picked at random into edit 1015.
void ShowRandomTip(HWND dialog);
