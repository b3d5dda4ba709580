#include "jobs/startup_scan_dialog.h"

#include "resource.h"
#include "ui/skin.h"

namespace {

// Set on the dialog once Close has put it away, so it never comes back.
const LONG_PTR kClosedMark = 1;

HWND g_dialog = nullptr;  // main thread only

bool WasClosed(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) == kClosedMark; }

void ShowLine(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    SetWindowTextA(control, text);
    RepaintNow(control, true);
}

void OnDestroy(HWND dialog) {
    if (g_dialog == dialog) g_dialog = nullptr;
}

INT_PTR CALLBACK SystemInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ApplySkin(dialog);
        return TRUE;
    case WM_SETFOCUS:
        return TRUE;
    case WM_SETCURSOR:
        // No hover tracker here; the default cursor is set.
        return FALSE;
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
        return TRUE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}

}  // namespace

HWND ShowSystemInfoDialog(HWND owner) {
    HWND dialog = g_dialog;
    if (dialog && IsWindow(dialog)) return dialog;
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SYSINFO), owner, SystemInfoDialogProc, 0);
    g_dialog = dialog;
    return dialog;
}

HWND SystemInfoDialog() { return g_dialog; }

void ShowSystemScanView(const SystemScanView& view) {
    HWND dialog = g_dialog;
    if (!dialog || !IsWindow(dialog)) return;
    if (view.started) {
        if (!WasClosed(dialog)) ShowWindow(dialog, SW_SHOW);
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Please Wait...");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_HIDE);
    }
    if (view.reportChanged) ShowLine(dialog, IDC_SI_REPORT, view.report.c_str());
    if (view.lineChanged) ShowLine(dialog, IDC_SI_LINE, view.line.c_str());
    if (view.completed) {
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Completed");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_SHOW);
    }
}
