// The worker threads of the two long jobs, cleaning and the disk scan, and
// the job model the progress dialog shows. A worker writes the model under
// its lock and posts the dialog's "changed" message; the dialog pulls a
// JobView and draws it (jobs/threads.h).
#pragma once

#include <windows.h>

// True from a job's start until its end has been taken (by the dialog, or
// by the worker itself when there is no dialog to take it).
bool IsJobRunning();
// Called when the program ends (the main window's destruction, the end of
// the session) in place of closing the worker thread handle: a running job
// is asked to end (the current deletion finishes, the remaining steps do no
// work, a scan stops, an open question is answered no) and is waited for a
// bounded time. False when it is still running: the job then stays running
// until its worker ends it, and whatever the worker may use must be kept.
bool ReleaseWorkerThread();
// The bounded wait of ReleaseWorkerThread (tests; 0: the default).
void SetShutdownWaitForTest(DWORD ms);
// A question the worker answers itself, in place of asking the dialog
// (tests: one the abort cannot end); null: the dialog is asked.
void SetJobConfirmerForTest(bool (*confirmer)(const char* subject));
// The current job's progress dialog, or null.
HWND CurrentProgressDialog();
// Forgets `dialog` when it is the current one (its WM_DESTROY): a question
// it was to answer is answered no, and a job end it was told of is taken.
void ForgetProgressDialog(HWND dialog);

// Start a job on the worker thread. `dialog` is told with `changedMessage`
// whenever the job model changes, and pulls it with TakeJobView. False,
// nothing busy, when no thread could start. A clean that finds the
// cleaning lock held by another clean (brisolac) deletes nothing and ends
// with `lockRefused`.
bool StartCleaningJob(HWND dialog, UINT changedMessage);
bool StartDiskScanJob(HWND dialog, UINT changedMessage);

// What the progress dialog shows, as the job model holds it now.
struct JobView {
    int steps = 0;  // the bar's position
    bool positionChanged = false;  // since the last view: the scan's folder and file
    char folder[256] = {};
    char file[256] = {};
    // A confirmation the worker waits for (its number; 0: none), and what
    // it asks about. A number that goes while it is shown was withdrawn.
    unsigned question = 0;
    char subject[256] = {};
    bool ended = false;  // the worker is done: FinishJob takes the end
};
// On the main thread, on the changed message.
JobView TakeJobView();
// The dialog's answer to question `number`; an answer to a question that
// was withdrawn meanwhile is dropped.
void AnswerJobQuestion(unsigned number, bool yes);

// What a job's end means for the windows.
struct JobOutcome {
    bool scan = false;
    bool ending = false;          // the program ends: no refresh, no dialog
    bool outOfMemory = false;
    bool lockRefused = false;     // another clean held the lock: nothing was done
    bool showFoundFiles = false;  // a scan that ran to its end
};
// On the main thread, once a view shows the end: fills the lists with what
// the worker measured and ends the job; `barPosition` is kept for
// LastProgressPosition. False, `out` untouched, when the end was taken
// already: it is taken exactly once.
bool FinishJob(int barPosition, JobOutcome& out);

// Stop pressed: a scan stops at its next entry.
void RequestJobStop();

// The bar's position when the last job's progress dialog closed.
int LastProgressPosition();
// How many job sounds have been started since the program began.
int JobSoundsRequested();
