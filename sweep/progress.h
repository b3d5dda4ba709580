// The worker threads of the two long jobs, cleaning and the disk scan, and
// the state of the job that runs. The progress dialog drives them; they
// reach it only through the end message and the bar it hands over.
#pragma once

#include <windows.h>

// True while a cleaning or disk-scan job runs.
bool IsJobRunning();
// Called when the program ends (the main window's destruction, the end of
// the session) in place of closing the worker thread handle: a running job
// is asked to end (the current deletion finishes, the remaining steps do no
// work, a scan stops) and is waited for a bounded time while the calls it
// sends to this thread are answered. False when it is still running: the
// job then stays running until its worker ends it, and whatever the worker
// may use must be kept.
bool ReleaseWorkerThread();
// The bounded wait of ReleaseWorkerThread (tests; 0: the default).
void SetShutdownWaitForTest(DWORD ms);
// Waits up to `timeoutMs` for `thread` to end while answering the messages
// other threads send to this one, so that a thread in a send can finish.
bool WaitForThread(HANDLE thread, DWORD timeoutMs);
// The current job's progress dialog, or null.
HWND CurrentProgressDialog();
// The progress dialog created for the next job (null: none after all).
void SetProgressDialog(HWND dialog);
// Forgets `dialog` and its bar when it is the current one (its WM_DESTROY).
void ForgetProgressDialog(HWND dialog);
// Set before the dialog of a disk scan is created.
void SetDriveScanFlag();
bool IsDriveScanJob();

// Start a job on the worker thread; when it is done the worker sends
// `endMessage` to `notify`, whose handler then calls FinishJob. Only the
// worker ends its job. False, nothing busy, when no thread could start.
// A clean that finds the cleaning lock held by another clean (brisolac)
// deletes nothing and ends with `lockRefused`.
bool StartCleaningJob(HWND notify, UINT endMessage);
bool StartDiskScanJob(HWND notify, UINT endMessage);

// What a job's end means for the windows.
struct JobOutcome {
    bool scan = false;
    bool ending = false;          // the program ends: no refresh, no dialog
    bool outOfMemory = false;
    bool lockRefused = false;     // another clean held the lock: nothing was done
    bool showFoundFiles = false;  // a scan that ran to its end
};
// On the main thread, on the end message: fills the lists with what the
// worker measured and clears the job's flags; `barPosition` is kept for
// LastProgressPosition.
JobOutcome FinishJob(int barPosition);

// The bar the jobs step (PBM_STEPIT), or null.
void SetJobProgressBar(HWND bar);
// Stop pressed: a scan stops at its next entry.
void RequestJobStop();
// The disk scan's latest position, when it changed since the last call.
// Main thread.
bool TakeScanPosition(char (&folder)[256], char (&file)[256]);

// For the disk scan, which runs on the worker thread. Cheap and
// thread-safe: the dialog shows the latest position at a human rate.
void ReportScanPosition(const char* folder, const char* file);
// True once the user has pressed Stop in the progress dialog.
bool StopRequested();
// Steps the progress bar by one.
void StepProgressBar();
// The question a clean asks before a category, and what closes it when
// the program ends meanwhile (from the main thread).
void SetJobConfirmer(bool (*confirmer)(const char* subject), void (*closer)());
// True once the program's end has asked the running clean to stop.
bool JobAborted();

// The bar's position when the last job's progress dialog closed.
int LastProgressPosition();
// How many job sounds have been started since the program began.
int JobSoundsRequested();
