// The Tips dialog. Placeholder until the tips are built.
#include "settings/tips.h"

#include "resource.h"

void ShowRandomTip(HWND) {}

INT_PTR CALLBACK TipsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_TIP_CLOSE || LOWORD(wParam) == IDC_TIP_X) EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        return FALSE;
    }
}
