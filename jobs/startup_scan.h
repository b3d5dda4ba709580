// The system-information scan run once at every start: every category
// measured in full, with a running report. The scan writes the report
// into its model and posts the window it was given; the window pulls a
// SystemScanView and shows it (jobs/threads.h).
#pragma once

#include <windows.h>

#include <string>

// What changed in the start-up report since the last view.
struct SystemScanView {
    bool started = false;
    bool reportChanged = false;
    std::string report;  // the report so far
    bool lineChanged = false;
    std::string line;    // the entry being checked, or the closing line
    bool completed = false;    // the figures are in the sweep table
    bool outOfMemory = false;  // the scan was stopped
};

// The window told with `message` when the report changes; also told of
// every URL cache entry a measurement counts. Main thread, before the scan.
void SetSystemScanWindow(HWND window, UINT message);
// On the main thread, on that message.
SystemScanView TakeSystemScanView();

DWORD WINAPI SystemScanThread(LPVOID);
void RunSystemScan();
// Asks a running scan to end at its next category, publishing nothing and
// leaving the lists alone (the program is ending).
void StopSystemScan();
// Lets the next scan run (a new start-up).
void AllowSystemScan();
