// CLEAN end to end through the main window: the cookies the Cookies
// Manager lists and keeps, commands during a job and closing the program
// while it deletes. (The confirmations: clean_engine_test.)
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "clean_support.h"
#include "cookies/cookies.h"
#include "resource.h"
#include "sweep/cleaning.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

bool IsCookiesManager(HWND w) { return HasControls(w, {IDC_CK_OK, IDC_CK_DELETE_LIST, IDC_CK_KEEP_LIST}); }
bool IsProgress(HWND w) { return HasControls(w, {IDC_PROG_BAR, IDC_PROG_STOP}); }

const int kNothing = -1;

// Gives the results list its rows when nothing has filled it yet, then
// ticks only `only` (or none).
void TickOnly(int only) {
    HWND list = g_app.resultsList;
    ASSERT_NE(list, nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    while (RowCount(list) < SWEEP_CATEGORIES) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = RowCount(list);
        item.pszText = const_cast<char*>("row");
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) SetStateImage(list, row, row == only ? 2 : 1);
}

int BarPosition() {
    HWND dialog = FindProcessWindow(IsProgress);
    return dialog ? static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETPOS, 0, 0)) : -1;
}

// Opens the Cookies Manager by its command, moves `keep` (when given) to
// the keep side with ">>" and closes it with OK.
bool RunCookiesManager(const std::string& keep) {
    WindowHelper helper(IsCookiesManager, [keep](HWND w) {
        HWND list = GetDlgItem(w, IDC_CK_DELETE_LIST);
        int row = keep.empty() ? -1 : FindRow(list, keep);
        if (row >= 0) {
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
            SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
        }
        PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0);
    });
    Command(IDC_COOKIES_MANAGER);
    return helper.Join();
}

class CleanE2E : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetCleaningAbort();
        ResetSweepTableForTest();
        ClearCookieLists();
        ClearDriveCleaner();
        folder_ = MakeSandboxFolder("e2e-clean");
        temp_ = folder_ + "\\temp";
        CreateDirectoryA(temp_.c_str(), nullptr);
        CreateDirectoryA((temp_ + "\\sub").c_str(), nullptr);
        MakeFile(temp_ + "\\junk.tmp", 10);
        MakeFile(temp_ + "\\sub\\junk2.tmp", 200);
        tempOverride_.reset(new TempFolderOverride(temp_));
        cookies_ = CookieFolder();
        ASSERT_FALSE(cookies_.empty());
        CreateDirectoryA(cookies_.c_str(), nullptr);
        for (const char* name : kCookies) ASSERT_TRUE(MakeFile(cookies_ + "\\" + name, 40));
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
    }
    void TearDown() override {
        if (g_app.mainWindow && IsWindow(g_app.mainWindow)) WaitForJobEnd();
        CloseMainWindowForTest();
        tempOverride_.reset();
        for (const char* name : kCookies) DeleteFileA((cookies_ + "\\" + name).c_str());
        DeleteFileA((cookies_ + "\\e2e-late.txt").c_str());
        ClearCookieLists();
        ClearDriveCleaner();
        ResetSweepTableForTest();
        ResetProgramState();
        RemoveTree(folder_);
    }
    bool Cookie(const char* name) const { return FileExists(cookies_ + "\\" + name); }

    static constexpr const char* kCookies[3] = {"e2e-one.txt", "e2e-two.txt", "e2e-kept.txt"};
    QuietJobSettings quiet_;
    std::string folder_, temp_, cookies_;
    std::unique_ptr<TempFolderOverride> tempOverride_;
};

TEST_F(CleanE2E, CookiesAreDeletedOnlyAsTheManagerListedThem) {
    TickOnly(SWEEP_COOKIES);
    // Nothing has listed the cookies yet: a cleaning leaves them all.
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    for (const char* name : kCookies) EXPECT_TRUE(Cookie(name)) << name;

    ASSERT_TRUE(RunCookiesManager("e2e-kept.txt"));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), std::vector<std::string>{"e2e-kept.txt"});
    TickOnly(SWEEP_COOKIES);
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_FALSE(Cookie("e2e-one.txt"));
    EXPECT_FALSE(Cookie("e2e-two.txt"));
    EXPECT_TRUE(Cookie("e2e-kept.txt"));
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp"));  // Temp was not ticked

    // The list was used up: a cookie that came since is not touched.
    ASSERT_TRUE(MakeFile(cookies_ + "\\e2e-late.txt", 1));
    TickOnly(SWEEP_COOKIES);
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(Cookie("e2e-late.txt"));
    EXPECT_TRUE(Cookie("e2e-kept.txt"));
}

TEST_F(CleanE2E, CommandsDuringACleanDoNotChangeWhatItCleans) {
    TickOnly(kNothing);
    Command(IDC_CLEAN);
    ASSERT_TRUE(PumpUntil([] { return BarPosition() >= 1; }, 10000));
    // The job read its ticks at its start: ticking Temp now must not count.
    TickOnly(SWEEP_TEMP);
    Command(IDC_QUICK_REFRESH);
    RunCookiesManager("");
    Command(IDC_QUICK_REFRESH);
    EXPECT_TRUE(IsJobRunning());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp") && FileExists(temp_ + "\\sub\\junk2.tmp"));
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_app.mainWindow, IDC_CLEAN)));
}

TEST_F(CleanE2E, ClosingTheMainWindowWhileFilesAreDeletedEndsTheJob) {
    for (int i = 0; i < 60; ++i) MakeFile(temp_ + "\\many" + std::to_string(i) + ".tmp", 1);
    TickOnly(SWEEP_TEMP);
    Command(IDC_CLEAN);
    PumpUntil([] { return BarPosition() >= 3; }, 5000);
    // Closing the window as its close box does ends the job at once, and a
    // new window runs jobs normally.
    DWORD start = GetTickCount();
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DestroyMainWindowForTest());
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(IsJobRunning());
    g_app.mainWindow = nullptr;
    PumpUntil([] { return FindProcessWindow(IsProgress) == nullptr; }, 1000);
    EXPECT_EQ(FindProcessWindow(IsProgress), nullptr);
    CreateMainWindowForTest();
    TickOnly(kNothing);
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
}

}  // namespace
