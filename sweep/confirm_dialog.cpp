#include "sweep/confirm_dialog.h"

#include <windows.h>

#include <atomic>

#include "resource.h"
#include "sweep/cleaning.h"
#include "ui/skin.h"

namespace {

std::atomic<HWND> g_confirmDialog{nullptr};  // the open confirmation, if any
std::atomic<HWND> g_confirmOwner{nullptr};

const int kConfirmHoverIds[] = {IDC_CONF_OK, IDC_CONF_CANCEL};
const HoverList kConfirmHover = {kConfirmHoverIds, 2};

void OnConfirmInit(HWND dialog, LPARAM lParam) {
    ApplySkin(dialog);
    const char* subject = reinterpret_cast<const char*>(lParam);
    SetDlgItemTextA(dialog, IDC_CONF_TEXT, subject ? subject : "");
    g_confirmDialog = dialog;
    // An abort that came before the handle was known still closes it.
    if (CleaningAborted()) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void EndConfirm(HWND dialog, INT_PTR result) {
    g_confirmDialog = nullptr;
    EndDialog(dialog, result);
}

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnConfirmInit(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CONF_OK || LOWORD(wParam) == IDC_CONF_CANCEL) {
            EndConfirm(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndConfirm(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kConfirmHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}

// Called by the engine's abort, from any thread.
void CloseConfirmDialog() {
    HWND dialog = g_confirmDialog;
    if (dialog) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

}  // namespace

void UseConfirmDialog(HWND owner) {
    g_confirmOwner = owner;
    SetCleanConfirmer(RunConfirmDialog, CloseConfirmDialog);
}

bool RunConfirmDialog(const char* subject) {
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIRM), g_confirmOwner,
                                     ConfirmDialogProc, reinterpret_cast<LPARAM>(subject));
    return result == IDC_CONF_OK;
}
