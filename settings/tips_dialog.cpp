// The Tips dialog: a random tip, Next Tip, and the start-up check box.
#include "settings/tips_dialog.h"

#include <mmsystem.h>

#include <cstdlib>

#include "resource.h"
#include "settings/settings.h"
#include "ui/skin.h"

const char kTips[kTipCount][256] = {
    "With regular Brisola use, you can increase computer working speed for up to 30%",
    "Untick the categories you want to keep: Brisola cleans only the ticked ones. Turn on \"Ask before cleaning "
    "specific folder ?\" in Settings to confirm each one.",
    "Your Windows OS is saving important data for example where do you surf the web and what kind of programs do "
    "you use. You can disable this kind of exploits with Fennimar.",
    "3 from 5 people will look where have you been surfing on the internet if they have a chance. Don't let this "
    "happen to you! Use Brisola and protect your privacy.",
    "Everyone can look what were you doing when you leave your computer. With Fennimar you are safe from this "
    "exploit.",
    "The Drive Cleaner finds junk by file extension. Add your own filters, scan, then untick in View Files any "
    "file you want to keep before you clean.",
    "Almost 95% of computers have some kind of spyware that scans for your private information. Use Brisola to "
    "protect yourself from this. Be smart and Use Brisola.",
    "You can earn money when using Brisola. When you use your computer for a longer time there will be created a "
    "lot of junk files that you do not need. Use Brisola, gain precious disk space and avoid costs of new hard "
    "disk.",
    "With Brisola you can remove all junk files that slow down your computer.",
    "With integrated Cookies Manager you can efficently manage your cookies settings.",
};

namespace {

const int kHoverIds[] = {IDC_TIP_NEXT, IDC_TIP_CLOSE, IDC_TIP_X};
const HoverList kHover = {kHoverIds, 3};

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    SendDlgItemMessageA(dialog, IDC_TIP_SHOW_AT_START, BM_SETCHECK,
                        g_settings.enableTips ? BST_CHECKED : BST_UNCHECKED, 0);
    ShowRandomTip(dialog);
}

void OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_TIP_SHOW_AT_START:
        ToggleFlag(g_settings.enableTips);
        break;
    case IDC_TIP_NEXT:
        ShowRandomTip(dialog);
        break;
    case IDC_TIP_CLOSE:
    case IDC_TIP_X:
        EndDialog(dialog, DIALOG_RESULT);
        break;
    default:
        break;
    }
}

}  // namespace

// Seeded anew from the millisecond clock at every pick, so the same tip can
// come twice in a row.
void ShowRandomTip(HWND dialog) {
    srand(timeGetTime());
    SetDlgItemTextA(dialog, IDC_TIP_TEXT, kTips[rand() % kTipCount]);
}

void RunTipsDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TIPS), owner, TipsDialogProc, 0);
}

INT_PTR CALLBACK TipsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
