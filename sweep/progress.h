// The progress dialog (137) and the worker threads of the two long jobs.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// True while a cleaning or disk-scan job runs.
bool IsJobRunning();
// Called when the program ends (the main window's destruction, the end of
// the session) in place of closing the worker thread handle: a running job
// is asked to end (the current deletion finishes, the remaining steps do no
// work, a scan stops) and is waited for a bounded time while the calls it
// sends to this thread are answered. False when it is still running.
bool ReleaseWorkerThread();
// Waits up to `timeoutMs` for `thread` to end while answering the messages
// other threads send to this one, so that a thread in a send can finish.
bool WaitForThread(HANDLE thread, DWORD timeoutMs);
// The current job's progress dialog, or null.
HWND CurrentProgressDialog();
// The progress dialog that the main window created for the current job.
void SetProgressDialog(HWND dialog);
// Set before the dialog of a disk scan is created.
void SetDriveScanFlag();
// Shows what a scan that ran to its end found; installed by the shell.
using FoundFilesViewer = void (*)(HWND owner);
void SetFoundFilesViewer(FoundFilesViewer viewer);

// For the disk scan, which runs on the worker thread. Cheap and
// thread-safe: the dialog shows the latest position at a human rate.
void ReportScanPosition(const char* folder, const char* file);
// True once the user has pressed Stop in the progress dialog.
bool StopRequested();
// Steps the progress bar by one.
void StepProgressBar();

// The bar's position when the last job's progress dialog closed.
int LastProgressPosition();
// How many job sounds have been started since the program began.
int JobSoundsRequested();
