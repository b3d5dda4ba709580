// The worker threads of the two long jobs, cleaning and the disk scan, and
// the model of the one that runs. Only one job runs at a time. A worker
// reaches the window only through the job model and its changed message;
// it never sends, and a question waits for the dialog's answer or the
// program's end, whichever comes first.
#include "jobs/job_runner.h"

#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "drives/disk_scan.h"
#include "drives/drive_table.h"
#include "drives/found_files.h"
#include "settings/settings.h"
#include "sweep/clean_context.h"
#include "sweep/clean_event.h"
#include "sweep/cleaning.h"
#include "jobs/job_lock.h"
#include "sweep/sweep.h"
#include "jobs/threads.h"

namespace {

const DWORD kWorkerStartWaitMs = 5000;
const DWORD kWorkerShutdownWaitMs = 10000;
// After the end is told the worker only has to return.
const DWORD kWorkerReturnWaitMs = 2000;

enum JobPhase : int { kIdle, kRunning, kEnded };

struct JobState {
    HANDLE workerThread = nullptr;  // main thread only
    DWORD shutdownWaitMs = kWorkerShutdownWaitMs;  // main thread only
    bool scan = false;  // set before the worker starts
    // Taken on the main thread before the scan thread starts; only that
    // thread reads it afterwards.
    DiskScanSnapshot scanSnapshot;
    ChangeNotice notice;  // the progress dialog
    std::atomic<bool> stop{false};
    std::atomic<bool> userStopped{false};
    std::atomic<bool> abort{false};     // the program ends: a clean stops
    std::atomic<bool> watched{false};   // a progress dialog shows the steps
    std::atomic<bool> scanCompleted{false};
    std::atomic<int> lastPosition{0};
    std::atomic<int> soundsRequested{0};
    std::atomic<bool> outOfMemory{false};
    std::atomic<bool> lockRefused{false};   // another clean held the lock
    std::atomic<bool> measured{false};      // the worker measured the sweep again
    std::atomic<bool> shuttingDown{false};  // the program ends: no refresh, no dialog
    std::atomic<CleanConfirmer> testConfirmer{nullptr};
    // Set when a question has its answer, or nobody is left to give one.
    HANDLE answered = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    // The model the dialog pulls; phase is read without the lock.
    std::mutex lock;
    std::atomic<int> phase{kIdle};
    int steps = 0;
    char folder[256] = {};
    char file[256] = {};
    unsigned positionVersion = 0;
    unsigned shownVersion = 0;
    unsigned question = 0;  // the open question's number, 0: none
    unsigned questions = 0;  // numbers given so far
    bool answer = false;
    char subject[256] = {};
};
JobState g_job;

// Ends the job when it has ended and nobody took the end yet; true when
// this call did. Under the lock.
bool TakeEndLocked() {
    int ended = kEnded;
    return g_job.phase.compare_exchange_strong(ended, kIdle);
}

// Closes the handle of the previous job's thread, which has finished or is
// about to return.
void CloseWorkerHandle(DWORD waitMs) {
    if (!g_job.workerThread) return;
    WaitForThread(g_job.workerThread, waitMs);
    CloseHandle(g_job.workerThread);
    g_job.workerThread = nullptr;
}

void PlayJobSound(const char* name) {
    if (!g_settings.enableSnd) return;
    ++g_job.soundsRequested;
    // Our own short sound, embedded as a WAVE resource; never the system's
    // default sound in its place.
    PlaySoundA(name, GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

// The worker's last act: the job has ended, and the dialog takes the end.
// Without a dialog to tell (the program is ending) the worker takes it
// itself. Nothing is touched after.
void EndJobOnWorker() {
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        g_job.phase = kEnded;
    }
    if (g_job.notice.Post()) return;
    std::lock_guard<std::mutex> hold(g_job.lock);
    TakeEndLocked();
}

void StepJob() {
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        ++g_job.steps;
    }
    g_job.notice.Post();
}

// The disk scan's position, told at the rate the dialog pulls it.
void NoteScanPosition(const char* folder, const char* file) {
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        if (folder) snprintf(g_job.folder, sizeof g_job.folder, "%s", folder);
        if (file) snprintf(g_job.file, sizeof g_job.file, "%s", file);
        ++g_job.positionVersion;
    }
    g_job.notice.Post();
}

bool ScanStopRequested() { return g_job.stop; }

// The clean's confirmer: the question goes into the model and the worker
// waits for the dialog's answer. The program's end, or a dialog that goes,
// answers no.
bool AskTheDialog(const char* subject) {
    if (CleanConfirmer test = g_job.testConfirmer) return test(subject);
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        if (g_job.abort) return false;
        if (++g_job.questions == 0) ++g_job.questions;
        g_job.question = g_job.questions;
        g_job.answer = false;
        snprintf(g_job.subject, sizeof g_job.subject, "%s", subject);
        ResetEvent(g_job.answered);
    }
    if (g_job.notice.Post()) WaitForSingleObject(g_job.answered, INFINITE);
    bool yes;
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        yes = g_job.answer && !g_job.abort;
        g_job.question = 0;
    }
    // A question still on the screen (the program is ending) is withdrawn.
    g_job.notice.Post();
    return yes;
}

// The figures after a job, measured here on the worker; the main thread
// fills the lists from them when it takes the job's end.
void MeasureAfterJob() {
    MeasureCategories();
    g_job.measured = true;
}

// Out of memory ends the job like any other end, and says so.
DWORD WINAPI CleaningThread(LPVOID) {
    try {
        PlayJobSound("cleaning");
        bool cleaned = false;
        {
            // Held for the whole clean: the console program refuses to clean
            // meanwhile, and a clean of its runs this one does not start.
            JobLock lock;
            if (!lock.held()) {
                g_job.lockRefused = true;
                ReportRefusalToEventLog(kAnotherCleanRunning);
            } else if (!g_job.abort) {
                CleanContext context(&g_job.abort);
                context.confirm = AskTheDialog;
                context.stepped = StepJob;
                context.paced = &g_job.watched;
                CleanCategories(context);
                cleaned = true;
            }
        }
        if (cleaned && !g_job.abort) MeasureAfterJob();
    } catch (const std::bad_alloc&) {
        g_job.outOfMemory = true;
    }
    EndJobOnWorker();
    return 0;
}

DWORD WINAPI DiskScanThread(LPVOID) {
    try {
        PlayJobSound("filtering");
        DiskScanProgress progress;
        progress.stopRequested = ScanStopRequested;
        progress.position = NoteScanPosition;
        progress.step = StepJob;
        g_job.scanCompleted = RunDiskScan(g_job.scanSnapshot, progress);
        // Stopped or not, the sweep shows the scan's row with fresh figures.
        if (!g_job.shuttingDown) MeasureAfterJob();
    } catch (const std::bad_alloc&) {
        g_job.scanCompleted = false;
        g_job.outOfMemory = true;
    }
    EndJobOnWorker();
    return 0;
}

// False, nothing left busy, when the thread could not start.
bool StartWorker(HWND dialog, UINT changedMessage, LPTHREAD_START_ROUTINE proc) {
    CloseWorkerHandle(kWorkerStartWaitMs);
    // What a job abandoned at the program's end left behind.
    g_job.shuttingDown = false;
    g_job.outOfMemory = false;
    g_job.lockRefused = false;
    g_job.measured = false;
    g_job.lastPosition = 0;
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        // Running from here on, before the thread exists, so that no second
        // job can slip in.
        g_job.phase = kRunning;
        g_job.steps = 0;
        g_job.positionVersion = g_job.shownVersion = 0;
        g_job.question = 0;
    }
    g_job.notice.Target(dialog, changedMessage);
    g_job.watched = dialog != nullptr;
    g_job.workerThread = StartThread(proc, nullptr);
    if (g_job.workerThread) return true;
    g_job.phase = kIdle;
    return false;
}

}  // namespace

bool StartCleaningJob(HWND dialog, UINT changedMessage) {
    g_job.scan = false;
    g_job.abort = false;
    return StartWorker(dialog, changedMessage, CleaningThread);
}

bool StartDiskScanJob(HWND dialog, UINT changedMessage) {
    g_job.scan = true;
    ClearFoundFiles();
    g_job.stop = false;
    g_job.userStopped = false;
    g_job.scanCompleted = false;
    RefreshDriveTable();
    g_job.scanSnapshot = TakeDiskScanSnapshot();
    return StartWorker(dialog, changedMessage, DiskScanThread);
}

void RequestJobStop() {
    g_job.stop = true;
    g_job.userStopped = true;
}

void ForgetProgressDialog(HWND dialog) {
    if (g_job.notice.Window() != dialog) return;
    g_job.notice.Target(nullptr, 0);
    g_job.watched = false;
    std::lock_guard<std::mutex> hold(g_job.lock);
    SetEvent(g_job.answered);
    TakeEndLocked();
}

JobView TakeJobView() {
    g_job.notice.Taken();
    JobView view;
    std::lock_guard<std::mutex> hold(g_job.lock);
    view.steps = g_job.steps;
    view.positionChanged = g_job.positionVersion != g_job.shownVersion;
    g_job.shownVersion = g_job.positionVersion;
    memcpy(view.folder, g_job.folder, sizeof view.folder);
    memcpy(view.file, g_job.file, sizeof view.file);
    view.question = g_job.question;
    memcpy(view.subject, g_job.subject, sizeof view.subject);
    view.ended = g_job.phase == kEnded;
    return view;
}

void AnswerJobQuestion(unsigned number, bool yes) {
    std::lock_guard<std::mutex> hold(g_job.lock);
    if (number == 0 || g_job.question != number) return;
    g_job.answer = yes;
    SetEvent(g_job.answered);
}

bool FinishJob(int barPosition, JobOutcome& outcome) {
    {
        std::lock_guard<std::mutex> hold(g_job.lock);
        if (!TakeEndLocked()) return false;
    }
    // The worker has told its end and only returns; the buttons come back
    // only once it has.
    if (g_job.workerThread) WaitForThread(g_job.workerThread, kWorkerReturnWaitMs);
    g_job.lastPosition = barPosition;
    outcome = JobOutcome();
    outcome.scan = g_job.scan;
    outcome.ending = g_job.shuttingDown;
    outcome.lockRefused = g_job.lockRefused.exchange(false);
    // Only the figures are new; the lists show them once this returns.
    if (g_job.measured.exchange(false) && !outcome.ending) AnnounceSweepChange();
    g_job.stop = false;
    outcome.outOfMemory = g_job.outOfMemory.exchange(false);
    outcome.showFoundFiles = outcome.scan && !outcome.ending && g_job.scanCompleted && !g_job.userStopped;
    g_job.userStopped = false;
    return true;
}

bool IsJobRunning() { return g_job.phase != kIdle; }

bool ReleaseWorkerThread() {
    if (!g_job.workerThread) return true;
    g_job.shuttingDown = true;
    {
        // Under the lock, so that a question being asked either sees the
        // abort or has already reset the event this sets.
        std::lock_guard<std::mutex> hold(g_job.lock);
        g_job.abort = true;
        SetEvent(g_job.answered);
    }
    g_job.stop = true;
    g_job.userStopped = true;
    // A worker still running keeps its job, its handle and the abort: it
    // ends the job itself when it gets to its end.
    if (!WaitForThread(g_job.workerThread, g_job.shutdownWaitMs)) return false;
    CloseHandle(g_job.workerThread);
    g_job.workerThread = nullptr;
    // The end the dialog may still take says the program ends; the next
    // start clears that.
    g_job.abort = false;
    g_job.stop = false;
    g_job.userStopped = false;
    return true;
}

void SetShutdownWaitForTest(DWORD ms) { g_job.shutdownWaitMs = ms ? ms : kWorkerShutdownWaitMs; }

void SetJobConfirmerForTest(bool (*confirmer)(const char* subject)) { g_job.testConfirmer = confirmer; }

HWND CurrentProgressDialog() { return g_job.notice.Window(); }

int LastProgressPosition() { return g_job.lastPosition; }

int JobSoundsRequested() { return g_job.soundsRequested; }
