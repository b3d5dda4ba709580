// The whole start-up road: splash before the main window, the Tips dialog
// over the visible main window, then the loop, whose first message creates
// the system-information dialog once; closing the main window ends it all.
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

struct Observed {
    volatile LONG mainVisibleDuringSplash = -1;
    volatile LONG mainVisibleDuringTips = -1;
    volatile LONG sysInfoBeforeTipsClosed = -1;
    volatile LONG sysInfoCreated = 0;
    volatile LONG sysInfoVisibleAtCreation = -1;
};

// Waits for the system-information dialog, then closes the main window.
void CloseOnceSysInfoExists(Observed& seen) {
    DWORD start = GetTickCount();
    while (!g_app.sysInfoDialog && GetTickCount() - start < 15000) Sleep(10);
    if (g_app.sysInfoDialog) InterlockedExchange(&seen.sysInfoCreated, 1);
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
}

TEST(StartupTest, SplashThenMainWindowThenTipsThenLoop) {
    ResetProgramState();
    ResetShellState();
    g_settings.enableTips = 1;
    Observed seen;
    WindowHelper splash(IsSplash, [&](HWND w) {
        InterlockedExchange(&seen.mainVisibleDuringSplash, IsWindowVisible(g_app.mainWindow) ? 1 : 0);
        PostMessageA(w, WM_LBUTTONDOWN, 0, 0);
    });
    WindowHelper tips(IsTips, [&](HWND w) {
        InterlockedExchange(&seen.mainVisibleDuringTips, IsWindowVisible(g_app.mainWindow) ? 1 : 0);
        Sleep(300);  // the loop has not started: nothing may create the scan dialog yet
        InterlockedExchange(&seen.sysInfoBeforeTipsClosed, g_app.sysInfoDialog ? 1 : 0);
        PostMessageA(w, WM_COMMAND, IDC_TIP_CLOSE, 0);
        CloseOnceSysInfoExists(seen);
    });
    int result = RunBrisola();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(splash.Join());
    EXPECT_TRUE(tips.Join());
    EXPECT_EQ(seen.mainVisibleDuringSplash, 0);
    EXPECT_EQ(seen.mainVisibleDuringTips, 1);
    EXPECT_EQ(seen.sysInfoBeforeTipsClosed, 0);
    EXPECT_EQ(seen.sysInfoCreated, 1);
    EXPECT_FALSE(IsWindow(g_app.mainWindow));
}

TEST(StartupTest, WithoutTipsTheLoopStartsAtOnceAndTheSplashClosesByItself) {
    ResetProgramState();
    ResetShellState();
    g_settings.enableTips = 0;
    Observed seen;
    volatile LONG tipsSeen = 0;
    // Nobody clicks the splash: its timer ends it.
    WindowHelper closer([](HWND w) { return w == g_app.mainWindow && IsWindowVisible(w); },
                        [&](HWND) {
                            if (FindProcessWindow(IsTips)) InterlockedExchange(&tipsSeen, 1);
                            CloseOnceSysInfoExists(seen);
                        },
                        20000);
    DWORD start = GetTickCount();
    EXPECT_EQ(RunBrisola(), 0);
    EXPECT_GE(GetTickCount() - start, 2000u);  // the splash stayed for its time
    EXPECT_TRUE(closer.Join());
    EXPECT_EQ(tipsSeen, 0);
    EXPECT_EQ(seen.sysInfoCreated, 1);
    g_settings.enableTips = 1;
}

}  // namespace
