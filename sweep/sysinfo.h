// The system-information scan run once at every start: every category
// measured in full, with a running report for whoever shows it.
#pragma once

#include <windows.h>

enum class SystemScanStage {
    Started,
    Progress,     // `text`: the report so far
    Finished,     // `text`: the whole report; the figures are not yet published
    Completed,    // the figures are in the sweep table
    OutOfMemory,  // the scan was stopped
};
// Called on the scan's thread; `text` is null where not said above.
using SystemScanReporter = void (*)(SystemScanStage stage, const char* text);
// Set before the scan's thread starts; none by default.
void SetSystemScanReporter(SystemScanReporter reporter);

DWORD WINAPI SystemScanThread(LPVOID);
void RunSystemScan();
// Asks a running scan to end at its next category, publishing nothing and
// leaving the lists alone (the program is ending).
void StopSystemScan();
// Lets the next scan run (a new start-up).
void AllowSystemScan();
