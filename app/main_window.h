// The main window: views, commands, status bar and the info list.
#pragma once

#include <windows.h>

// The start-up scan's report changed: the main window pulls and shows it.
const UINT kSystemScanChanged = WM_APP + 30;

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void CreateStatusBar();
void SetUpInfoList();
void FillInfoList();
// Switches the main window to VIEW_INTERNET, VIEW_DRIVES or VIEW_INFO.
void ShowView(int view);

// The product web page address (link label 1025 and the "Support:" row).
extern const char kProductWebPage[];
extern const char kStatusInternet[];
extern const char kStatusDrives[];
extern const char kStatusInfo[];
