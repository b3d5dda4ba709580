// The system-information scan (157) run once at every start.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SystemInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI SystemScanThread(LPVOID);
void RunSystemScan();
void RepaintControl(HWND control);
