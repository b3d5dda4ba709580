// The progress dialog (137) and the worker threads of the two long jobs:
// cleaning and the disk scan. Only one job runs at a time. A worker reaches
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

#include "app/app_state.h"
#include "drives/disk_scan.h"
#include "drives/drive_table.h"
#include "drives/found_files.h"
#include "resource.h"
#include "settings/settings.h"
#include "sweep/clean_report.h"
#include "sweep/cleaning.h"
#include "sweep/job_lock.h"
#include "sweep/sweep.h"
#include "ui/skin.h"

namespace {

const UINT_PTR kPositionTimer = 1;
const UINT kPositionTimerMs = 50;
const DWORD kWorkerStartWaitMs = 5000;
const DWORD kWorkerShutdownWaitMs = 10000;
// The worker's own end of a job; a WM_CLOSE may come from anyone.
const UINT kJobEndMessage = WM_APP + 20;
const char kCleanOutOfMemory[] = "Out of memory: the cleaning was stopped.";
const char kScanOutOfMemory[] = "Out of memory: the disk scan was stopped.";

struct JobState {
    std::atomic<HWND> progressDialog{nullptr};
    std::atomic<HWND> progressBar{nullptr};
    HANDLE workerThread = nullptr;  // main thread only
    DWORD workerThreadId = 0;
    std::atomic<bool> busy{false};
    std::atomic<int> driveScan{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> userStopped{false};
    std::atomic<int> scanResult{0};
    std::atomic<int> lastPosition{0};
    std::atomic<int> soundsRequested{0};
    std::atomic<bool> outOfMemory{false};
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

const int kProgressHoverIds[] = {IDC_PROG_STOP};
const HoverList kProgressHover = {kProgressHoverIds, 1};

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

void SendJobEnd() {
    HWND dialog = g_job.progressDialog;
    if (dialog) SendMessageA(dialog, kJobEndMessage, 0, 0);
}

// Out of memory ends the job like any other end, and says so.
DWORD WINAPI CleaningThread(LPVOID) {
    try {
        PlayJobSound("cleaning");
        // Held for the whole clean: the console program refuses to clean
        // meanwhile.
        JobLock lock;
        if (!CleaningAborted()) {
            ReadTicksFromList();
            CleanCategories();
        }
        if (!CleaningAborted()) RefreshSweep();
    } catch (const std::bad_alloc&) {
        g_job.outOfMemory = true;
    }
    SendJobEnd();
    return 0;
}

DWORD WINAPI DiskScanThread(LPVOID) {
    try {
        PlayJobSound("filtering");
        g_job.scanResult = RunDiskScan(g_job.scanSnapshot);
    } catch (const std::bad_alloc&) {
        g_job.scanResult = 0;
        g_job.outOfMemory = true;
    }
    SendJobEnd();
    return 0;
}

void EnableMainButtons() {
    HWND main = g_app.mainWindow;
    if (!main || !IsWindow(main)) return;
    EnableWindow(GetDlgItem(main, IDC_CLEAN), TRUE);
    EnableWindow(GetDlgItem(main, IDC_EXIT), TRUE);
}

// Ends a job that could not start: buttons back, dialog gone.
void AbandonJob(HWND dialog) {
    g_job.busy = false;
    g_job.driveScan = 0;
    EnableMainButtons();
    DestroyWindow(dialog);
}

void StartWorker(HWND dialog, LPTHREAD_START_ROUTINE proc) {
    CloseWorkerHandle(kWorkerStartWaitMs);
    // Busy from here on, before the thread exists, so that no second job
    // can slip in.
    g_job.busy = true;
    g_job.workerThread = CreateThread(nullptr, 0, proc, nullptr, 0, &g_job.workerThreadId);
    if (!g_job.workerThread) AbandonJob(dialog);
}

void StartCleaningThread(HWND dialog) {
    ResetCleaningAbort();
    StartWorker(dialog, CleaningThread);
}

void StartDiskScanThread(HWND dialog) {
    ClearFoundFiles();
    g_job.stop = false;
    g_job.userStopped = false;
    g_job.scanResult = 0;
    // The lists' ticks, read here where the lists live.
    RefreshDriveTable();
    g_job.scanSnapshot = TakeDiskScanSnapshot();
    StartWorker(dialog, DiskScanThread);
}

void ShowScanFields(HWND dialog, bool show) {
    const int ids[] = {IDC_PROG_DIR, IDC_PROG_FILE, IDC_PROG_DIR_LABEL, IDC_PROG_FILE_LABEL, IDC_PROG_STOP};
    for (int id : ids) ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void OnProgressInit(HWND dialog) {
    ApplySkin(dialog);
    g_job.progressDialog = dialog;
    bool scan = g_job.driveScan == 1;
    if (!scan) {
        // Only the bar and "Please wait..." stay in sight.
        RECT window, client;
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        MoveWindow(dialog, window.left, window.top, client.right - client.left, 80, TRUE);
    }
    HWND bar = GetDlgItem(dialog, IDC_PROG_BAR);
    g_job.progressBar = bar;
    g_job.lastPosition = 0;
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    // One step per drive slot, or per cleaning step.
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, scan ? 16 : SWEEP_CATEGORIES));
}

void ShowScanPosition(HWND dialog) {
    char folder[256], file[256];
    {
        std::lock_guard<std::mutex> lock(g_job.positionLock);
        if (g_job.positionVersion == g_job.shownVersion) return;
        g_job.shownVersion = g_job.positionVersion;
        memcpy(folder, g_job.folder, sizeof folder);
        memcpy(file, g_job.file, sizeof file);
    }
    SetDlgItemTextA(dialog, IDC_PROG_DIR, folder);
    SetDlgItemTextA(dialog, IDC_PROG_FILE, file);
}

// The end of a job, on the main thread, when the worker says it is done.
void OnJobEnd(HWND dialog) {
    // The worker has nothing left to do: let it return now instead of
    // waiting for the refresh and the found-files dialog below.
    if (InSendMessage()) ReplyMessage(0);
    g_job.lastPosition = static_cast<int>(SendMessageA(g_job.progressBar, PBM_GETPOS, 0, 0));
    bool scan = g_job.driveScan == 1;
    bool ending = g_job.shuttingDown;
    if (scan) KillTimer(dialog, kPositionTimer);
    if (scan && !ending) {
        ReadTicksFromList();
        RefreshSweep();
    }
    g_job.busy = false;
    EnableMainButtons();
    g_job.stop = false;
    bool outOfMemory = g_job.outOfMemory.exchange(false);
    if (outOfMemory && g_app.statusBar)
        SendMessageA(g_app.statusBar, SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>(scan ? kScanOutOfMemory : kCleanOutOfMemory));
    // What the clean did, in a line; clicking it opens the full report.
    if (!scan && !outOfMemory && !ending && g_app.statusBar) {
        std::string summary = CleanSummaryText(CopyLastCleanReport());
        SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(summary.c_str()));
    }
    if (scan && !ending && g_job.scanResult == 1 && !g_job.userStopped && g_app.mainWindow && IsWindow(g_app.mainWindow))
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FOUND_FILES), g_app.mainWindow,
                        FoundFilesDialogProc, 0);
    g_job.userStopped = false;
    g_job.driveScan = 0;
    if (IsWindow(dialog)) DestroyWindow(dialog);
}

// A close or Escape by the user: Stop during a scan; a cleaning cannot be
// stopped. Only the worker's end closes the dialog.
void OnUserClose() {
    if (g_job.busy && g_job.driveScan == 1) {
        g_job.stop = true;
        g_job.userStopped = true;
    }
}

void OnProgressDestroy(HWND dialog) {
    KillTimer(dialog, kPositionTimer);
    HWND expected = dialog;
    if (g_job.progressDialog.compare_exchange_strong(expected, nullptr)) g_job.progressBar = nullptr;
}

INT_PTR OnProgressCommand(HWND dialog, WORD id) {
    switch (id) {
    case CMD_START_CLEANING:
        g_job.driveScan = 0;
        ShowScanFields(dialog, false);
        StartCleaningThread(dialog);
        return TRUE;
    case CMD_START_DISK_SCAN:
        g_job.driveScan = 1;
        ShowScanFields(dialog, true);
        SetTimer(dialog, kPositionTimer, kPositionTimerMs, nullptr);
        StartDiskScanThread(dialog);
        return TRUE;
    case IDC_PROG_STOP:
        g_job.stop = true;
        g_job.userStopped = true;
        return TRUE;
    case IDCANCEL:
        OnUserClose();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void SetProgressDialog(HWND dialog) {
    g_job.progressDialog = dialog;
    if (!dialog) g_job.driveScan = 0;  // the scan it was set for never started
}

void SetDriveScanFlag() { g_job.driveScan = 1; }

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
    bool ended = true;
    if (g_job.workerThread) {
        g_job.shuttingDown = true;
        AbortCleaning();
        g_job.stop = true;
        g_job.userStopped = true;
        ended = WaitForThread(g_job.workerThread, kWorkerShutdownWaitMs);
        CloseHandle(g_job.workerThread);
        g_job.workerThread = nullptr;
        if (ended) ResetCleaningAbort();
        g_job.shuttingDown = false;
    }
    g_job.busy = false;
    g_job.stop = false;
    g_job.userStopped = false;
    g_job.driveScan = 0;
    return ended;
}

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

int LastProgressPosition() { return g_job.lastPosition; }

int JobSoundsRequested() { return g_job.soundsRequested; }

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnProgressInit(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnProgressCommand(dialog, LOWORD(wParam));
    case WM_TIMER:
        if (wParam == kPositionTimer) ShowScanPosition(dialog);
        return TRUE;
    case kJobEndMessage:
        OnJobEnd(dialog);
        return TRUE;
    case WM_CLOSE:
        OnUserClose();
        return TRUE;
    case WM_DESTROY:
        OnProgressDestroy(dialog);
        return FALSE;
    case WM_SETFOCUS:
        return TRUE;
    case WM_SIZE:
        RepaintOnSize(dialog, wParam);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kProgressHover, reinterpret_cast<HWND>(wParam));
        return TRUE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
