// The Tips dialog at start-up: it opens over the main window on a first
// start, and no longer once it was unchecked and the program exited.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "app/startup.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace {

bool IsTips(HWND w) { return GetDlgItem(w, IDC_TIP_NEXT) && GetDlgItem(w, IDC_TIP_SHOW_AT_START); }
bool IsSysInfo(HWND w) { return GetDlgItem(w, IDC_SI_STATE) && GetDlgItem(w, IDC_SI_REPORT); }
bool IsMain(HWND w) {
    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    return strcmp(title, "BRISOLA v2.2") == 0 && GetDlgItem(w, IDC_CLEAN);
}

HWND WaitFor(bool (*match)(HWND), DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (HWND w = FindProcessWindow(match)) return w;
        Sleep(20);
    }
    return nullptr;
}

struct RunSeen {
    bool tipsAtStart = false;
    bool mainVisibleUnderTips = false;
    bool tipsChecked = false;
    bool loopStarted = false;
    bool tipsButtonOpens = false;
    int exitCode = -1;
};

// Runs the whole program once, as a user would: dismiss the splash, answer
// the Tips dialog if it comes, wait for the loop, then close the program.
RunSeen RunProgram(bool uncheckTips) {
    RunSeen seen;
    WindowHelper user(IsSplash, [&](HWND splash) {
        PostMessageA(splash, WM_LBUTTONDOWN, 0, 0);
        HWND tips = nullptr;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 10000) {
            if ((tips = FindProcessWindow(IsTips)) && IsWindowVisible(tips)) break;
            tips = nullptr;
            if (FindProcessWindow(IsSysInfo)) break;
            Sleep(20);
        }
        if (tips) {
            seen.tipsAtStart = true;
            // Still before the loop: the system-information dialog is not made yet.
            seen.loopStarted = FindProcessWindow(IsSysInfo) != nullptr;
            HWND owner = GetWindow(tips, GW_OWNER);
            seen.mainVisibleUnderTips = owner && IsMain(owner) && IsWindowVisible(owner);
            seen.tipsChecked = SendDlgItemMessageA(tips, IDC_TIP_SHOW_AT_START, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (uncheckTips) SendDlgItemMessageA(tips, IDC_TIP_SHOW_AT_START, BM_CLICK, 0, 0);
            PostMessageA(tips, WM_COMMAND, IDC_TIP_CLOSE, 0);
        }
        bool loop = WaitFor(IsSysInfo, 10000) != nullptr;
        if (tips) seen.loopStarted = !seen.loopStarted && loop;
        else seen.loopStarted = loop;
        HWND main = FindProcessWindow(IsMain);
        if (!tips && main) {
            // The Tips button still opens it.
            PostMessageA(main, WM_COMMAND, IDC_TIPS, 0);
            if (HWND again = WaitFor(IsTips, 5000)) {
                seen.tipsButtonOpens = true;
                PostMessageA(again, WM_CLOSE, 0, 0);
                for (int i = 0; i < 100 && IsWindow(again); ++i) Sleep(20);
            }
        }
        if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    });
    seen.exitCode = RunBrisola();
    EXPECT_TRUE(user.Join());
    return seen;
}

TEST(TipsAtStartup, OpenAtFirstStartAndNotAfterBeingUnchecked) {
    ResetProgramState();
    RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
    ResetSettings();

    RunSeen first = RunProgram(true);
    EXPECT_TRUE(first.tipsAtStart);
    EXPECT_TRUE(first.mainVisibleUnderTips);
    EXPECT_TRUE(first.tipsChecked);
    EXPECT_TRUE(first.loopStarted);
    EXPECT_EQ(first.exitCode, 0);

    ResetSettings();  // a new process starts from the built-in defaults
    RunSeen second = RunProgram(false);
    EXPECT_FALSE(second.tipsAtStart);
    EXPECT_TRUE(second.loopStarted);
    EXPECT_TRUE(second.tipsButtonOpens);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(g_settings.enableTips.load(), 0);

    ResetProgramState();
    ResetSettings();
}

}  // namespace
