// The system-information scan (157) run once at every start.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SystemInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI SystemScanThread(LPVOID);
void RunSystemScan();
// Asks a running scan to end at its next category, publishing nothing and
// leaving the lists alone (the program is ending).
void StopSystemScan();
// Lets the next scan run (a new start-up).
void AllowSystemScan();
