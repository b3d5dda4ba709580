// The Settings dialog (template IDD_SETTINGS): three check boxes, each
// switching its flag at once.
#include "settings/settings_dialog.h"

#include "resource.h"
#include "settings/settings.h"
#include "ui/skin.h"

namespace {

void SetCheck(HWND dialog, int id, const std::atomic<bool>& flag) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, flag ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    SetCheck(dialog, IDC_SET_NEVERUPDATE, g_settings.neverUpdate);
    SetCheck(dialog, IDC_SET_ASKDEL, g_settings.askDel);
    SetCheck(dialog, IDC_SET_SOUND, g_settings.enableSnd);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_SET_ASKDEL:
        ToggleFlag(g_settings.askDel);
        return TRUE;
    case IDC_SET_SOUND:
        ToggleFlag(g_settings.enableSnd);
        return TRUE;
    case IDC_SET_NEVERUPDATE:
        ToggleNeverUpdate();
        return TRUE;
    case IDC_SET_OK:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        // Escape (IDCANCEL) does not close this dialog.
        return FALSE;
    }
}

const int kHoverIds[] = {IDC_SET_OK};
const HoverList kHover = {kHoverIds, 1};

}  // namespace

void RunSettingsDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsDialogProc, 0);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_DESTROY:
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
