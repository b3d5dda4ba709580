// The whole start-up road: splash before the main window, the Tips dialog
// over the visible main window, then the loop, whose first message creates
// the system-information dialog; closing the main window ends it all. An
// unticked "Show tips at Startup" keeps the Tips dialog away next time.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/app_state.h"
#include "app/startup.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace {

bool IsTips(HWND w) { return GetDlgItem(w, IDC_TIP_NEXT) != nullptr && GetDlgItem(w, IDC_TIP_X) != nullptr; }

void ResetShellState() {
    g_app.mainWindow = nullptr;
    g_app.sysInfoDialog = nullptr;
    g_app.sysInfoThread = nullptr;
}

// Waits for the system-information dialog, then closes the main window.
bool CloseOnceSysInfoExists() {
    DWORD start = GetTickCount();
    while (!g_app.sysInfoDialog && GetTickCount() - start < 15000) Sleep(10);
    bool created = g_app.sysInfoDialog != nullptr;
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    return created;
}

TEST(StartupTest, SplashThenMainWindowThenTipsThenLoopAndUntickedTipsStayAway) {
    ResetProgramState();
    RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
    ResetSettings();
    ResetShellState();
    volatile LONG mainDuringSplash = -1, mainUnderTips = -1, sysInfoBeforeTips = -1, tipsTicked = -1;
    volatile LONG sysInfoCreated = 0;
    WindowHelper splash(IsSplash, [&](HWND w) {
        InterlockedExchange(&mainDuringSplash, IsWindowVisible(g_app.mainWindow) ? 1 : 0);
        PostMessageA(w, WM_LBUTTONDOWN, 0, 0);
    });
    WindowHelper tips(IsTips, [&](HWND w) {
        HWND owner = GetWindow(w, GW_OWNER);
        InterlockedExchange(&mainUnderTips, owner == g_app.mainWindow && IsWindowVisible(owner) ? 1 : 0);
        InterlockedExchange(&tipsTicked,
                            SendDlgItemMessageA(w, IDC_TIP_SHOW_AT_START, BM_GETCHECK, 0, 0) == BST_CHECKED);
        Sleep(300);  // the loop has not started: nothing may create the scan dialog yet
        InterlockedExchange(&sysInfoBeforeTips, g_app.sysInfoDialog ? 1 : 0);
        SendDlgItemMessageA(w, IDC_TIP_SHOW_AT_START, BM_CLICK, 0, 0);
        PostMessageA(w, WM_COMMAND, IDC_TIP_CLOSE, 0);
        InterlockedExchange(&sysInfoCreated, CloseOnceSysInfoExists() ? 1 : 0);
    });
    EXPECT_EQ(RunBrisola(), 0);
    EXPECT_TRUE(splash.Join());
    EXPECT_TRUE(tips.Join());
    EXPECT_EQ(mainDuringSplash, 0);
    EXPECT_EQ(mainUnderTips, 1);
    EXPECT_EQ(tipsTicked, 1);
    EXPECT_EQ(sysInfoBeforeTips, 0);
    EXPECT_EQ(sysInfoCreated, 1);
    EXPECT_FALSE(IsWindow(g_app.mainWindow));

    // The next run (from the built-in defaults, as a new process): nobody
    // clicks the splash, its timer ends it; no Tips, but the button opens them.
    ResetSettings();
    ResetShellState();
    volatile LONG tipsSeen = 0, tipsButtonOpens = 0;
    sysInfoCreated = 0;
    WindowHelper closer([](HWND w) { return w == g_app.mainWindow && IsWindowVisible(w); },
                        [&](HWND main) {
                            if (FindProcessWindow(IsTips)) InterlockedExchange(&tipsSeen, 1);
                            PostMessageA(main, WM_COMMAND, IDC_TIPS, 0);
                            for (int i = 0; i < 250; ++i) {
                                HWND again = FindProcessWindow(IsTips);
                                if (again && IsWindowVisible(again)) {
                                    InterlockedExchange(&tipsButtonOpens, 1);
                                    PostMessageA(again, WM_CLOSE, 0, 0);
                                    for (int k = 0; k < 100 && IsWindow(again); ++k) Sleep(20);
                                    break;
                                }
                                Sleep(20);
                            }
                            InterlockedExchange(&sysInfoCreated, CloseOnceSysInfoExists() ? 1 : 0);
                        },
                        20000);
    DWORD start = GetTickCount();
    EXPECT_EQ(RunBrisola(), 0);
    EXPECT_GE(GetTickCount() - start, 2000u);  // the splash stayed for its time
    EXPECT_TRUE(closer.Join());
    EXPECT_EQ(tipsSeen, 0);
    EXPECT_EQ(tipsButtonOpens, 1);
    EXPECT_EQ(sysInfoCreated, 1);
    EXPECT_EQ(g_settings.enableTips.load(), 0);
    ResetProgramState();
    ResetSettings();
}

}  // namespace
