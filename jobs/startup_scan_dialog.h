// The system-information dialog (157): the start-up scan's running report.
#pragma once

#include <windows.h>

#include "jobs/startup_scan.h"

// Creates the modeless dialog once, hidden; the scan's start brings it into
// sight unless it was closed. Returns the dialog, or null.
HWND ShowSystemInfoDialog(HWND owner);
// The dialog while it exists, for IsDialogMessage; else null.
HWND SystemInfoDialog();
// Shows what changed in the scan's report, when there is a dialog. Main
// thread. Out of memory is left to the caller.
void ShowSystemScanView(const SystemScanView& view);
