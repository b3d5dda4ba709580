// The progress dialog (137): the bar of the running job, and for a disk
// scan the folder and file it is at and a Stop button.
#pragma once

#include <windows.h>

// Sent to the dialog's owner on the main thread when a job has ended and
// its buttons may come back; lParam is the line for the status bar (a
// const char*), or null to leave it as it is.
const UINT kJobEndedMessage = WM_APP + 21;

// Creates and shows the modeless dialog for the job that `startCommand`
// (CMD_START_CLEANING or CMD_START_DISK_SCAN, sent to it next) starts.
// Null when a job runs already, another clean holds the cleaning lock (the
// owner is told why) or the dialog cannot be made.
HWND ShowProgressDialog(HWND owner, int startCommand);
