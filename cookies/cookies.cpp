// The cookie catalogue. Placeholder until the cookies manager is built.
#include "cookies/cookies.h"

#include "resource.h"

void LoadKeptCookies() {}
void SaveKeptCookies() {}
void DeleteListedCookies() {}

INT_PTR CALLBACK CookiesManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CK_OK) {
            EndDialog(dialog, DIALOG_RESULT);
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
