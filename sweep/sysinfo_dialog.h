// The system-information dialog (157): the start-up scan's running report.
#pragma once

#include <windows.h>

#include "sweep/sysinfo.h"

// Creates the modeless dialog once, hidden, and makes it the scan's
// reporter; the scan's start brings it into sight unless it was closed.
// Returns the dialog, or null.
HWND ShowSystemInfoDialog(HWND owner);
// The dialog while it exists, for IsDialogMessage; else null.
HWND SystemInfoDialog();
// Shows one stage of the scan in the dialog, when there is one. From the
// scan's thread. Out of memory is left to the caller.
void ShowSystemScanStage(SystemScanStage stage, const char* text);
