#include "sweep/sysinfo_dialog.h"

#include <atomic>
#include <cstdio>

#include "resource.h"
#include "sweep/measure.h"
#include "ui/skin.h"

namespace {

const char kFinalMessage[] = "Checking System Information successfully completed!\r\n";

// Set on the dialog once Close has put it away, so it never comes back.
const LONG_PTR kClosedMark = 1;

std::atomic<HWND> g_dialog{nullptr};

bool WasClosed(HWND dialog) { return GetWindowLongPtrA(dialog, DWLP_USER) == kClosedMark; }

void ShowLine(HWND dialog, int id, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    SetWindowTextA(control, text);
    RepaintNow(control, true);
}

// Each address the URL-cache measuring counts, while the dialog exists.
void ShowCheckedEntry(const char* url) {
    HWND dialog = g_dialog;
    if (!dialog) return;
    char line[512];
    int n = snprintf(line, sizeof line, "Checking file:%s\r\n", url);
    if (n < 0 || n >= static_cast<int>(sizeof line)) return;  // never show a cut address
    ShowLine(dialog, IDC_SI_LINE, line);
}

void OnDestroy(HWND dialog) {
    HWND expected = dialog;
    g_dialog.compare_exchange_strong(expected, nullptr);
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
    SetUrlCacheWatcher(ShowCheckedEntry);
    return dialog;
}

HWND SystemInfoDialog() { return g_dialog; }

void ShowSystemScanStage(SystemScanStage stage, const char* text) {
    HWND dialog = g_dialog;
    if (!dialog || !IsWindow(dialog)) return;
    switch (stage) {
    case SystemScanStage::Started:
        if (!WasClosed(dialog)) ShowWindow(dialog, SW_SHOW);
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Please Wait...");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_HIDE);
        break;
    case SystemScanStage::Progress:
        ShowLine(dialog, IDC_SI_REPORT, text ? text : "");
        break;
    case SystemScanStage::Finished:
        ShowLine(dialog, IDC_SI_REPORT, text ? text : "");
        ShowLine(dialog, IDC_SI_LINE, kFinalMessage);
        break;
    case SystemScanStage::Completed:
        SetDlgItemTextA(dialog, IDC_SI_STATE, "Completed");
        ShowWindow(GetDlgItem(dialog, IDC_SI_CLOSE), SW_SHOW);
        break;
    case SystemScanStage::OutOfMemory:
        break;
    }
}
