// The program's life from start-up to its end: the splash before the main
// window, the Tips dialog over it, the loop whose first message starts the
// system-information scan (also when nothing at all happens), the keys of
// the modeless dialogs, the ends of a job (only the worker's own), out of
// memory on a thread, the end of the session and the end of the window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <new>
#include <string>

#include "app/app_state.h"
#include "app/startup.h"
#include "drives/disk_scan.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"
#include "sweep/sysinfo.h"

namespace {

bool IsTips(HWND w) { return GetDlgItem(w, IDC_TIP_NEXT) != nullptr && GetDlgItem(w, IDC_TIP_X) != nullptr; }

bool IsProgress(HWND w) { return HasControls(w, {IDC_PROG_BAR, IDC_PROG_STOP}); }
bool IsFoundFiles(HWND w) { return HasControls(w, {IDC_FF_LIST, IDC_FF_CLOSE}); }
bool MainVisible(HWND w) { return w == g_app.mainWindow && IsWindowVisible(w); }

void ResetShellState() {
    g_app.mainWindow = nullptr;
    g_app.sysInfoDialog = nullptr;
    g_app.sysInfoThread = nullptr;
}

// A start of the program without the Tips dialog.
void QuietStart() {
    ResetProgramState();
    ResetSettings();
    g_settings.enableTips = 0;
    g_settings.enableSnd = 0;
    ResetShellState();
}

// The window that has the keyboard focus on `thread`.
HWND FocusOn(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// A disk scan that stays at its first folder until it is told to stop.
bool ScanUntilStopped() {
    while (!StopRequested()) Sleep(5);
    return true;
}
bool ScanOutOfMemory() { throw std::bad_alloc(); }
HRESULT WINAPI FolderOutOfMemory(HWND, int, HANDLE, DWORD, LPSTR) { throw std::bad_alloc(); }

// Waits for the system-information dialog, then closes the main window.
bool CloseOnceSysInfoExists() {
    bool created = PollUntil([] { return g_app.sysInfoDialog != nullptr; }, 15000);
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    return created;
}

TEST(LifecycleTest, SplashMainWindowTipsThenTheLoopStartsTheScanEvenWithoutInput) {
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

    // The next run (from the built-in defaults, as a new process): no Tips.
    // Nothing happens after start-up (nobody clicks the splash, no pointer
    // over the window, no key), and the scan starts all the same. Closing
    // the window at once stops the scan and waits for it before
    // shfolder.dll goes.
    ResetSettings();
    ResetShellState();
    SetCursorPos(0, 0);  // away from the centred window
    volatile LONG tipsSeen = 0, started = 0;
    volatile DWORD scanThread = 0;
    WindowHelper watcher(MainVisible, [&](HWND main) {
        tipsSeen = FindProcessWindow(IsTips) != nullptr;
        // Touches no window until the scan exists: no message reaches the loop.
        started = PollUntil([] { return g_app.sysInfoDialog != nullptr; }, 5000);
        scanThread = g_app.sysInfoThreadId;
        PostMessageA(main, WM_CLOSE, 0, 0);
    });
    DWORD start = GetTickCount();
    EXPECT_EQ(RunBrisola(), 0);
    EXPECT_GE(GetTickCount() - start, 2000u);  // the splash stayed for its time
    EXPECT_TRUE(watcher.Join());
    EXPECT_EQ(tipsSeen, 0);
    EXPECT_EQ(started, 1);
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, scanThread);
    EXPECT_TRUE(!thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0);
    if (thread) CloseHandle(thread);
    EXPECT_EQ(g_app.folderPath, nullptr);  // freed, as nothing uses it any more
    ResetProgramState();
    ResetSettings();
}

// Tab moves between the progress dialog's fields and Escape stops a scan,
// through the program's own message loop.
TEST(LifecycleTest, TabAndEscapeWorkInTheProgressDialog) {
    QuietStart();
    SetScanStopTest(ScanUntilStopped);
    DWORD mainThread = GetCurrentThreadId();
    volatile LONG tabbed = 0, stopped = 0;
    WindowHelper user(MainVisible, [&](HWND main) {
        PollUntil([] { return g_app.sysInfoDialog != nullptr; }, 5000);
        SendMessageA(main, WM_COMMAND, IDC_VIEW_DRIVES, 0);
        SendMessageA(main, WM_COMMAND, IDC_CLEAN, 0);
        HWND dialog = FindProcessWindow(IsProgress), first = nullptr;
        if (dialog && PollUntil([&] { return IsChild(dialog, first = FocusOn(mainThread)) != FALSE; }, 3000)) {
            HWND next = GetNextDlgTabItem(dialog, first, FALSE);
            PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
            tabbed = next != first && PollUntil([&] { return FocusOn(mainThread) == next; }, 3000);
            PostMessageA(next, WM_KEYDOWN, VK_ESCAPE, 0);
            stopped = PollUntil([] { return !IsJobRunning(); }, 5000);
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunBrisola(), 0);
    EXPECT_TRUE(user.Join());
    SetScanStopTest(nullptr);
    EXPECT_EQ(tabbed, 1);
    EXPECT_EQ(stopped, 1);
}

class JobLifeTest : public testing::Test {
protected:
    void SetUp() override {
        QuietStart();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        for (int row = 0; row < 7; ++row) SetStateImage(g_app.resultsList, row, 1);  // a clean that deletes nothing
        folderPath_ = g_app.folderPath;
    }
    void TearDown() override {
        g_app.folderPath = folderPath_;
        SetScanStopTest(nullptr);
        WaitForJobEnd();
        CloseMainWindowForTest();
        ResetProgramState();
        ResetSettings();
    }
    void Start(int view) {
        Command(view);
        Command(IDC_CLEAN);
        ASSERT_TRUE(IsJobRunning());
    }
    std::string Status() {
        char text[256] = {};
        SendMessageA(g_app.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    FolderPathFunction folderPath_ = nullptr;
};

// A close of the progress dialog (Alt+F4) is Stop during a scan and is
// ignored during a clean; either way the job's own end closes it.
TEST_F(JobLifeTest, ClosingTheProgressDialogNeverEndsTheJobsBookkeeping) {
    SetScanStopTest(ScanUntilStopped);
    for (int view : {IDC_VIEW_INTERNET, IDC_VIEW_DRIVES}) {
        SCOPED_TRACE(view);
        WindowHelper found(IsFoundFiles, [](HWND w) { PostMessageA(w, WM_COMMAND, IDC_FF_CLOSE, 0); }, 1000);
        Start(view);
        HWND dialog = FindProcessWindow(IsProgress);
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        if (view == IDC_VIEW_INTERNET) {
            EXPECT_TRUE(IsWindow(dialog));
            EXPECT_TRUE(IsJobRunning());
            EXPECT_FALSE(Enabled(IDC_CLEAN));
        }
        ASSERT_TRUE(WaitForJobEnd());
        EXPECT_FALSE(found.Join(500));
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(Enabled(IDC_CLEAN));
        if (view == IDC_VIEW_INTERNET) {
            EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
        }
    }
}

// Logoff during a scan: the job ends and every choice is saved, though the
// window is never destroyed.
TEST_F(JobLifeTest, TheEndOfTheSessionEndsTheJobAndSavesTheChoices) {
    SetScanStopTest(ScanUntilStopped);
    g_settings.askDel = 1;
    Start(IDC_VIEW_DRIVES);
    EXPECT_NE(SendMessageA(g_app.mainWindow, WM_QUERYENDSESSION, 0, 0), 0);
    SendMessageA(g_app.mainWindow, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsJobRunning());
    EXPECT_EQ(ReadWholeFile(FiltersFilePath()), "[end]");
    HKEY key = OpenProgramKeyForReading();
    ASSERT_NE(key, nullptr);
    BYTE askDel = 0, recycleBin = 1;
    EXPECT_TRUE(ReadProgramFlag(key, "AskDel", askDel));
    EXPECT_TRUE(ReadProgramFlag(key, "Sweep Recycle Bin", recycleBin));
    RegCloseKey(key);
    EXPECT_EQ(askDel, 1);
    EXPECT_EQ(recycleBin, 0);  // the untick in the list
}

// Out of memory on a thread ends its work and says so; the program lives on.
TEST_F(JobLifeTest, OutOfMemoryOnAThreadEndsItsWork) {
    const struct {
        int view;  // 0: the start-up scan
        const char* status;
    } cases[] = {
        {IDC_VIEW_INTERNET, "Out of memory: the cleaning was stopped."},  // at a folder look-up
        {IDC_VIEW_DRIVES, "Out of memory: the disk scan was stopped."},   // in the walk
        {0, "Out of memory: the system information scan was stopped."},
    };
    SetScanStopTest(ScanOutOfMemory);
    AllowSystemScan();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        if (c.view != IDC_VIEW_DRIVES) g_app.folderPath = FolderOutOfMemory;
        if (c.view) {
            Start(c.view);
            ASSERT_TRUE(WaitForJobEnd());
        } else {
            HANDLE thread = CreateThread(nullptr, 0, SystemScanThread, nullptr, 0, nullptr);
            ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
            CloseHandle(thread);
        }
        g_app.folderPath = folderPath_;
        EXPECT_EQ(Status(), c.status);
        EXPECT_TRUE(Enabled(IDC_CLEAN));
    }
}

}  // namespace
