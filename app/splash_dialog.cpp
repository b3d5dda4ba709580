// The splash (IDD_SPLASH): shown modally over the main window as it is
// created, until its timer runs out or it is clicked.
#include "app/splash_dialog.h"

#include "resource.h"

namespace {

const UINT_PTR kSplashTimer = 65001;
const UINT kSplashMs = 2500;

INT_PTR CALLBACK SplashDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetTimer(dialog, kSplashTimer, kSplashMs, nullptr);
        return TRUE;
    case WM_TIMER:
    case WM_LBUTTONDOWN:
        KillTimer(dialog, kSplashTimer);
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowSplash(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPLASH), owner, SplashDialogProc, 0);
}
