// The Settings dialog.
#pragma once

#include <windows.h>

// Runs the dialog, modal to `owner`.
void RunSettingsDialog(HWND owner);
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
