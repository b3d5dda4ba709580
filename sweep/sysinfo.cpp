// The system-information scan: every category measured in full once at
// start-up, with a running report in the hidden dialog 157.
#include "sweep/sysinfo.h"

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "app/app_state.h"
#include "resource.h"
#include "sweep/categories.h"
#include "sweep/measure.h"
#include "sweep/results_list.h"
#include "sweep/sweep.h"
#include "ui/skin.h"

namespace {

const char kDoneMark[] = " [OK]\r\n";
const char kRule[] = "...............................................................\r\n";
const char kEndLine[] = "COMPLETED!\r\n";
const char kFinalMessage[] = "Checking System Information successfully completed!\r\n";

// Set on the dialog once Close has put it away, so it never comes back.
const LONG_PTR kClosedMark = 1;

std::atomic<bool> g_stopScan{false};

void ShowReport(HWND dialog, const std::string& report) {
    HWND control = GetDlgItem(dialog, IDC_SI_REPORT);
    SetWindowTextA(control, report.c_str());
    RepaintNow(control, true);
}

bool WasClosed(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) == kClosedMark; }

}  // namespace

INT_PTR CALLBACK SystemInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ApplySkin(dialog);
        return TRUE;
    case WM_SETFOCUS:
    case WM_SETCURSOR:
        // No hover tracker here: the cursor is left as it is.
        return TRUE;
    case WM_SIZE:
        RepaintOnSize(dialog, wParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SI_CLOSE) {
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        SetWindowLongPtrA(dialog, DWLP_USER, kClosedMark);
        EndDialog(dialog, DIALOG_RESULT);
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}

void RunSystemScan() {
    HWND dialog = g_app.sysInfoDialog;
    bool report = dialog && IsWindow(dialog);
    if (report) {
        if (!WasClosed(dialog)) ShowWindow(dialog, SW_SHOW);
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Please Wait...");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_HIDE);
    }

    // The figures of this run are published together at the end; each
    // category's only where nothing measured it later meanwhile.
    CategoryMeasurement measured[SWEEP_COUNT];
    std::string text;
    bool first = true;
    // A heading per category in table order; the disk scan's row has none.
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        const char* heading = CategoryAt(i).heading;
        if (!heading) continue;
        if (g_stopScan) return;
        if (!first) text += kDoneMark;
        first = false;
        text += heading;
        if (report) ShowReport(dialog, text);
        MeasureCategory(i, measured[i]);
    }
    text += kDoneMark;
    if (report) ShowReport(dialog, text);
    text += kRule;
    if (report) ShowReport(dialog, text);
    text += kEndLine;
    if (report) {
        ShowReport(dialog, text);
        SetDlgItemTextA(dialog, IDC_SI_LINE, kFinalMessage);
        RepaintNow(GetDlgItem(dialog, IDC_SI_LINE), true);
    }
    PublishMeasuredCategories(measured);
    if (report) {
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Completed");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_SHOW);
    }
}

DWORD WINAPI SystemScanThread(LPVOID) {
    try {
        RunSystemScan();
        // Ticks the user changed during the scan stay as they are.
        if (!g_stopScan) FillResultsLists(true);
    } catch (const std::bad_alloc&) {
        HWND status = g_app.statusBar;
        if (status && !g_stopScan)
            SendMessageA(status, SB_SETTEXTA, 0,
                         reinterpret_cast<LPARAM>("Out of memory: the system information scan was stopped."));
    }
    return 0;
}

void StopSystemScan() { g_stopScan = true; }

void AllowSystemScan() { g_stopScan = false; }

