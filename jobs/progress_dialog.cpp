// The progress dialog: it pulls the job model when told it changed, draws
// it, asks the clean's questions and takes the job's end.
#include "jobs/progress_dialog.h"

#include <commctrl.h>

#include <string>

#include "drives/drive_table.h"
#include "drives/found_files_dialog.h"
#include "resource.h"
#include "sweep/clean_event.h"
#include "sweep/clean_report.h"
#include "sweep/confirm_dialog.h"
#include "jobs/job_lock.h"
#include "jobs/job_runner.h"
#include "sweep/sweep.h"
#include "ui/skin.h"

namespace {

// The job a dialog shows, handed to it in CreateDialogParam's lParam.
const LPARAM kCleaningJob = 0;
const LPARAM kDiskScanJob = 1;

// The scan's position is drawn at a human rate; the bar and the end at once.
const UINT_PTR kDrawTimer = 1;
const DWORD kPositionDrawMs = 50;
// The job model changed: the dialog pulls it.
const UINT kJobChangedMessage = WM_APP + 20;
const char kCleanOutOfMemory[] = "Out of memory: the cleaning was stopped.";
const char kScanOutOfMemory[] = "Out of memory: the disk scan was stopped.";
const char kCleanLocked[] = "Another Brisola clean is running; nothing was cleaned.";

const int kProgressHoverIds[] = {IDC_PROG_STOP};
const HoverList kProgressHover = {kProgressHoverIds, 1};

// One opening of the dialog, behind DWLP_USER.
struct ProgressView {
    bool scan = false;
    DWORD positionDrawn = 0;  // when the position was last drawn
    bool timerSet = false;
    unsigned asking = 0;          // the question the confirmation shows, 0: none
    HWND confirmation = nullptr;  // while it is open
    bool destroyed = false;       // went while a confirmation was open
};

ProgressView* ViewOf(HWND dialog) { return reinterpret_cast<ProgressView*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void TellJobEnd(HWND owner, const char* statusText) {
    if (owner && IsWindow(owner)) SendMessageA(owner, kJobEndedMessage, 0, reinterpret_cast<LPARAM>(statusText));
}

void ShowScanFields(HWND dialog, bool show) {
    const int ids[] = {IDC_PROG_DIR, IDC_PROG_FILE, IDC_PROG_DIR_LABEL, IDC_PROG_FILE_LABEL, IDC_PROG_STOP};
    for (int id : ids) ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void OnInitDialog(HWND dialog, LPARAM lParam) {
    ApplySkin(dialog);
    auto* view = new ProgressView;
    view->scan = lParam == kDiskScanJob;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
    if (!view->scan) {
        // Only the bar and "Please wait..." stay in sight.
        RECT window, client;
        GetWindowRect(dialog, &window);
        GetClientRect(dialog, &client);
        MoveWindow(dialog, window.left, window.top, client.right - client.left, 80, TRUE);
    }
    HWND bar = GetDlgItem(dialog, IDC_PROG_BAR);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    // One step per drive slot, or per cleaning step.
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, view->scan ? kDriveSlots : SWEEP_CATEGORIES));
}

// The end of a job, on the main thread, once the model shows it.
void OnJobEnd(HWND dialog) {
    JobOutcome outcome;
    if (!FinishJob(static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETPOS, 0, 0)), outcome)) return;
    KillTimer(dialog, kDrawTimer);
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (outcome.outOfMemory) {
        TellJobEnd(owner, outcome.scan ? kScanOutOfMemory : kCleanOutOfMemory);
    } else if (outcome.lockRefused) {
        TellJobEnd(owner, kCleanLocked);
    } else if (!outcome.scan && !outcome.ending) {
        // What the clean did, in a line; clicking it opens the full report.
        TellJobEnd(owner, CleanSummaryText(CopyLastCleanReport()).c_str());
    } else {
        TellJobEnd(owner, nullptr);
    }
    if (outcome.showFoundFiles && owner && IsWindow(owner)) ShowFoundFilesDialog(owner);
    if (IsWindow(dialog)) DestroyWindow(dialog);
}

// Asks the worker's question on this thread; the answer goes back to the
// model. False when the dialog went meanwhile (its view is freed then).
bool AskQuestion(HWND dialog, ProgressView* view, const JobView& job) {
    view->asking = job.question;
    bool yes = RunConfirmDialog(GetWindow(dialog, GW_OWNER), job.subject, &view->confirmation);
    AnswerJobQuestion(job.question, yes);
    view->asking = 0;
    if (!view->destroyed) return true;
    delete view;
    return false;
}

// The job model changed: pull it and draw it. The scan's position waits
// for its timer when it was drawn less than a moment ago; so does the
// model then, so that a busy scan is pulled at that rate.
void OnJobChanged(HWND dialog) {
    ProgressView* view = ViewOf(dialog);
    if (!view) return;
    DWORD now = GetTickCount();
    if (view->scan && now - view->positionDrawn < kPositionDrawMs) {
        if (!view->timerSet) SetTimer(dialog, kDrawTimer, kPositionDrawMs - (now - view->positionDrawn), nullptr);
        view->timerSet = true;
        return;
    }
    JobView job = TakeJobView();
    SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_SETPOS, job.steps, 0);
    if (job.positionChanged) {
        SetDlgItemTextA(dialog, IDC_PROG_DIR, job.folder);
        SetDlgItemTextA(dialog, IDC_PROG_FILE, job.file);
        view->positionDrawn = now;
    }
    // A question withdrawn while it is shown (the program ends) closes.
    if (view->asking && job.question != view->asking && view->confirmation)
        PostMessageA(view->confirmation, WM_CLOSE, 0, 0);
    if (view->asking) return;  // its end waits until the question is closed
    if (job.question) {
        if (!AskQuestion(dialog, view, job)) return;
        OnJobChanged(dialog);  // what came meanwhile, and the end
        return;
    }
    if (job.ended) OnJobEnd(dialog);
}

void OnDrawTimer(HWND dialog) {
    KillTimer(dialog, kDrawTimer);
    ProgressView* view = ViewOf(dialog);
    if (!view) return;
    view->timerSet = false;
    view->positionDrawn = 0;
    OnJobChanged(dialog);
}

// A close or Escape by the user: Stop during a scan; a cleaning cannot be
// stopped. Only the job's end closes the dialog.
void OnUserClose(HWND dialog) {
    ProgressView* view = ViewOf(dialog);
    if (IsJobRunning() && view && view->scan) RequestJobStop();
}

void OnDestroy(HWND dialog) {
    KillTimer(dialog, kDrawTimer);
    ForgetProgressDialog(dialog);
    ProgressView* view = ViewOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    if (!view) return;
    // A confirmation still open frees the view once it has returned.
    if (view->asking) view->destroyed = true;
    else delete view;
}

void StartOrAbandon(HWND dialog, bool started) {
    if (started) return;
    // No thread: the buttons come back and the dialog goes.
    TellJobEnd(GetWindow(dialog, GW_OWNER), nullptr);
    DestroyWindow(dialog);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case CMD_START_CLEANING:
        ShowScanFields(dialog, false);
        StartOrAbandon(dialog, StartCleaningJob(dialog, kJobChangedMessage));
        return TRUE;
    case CMD_START_DISK_SCAN:
        ShowScanFields(dialog, true);
        StartOrAbandon(dialog, StartDiskScanJob(dialog, kJobChangedMessage));
        return TRUE;
    case IDC_PROG_STOP:
        RequestJobStop();
        return TRUE;
    case IDCANCEL:
        OnUserClose(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_TIMER:
        if (wParam == kDrawTimer) OnDrawTimer(dialog);
        return TRUE;
    case kJobChangedMessage:
        OnJobChanged(dialog);
        return TRUE;
    case WM_CLOSE:
        OnUserClose(dialog);
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

HWND ShowProgressDialog(HWND owner, int startCommand) {
    if (IsJobRunning()) return nullptr;
    // A clean of the console program (a scheduled one) is running: say so
    // and start nothing. The worker checks again as it takes the lock.
    if (startCommand == CMD_START_CLEANING && JobLockHeldElsewhere()) {
        ReportRefusalToEventLog(kAnotherCleanRunning);
        TellJobEnd(owner, kCleanLocked);
        return nullptr;
    }
    LPARAM kind = startCommand == CMD_START_DISK_SCAN ? kDiskScanJob : kCleaningJob;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                     ProgressDialogProc, kind);
    if (dialog) ShowWindow(dialog, SW_SHOW);
    return dialog;
}
