#include "sweep/progress_dialog.h"

#include <commctrl.h>

#include <string>

#include "drives/drive_table.h"
#include "drives/found_files_dialog.h"
#include "resource.h"
#include "sweep/clean_event.h"
#include "sweep/clean_report.h"
#include "sweep/job_lock.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"
#include "ui/skin.h"

namespace {

const UINT_PTR kPositionTimer = 1;
const UINT kPositionTimerMs = 50;
// The worker's own end of a job; a WM_CLOSE may come from anyone.
const UINT kJobEndMessage = WM_APP + 20;
const char kCleanOutOfMemory[] = "Out of memory: the cleaning was stopped.";
const char kScanOutOfMemory[] = "Out of memory: the disk scan was stopped.";
const char kCleanLocked[] = "Another Brisola clean is running; nothing was cleaned.";

JobEndListener g_onJobEnd = nullptr;  // main thread only

const int kProgressHoverIds[] = {IDC_PROG_STOP};
const HoverList kProgressHover = {kProgressHoverIds, 1};

void TellJobEnd(const char* statusText) {
    if (g_onJobEnd) g_onJobEnd(statusText);
}

void ShowScanFields(HWND dialog, bool show) {
    const int ids[] = {IDC_PROG_DIR, IDC_PROG_FILE, IDC_PROG_DIR_LABEL, IDC_PROG_FILE_LABEL, IDC_PROG_STOP};
    for (int id : ids) ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    SetProgressDialog(dialog);
    bool scan = IsDriveScanJob();
    if (!scan) {
        // Only the bar and "Please wait..." stay in sight.
        RECT window, client;
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        MoveWindow(dialog, window.left, window.top, client.right - client.left, 80, TRUE);
    }
    HWND bar = GetDlgItem(dialog, IDC_PROG_BAR);
    SetJobProgressBar(bar);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    // One step per drive slot, or per cleaning step.
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, scan ? kDriveSlots : SWEEP_CATEGORIES));
}

void ShowScanPosition(HWND dialog) {
    char folder[256], file[256];
    if (!TakeScanPosition(folder, file)) return;
    SetDlgItemTextA(dialog, IDC_PROG_DIR, folder);
    SetDlgItemTextA(dialog, IDC_PROG_FILE, file);
}

// The end of a job, on the main thread, when the worker says it is done.
void OnJobEnd(HWND dialog) {
    // The worker has nothing left to do: let it return now instead of
    // waiting for the refresh and the found-files dialog below.
    if (InSendMessage()) ReplyMessage(0);
    KillTimer(dialog, kPositionTimer);
    JobOutcome outcome = FinishJob(static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETPOS, 0, 0)));
    if (outcome.outOfMemory) {
        TellJobEnd(outcome.scan ? kScanOutOfMemory : kCleanOutOfMemory);
    } else if (outcome.lockRefused) {
        TellJobEnd(kCleanLocked);
    } else if (!outcome.scan && !outcome.ending) {
        // What the clean did, in a line; clicking it opens the full report.
        TellJobEnd(CleanSummaryText(CopyLastCleanReport()).c_str());
    } else {
        TellJobEnd(nullptr);
    }
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (outcome.showFoundFiles && owner && IsWindow(owner)) ShowFoundFilesDialog(owner);
    if (IsWindow(dialog)) DestroyWindow(dialog);
}

// A close or Escape by the user: Stop during a scan; a cleaning cannot be
// stopped. Only the worker's end closes the dialog.
void OnUserClose() {
    if (IsJobRunning() && IsDriveScanJob()) RequestJobStop();
}

void OnDestroy(HWND dialog) {
    KillTimer(dialog, kPositionTimer);
    ForgetProgressDialog(dialog);
}

void StartOrAbandon(HWND dialog, bool started) {
    if (started) return;
    // No thread: the buttons come back and the dialog goes.
    TellJobEnd(nullptr);
    DestroyWindow(dialog);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case CMD_START_CLEANING:
        ShowScanFields(dialog, false);
        StartOrAbandon(dialog, StartCleaningJob(dialog, kJobEndMessage));
        return TRUE;
    case CMD_START_DISK_SCAN:
        ShowScanFields(dialog, true);
        SetTimer(dialog, kPositionTimer, kPositionTimerMs, nullptr);
        StartOrAbandon(dialog, StartDiskScanJob(dialog, kJobEndMessage));
        return TRUE;
    case IDC_PROG_STOP:
        RequestJobStop();
        return TRUE;
    case IDCANCEL:
        OnUserClose();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
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
        OnDestroy(dialog);
        return FALSE;
    case WM_SETFOCUS:
        return TRUE;
    case WM_SIZE:
        RepaintOnSize(dialog, wParam);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kProgressHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}

}  // namespace

void SetJobEndListener(JobEndListener listener) { g_onJobEnd = listener; }

HWND ShowProgressDialog(HWND owner, int startCommand) {
    if (IsJobRunning()) return nullptr;
    // A clean of the console program (a scheduled one) is running: say so
    // and start nothing. The worker checks again as it takes the lock.
    if (startCommand == CMD_START_CLEANING && JobLockHeldElsewhere()) {
        ReportRefusalToEventLog(kAnotherCleanRunning);
        TellJobEnd(kCleanLocked);
        return nullptr;
    }
    if (startCommand == CMD_START_DISK_SCAN) SetDriveScanFlag();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                     ProgressDialogProc, 0);
    SetProgressDialog(dialog);
    if (dialog) ShowWindow(dialog, SW_SHOW);
    return dialog;
}
