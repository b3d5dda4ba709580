// The worker threads of the two long jobs, cleaning and the disk scan, and
// the state of the one that runs. Only one job runs at a time. A worker reaches
// the windows only through synchronous sends to the main thread and never
// holds a lock while it sends; the main thread never blocks on a worker
// without answering the calls the worker sends to it.
#include "sweep/progress.h"

#include <commctrl.h>
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
#include "sweep/cleaning.h"
#include "sweep/clean_event.h"
#include "sweep/job_lock.h"
#include "sweep/sweep.h"

namespace {

const DWORD kWorkerStartWaitMs = 5000;
const DWORD kWorkerShutdownWaitMs = 10000;
// After its end message the worker only has to return.
const DWORD kWorkerReturnWaitMs = 2000;

struct JobState {
    std::atomic<HWND> progressDialog{nullptr};
    std::atomic<HWND> progressBar{nullptr};
    std::atomic<UINT> endMessage{0};  // sent to progressDialog by the worker
    HANDLE workerThread = nullptr;  // main thread only
    DWORD workerThreadId = 0;
    DWORD shutdownWaitMs = kWorkerShutdownWaitMs;  // main thread only
    // From the start of a job until its worker is done; cleared only by
    // the worker (or by a start whose thread never came).
    std::atomic<bool> busy{false};
    std::atomic<int> driveScan{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> userStopped{false};
    std::atomic<int> scanResult{0};
    std::atomic<int> lastPosition{0};
    std::atomic<int> soundsRequested{0};
    std::atomic<bool> outOfMemory{false};
    std::atomic<bool> lockRefused{false};  // another clean held the lock
    std::atomic<bool> measured{false};     // the worker measured the sweep again
    std::atomic<bool> shuttingDown{false};  // the program ends: no refresh, no dialog
    // Taken on the main thread before the scan thread starts; only that
    // thread reads it afterwards.
    DiskScanSnapshot scanSnapshot;

    // The disk scan's latest position, shown by the dialog's timer.
    std::mutex positionLock;
    char folder[256] = {};
    char file[256] = {};
    unsigned positionVersion = 0;
    unsigned shownVersion = 0;  // main thread only
};
JobState g_job;

// Closes the handle of the previous job's thread, which has finished or is
// returning from its last send.
void CloseWorkerHandle(DWORD waitMs) {
    if (!g_job.workerThread) return;
    WaitForThread(g_job.workerThread, waitMs);
    CloseHandle(g_job.workerThread);
    g_job.workerThread = nullptr;
}

void PlayJobSound(const char* name) {
    if (g_settings.enableSnd != 1) return;
    ++g_job.soundsRequested;
    // Our own short sound, embedded as a WAVE resource; never the system's
    // default sound in its place.
    PlaySoundA(name, GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

// The worker's last act. The dialog, if there still is one, has its answer
// before the job ends; without one (the program is ending) the worker ends
// its job alone. Nothing is touched after.
void EndJobOnWorker() {
    HWND dialog = g_job.progressDialog;
    if (dialog) SendMessageA(dialog, g_job.endMessage, 0, 0);
    g_job.busy = false;
}

// The figures after a job, measured here on the worker; the main thread
// fills the lists from them when the job's end reaches it.
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
            } else if (!CleaningAborted()) {
                CleanCategories();
                cleaned = true;
            }
        }
        if (cleaned && !CleaningAborted()) MeasureAfterJob();
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
        progress.stopRequested = StopRequested;
        progress.position = ReportScanPosition;
        progress.step = StepProgressBar;
        g_job.scanResult = RunDiskScan(g_job.scanSnapshot, progress);
        // Stopped or not, the sweep shows the scan's row with fresh figures.
        if (!g_job.shuttingDown) MeasureAfterJob();
    } catch (const std::bad_alloc&) {
        g_job.scanResult = 0;
        g_job.outOfMemory = true;
    }
    EndJobOnWorker();
    return 0;
}

// False, nothing left busy, when the thread could not start.
bool StartWorker(HWND notify, UINT endMessage, LPTHREAD_START_ROUTINE proc) {
    CloseWorkerHandle(kWorkerStartWaitMs);
    // What a job abandoned at the program's end left behind.
    g_job.shuttingDown = false;
    g_job.outOfMemory = false;
    g_job.lockRefused = false;
    g_job.measured = false;
    g_job.progressDialog = notify;
    g_job.endMessage = endMessage;
    // Busy from here on, before the thread exists, so that no second job
    // can slip in.
    g_job.busy = true;
    g_job.workerThread = CreateThread(nullptr, 0, proc, nullptr, 0, &g_job.workerThreadId);
    if (g_job.workerThread) return true;
    g_job.busy = false;
    g_job.driveScan = 0;
    return false;
}

}  // namespace

bool StartCleaningJob(HWND notify, UINT endMessage) {
    g_job.driveScan = 0;
    ResetCleaningAbort();
    return StartWorker(notify, endMessage, CleaningThread);
}

bool StartDiskScanJob(HWND notify, UINT endMessage) {
    g_job.driveScan = 1;
    ClearFoundFiles();
    g_job.stop = false;
    g_job.userStopped = false;
    g_job.scanResult = 0;
    RefreshDriveTable();
    g_job.scanSnapshot = TakeDiskScanSnapshot();
    return StartWorker(notify, endMessage, DiskScanThread);
}

void SetProgressDialog(HWND dialog) {
    g_job.progressDialog = dialog;
    if (!dialog) g_job.driveScan = 0;  // the scan it was set for never started
}

void SetDriveScanFlag() { g_job.driveScan = 1; }

bool IsDriveScanJob() { return g_job.driveScan == 1; }

void RequestJobStop() {
    g_job.stop = true;
    g_job.userStopped = true;
}

void SetJobProgressBar(HWND bar) {
    g_job.progressBar = bar;
    g_job.lastPosition = 0;
}

void ForgetProgressDialog(HWND dialog) {
    HWND expected = dialog;
    if (g_job.progressDialog.compare_exchange_strong(expected, nullptr)) g_job.progressBar = nullptr;
}

bool TakeScanPosition(char (&folder)[256], char (&file)[256]) {
    std::lock_guard<std::mutex> lock(g_job.positionLock);
    if (g_job.positionVersion == g_job.shownVersion) return false;
    g_job.shownVersion = g_job.positionVersion;
    memcpy(folder, g_job.folder, sizeof folder);
    memcpy(file, g_job.file, sizeof file);
    return true;
}

JobOutcome FinishJob(int barPosition) {
    // The worker, answered already, ends its job and returns; the buttons
    // come back only once it has.
    if (g_job.workerThread) WaitForThread(g_job.workerThread, kWorkerReturnWaitMs);
    g_job.lastPosition = barPosition;
    JobOutcome outcome;
    outcome.scan = g_job.driveScan == 1;
    outcome.ending = g_job.shuttingDown;
    outcome.lockRefused = g_job.lockRefused.exchange(false);
    // Only the figures are new; the lists show them once this returns.
    if (g_job.measured.exchange(false) && !outcome.ending) AnnounceSweepChange();
    g_job.stop = false;
    outcome.outOfMemory = g_job.outOfMemory.exchange(false);
    outcome.showFoundFiles = outcome.scan && !outcome.ending && g_job.scanResult == 1 && !g_job.userStopped;
    g_job.userStopped = false;
    g_job.driveScan = 0;
    return outcome;
}

bool IsJobRunning() { return g_job.busy; }

bool WaitForThread(HANDLE thread, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool ReleaseWorkerThread() {
    if (!g_job.workerThread) return true;
    g_job.shuttingDown = true;
    AbortCleaning();
    g_job.stop = true;
    g_job.userStopped = true;
    // A worker still running keeps its job, its handle and the abort: it
    // ends the job itself when it gets to its end.
    if (!WaitForThread(g_job.workerThread, g_job.shutdownWaitMs)) return false;
    CloseHandle(g_job.workerThread);
    g_job.workerThread = nullptr;
    ResetCleaningAbort();
    g_job.shuttingDown = false;
    g_job.stop = false;
    g_job.userStopped = false;
    g_job.driveScan = 0;
    return true;
}

void SetShutdownWaitForTest(DWORD ms) { g_job.shutdownWaitMs = ms ? ms : kWorkerShutdownWaitMs; }

HWND CurrentProgressDialog() { return g_job.progressDialog; }

void ReportScanPosition(const char* folder, const char* file) {
    std::lock_guard<std::mutex> lock(g_job.positionLock);
    if (folder) snprintf(g_job.folder, sizeof g_job.folder, "%s", folder);
    if (file) snprintf(g_job.file, sizeof g_job.file, "%s", file);
    ++g_job.positionVersion;
}

bool StopRequested() { return g_job.stop; }

void StepProgressBar() {
    HWND bar = g_job.progressBar;
    if (bar) SendMessageA(bar, PBM_STEPIT, 0, 0);
}

bool HasJobProgressBar() { return g_job.progressBar.load() != nullptr; }

int LastProgressPosition() { return g_job.lastPosition; }

int JobSoundsRequested() { return g_job.soundsRequested; }
