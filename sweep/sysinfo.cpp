// The system-information scan. Placeholder until the junk sweep is built.
#include "sweep/sysinfo.h"

#include "resource.h"

INT_PTR CALLBACK SystemInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SI_CLOSE) {
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return FALSE;
    default:
        return FALSE;
    }
}

DWORD WINAPI SystemScanThread(LPVOID) { return 0; }

void RunSystemScan() {}

void RepaintControl(HWND control) {
    RECT rc;
    GetClientRect(control, &rc);
    InvalidateRect(control, &rc, TRUE);
    UpdateWindow(control);
}
