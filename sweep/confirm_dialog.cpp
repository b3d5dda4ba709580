#include "sweep/confirm_dialog.h"

#include <windows.h>

#include "resource.h"
#include "ui/skin.h"

namespace {

const int kConfirmHoverIds[] = {IDC_CONF_OK, IDC_CONF_CANCEL};
const HoverList kConfirmHover = {kConfirmHoverIds, 2};

// One opening, behind DWLP_USER.
struct Question {
    const char* subject;
    HWND* open;
};

void OnConfirmInit(HWND dialog, LPARAM lParam) {
    ApplySkin(dialog);
    const Question* question = reinterpret_cast<const Question*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    SetDlgItemTextA(dialog, IDC_CONF_TEXT, question->subject ? question->subject : "");
    if (question->open) *question->open = dialog;
}

void ForgetOpen(HWND dialog) {
    const Question* question = reinterpret_cast<const Question*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (question && question->open) *question->open = nullptr;
}

void EndConfirm(HWND dialog, INT_PTR result) {
    ForgetOpen(dialog);
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
    case WM_DESTROY:
        // Destroyed with its owner: the caller's slot must not name it.
        ForgetOpen(dialog);
        return FALSE;
    case WM_SETCURSOR:
        TrackHover(dialog, kConfirmHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}

}  // namespace

bool RunConfirmDialog(HWND owner, const char* subject, HWND* open) {
    Question question = {subject, open};
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIRM), owner,
                                     ConfirmDialogProc, reinterpret_cast<LPARAM>(&question));
    if (open) *open = nullptr;
    return result == IDC_CONF_OK;
}
