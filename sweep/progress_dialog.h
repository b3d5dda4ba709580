// The progress dialog (137): the bar of the running job, and for a disk
// scan the folder and file it is at and a Stop button.
#pragma once

#include <windows.h>

// Told on the main thread when a job has ended and the main window's
// buttons may come back; `statusText` is the line for the status bar, or
// null to leave it as it is.
using JobEndListener = void (*)(const char* statusText);
void SetJobEndListener(JobEndListener listener);

// Creates and shows the modeless dialog for the job that `startCommand`
// (CMD_START_CLEANING or CMD_START_DISK_SCAN, sent to it next) starts.
// Null when a job runs already, another clean holds the cleaning lock (the
// job end listener is told why) or the dialog cannot be made.
HWND ShowProgressDialog(HWND owner, int startCommand);
