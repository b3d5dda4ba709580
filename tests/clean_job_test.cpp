// The CLEAN job through the main window: the progress dialog, the busy
// flag and buttons, confirmations, overlap with other commands and closing
// the program during a job.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "app/app_state.h"
#include "clean_support.h"
#include "resource.h"
#include "settings/settings.h"
#include "sweep/cleaning.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

bool IsProgress(HWND w) { return HasControls(w, {IDC_PROG_BAR, IDC_PROG_STOP}); }
bool IsConfirmBox(HWND w) { return HasControls(w, {IDC_CONF_OK, IDC_CONF_CANCEL, IDC_CONF_TEXT}); }

int CountProgressDialogs() {
    int count = 0;
    FindProcessWindow([&](HWND w) {
        if (IsProgress(w)) ++count;
        return false;
    });
    return count;
}

// Gives the results list its seven rows when nothing has filled it yet,
// then sets each row's tick.
void SetTicks(const std::array<bool, SWEEP_CATEGORIES>& ticked) {
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
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) SetStateImage(list, i, ticked[i] ? 2 : 1);
}

int BarPosition() {
    HWND dialog = FindProcessWindow(IsProgress);
    return dialog ? static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETPOS, 0, 0)) : -1;
}

class CleanJobTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetCleaningAbort();
        quiet_.Apply();
        folder_ = MakeSandboxFolder("clean-job");
        temp_ = folder_ + "\\temp";
        CreateDirectoryA(temp_.c_str(), nullptr);
        CreateDirectoryA((temp_ + "\\sub").c_str(), nullptr);
        MakeFile(temp_ + "\\junk1.tmp", 100);
        MakeFile(temp_ + "\\sub\\junk2.tmp", 200);
        tempOverride_ = new TempFolderOverride(temp_);
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
    }
    void TearDown() override {
        if (g_app.mainWindow && IsWindow(g_app.mainWindow)) WaitForJobEnd();
        CloseMainWindowForTest();
        delete tempOverride_;
        quiet_.Restore();
        RemoveTree(folder_);
    }
    bool TempJunkKept() const { return FileExists(temp_ + "\\junk1.tmp") && FileExists(temp_ + "\\sub\\junk2.tmp"); }
    // Closes the main window as its close box does, then checks the job is
    // over at once and a new window runs jobs normally.
    void CloseDuringJob() {
        DWORD start = GetTickCount();
        PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
        EXPECT_TRUE(DestroyMainWindowForTest());
        EXPECT_LT(GetTickCount() - start, 10000u);
        EXPECT_FALSE(IsJobRunning());
        g_app.mainWindow = nullptr;
        PumpMessages(100);
        EXPECT_EQ(FindProcessWindow(IsConfirmBox), nullptr);
        EXPECT_EQ(CountProgressDialogs(), 0);
        g_settings.askDel = 0;
        CreateMainWindowForTest();
        SetTicks(kNothing);
        Command(IDC_CLEAN);
        ASSERT_TRUE(WaitForJobEnd());
        EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    }

    static constexpr std::array<bool, SWEEP_CATEGORIES> kOnlyTemp = {false, false, false, true};
    static constexpr std::array<bool, SWEEP_CATEGORIES> kNothing = {};
    static constexpr std::array<bool, SWEEP_CATEGORIES> kEverything = {true, true, true, true, true,
                                                                       true, true, true, true, true};
    QuietJobSettings quiet_;
    std::string folder_, temp_;
    TempFolderOverride* tempOverride_ = nullptr;
};

TEST_F(CleanJobTest, CleanRunsOneJobWithTheButtonsDisabledAndFillsTheBar) {
    SetTicks(kOnlyTemp);
    int sounds = JobSoundsRequested();
    Command(IDC_CLEAN);
    EXPECT_TRUE(IsJobRunning());
    EXPECT_FALSE(Enabled(IDC_CLEAN));
    EXPECT_FALSE(Enabled(IDC_EXIT));
    HWND dialog = FindProcessWindow(IsProgress);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_PROG_STOP)));  // a cleaning cannot be stopped
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETRANGE, FALSE, 0), SWEEP_CATEGORIES);
    Command(IDC_CLEAN);  // a second press while busy does nothing
    EXPECT_EQ(CountProgressDialogs(), 1);

    ASSERT_TRUE(WaitForJobEnd());
    PumpMessages(50);
    EXPECT_EQ(CountProgressDialogs(), 0);
    EXPECT_TRUE(Enabled(IDC_CLEAN));
    EXPECT_TRUE(Enabled(IDC_EXIT));
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_EQ(JobSoundsRequested(), sounds) << "the sound is off";
    EXPECT_FALSE(FileExists(temp_ + "\\junk1.tmp"));
    EXPECT_FALSE(DirExists(temp_ + "\\sub"));
    EXPECT_TRUE(DirExists(temp_));
}

TEST_F(CleanJobTest, EachConfirmationDecidesItsOwnCategory) {
    g_settings.askDel = 1;
    std::string recent = SpecialFolder(CSIDL_RECENT), history = SpecialFolder(CSIDL_HISTORY);
    ASSERT_FALSE(recent.empty() || history.empty());
    MakeFile(recent + "\\brisola-job.lnk", 3);
    CreateDirectoryA(history.c_str(), nullptr);
    MakeFile(history + "\\brisola-item.url", 12);
    MakeTypedUrls();
    std::string tempShown = TempShown();
    SetTicks(kEverything);
    ConfirmResponder responder([&](const std::string& subject) {
        // A confirmed history step also runs the shell's delete first.
        if (subject == tempShown || subject == history) return IDC_CONF_OK;
        if (subject == recent) return 0;  // closed instead of answered
        return IDC_CONF_CANCEL;
    });
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(responder.Subjects(), AllConfirmSubjects());
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(FileExists(recent + "\\brisola-job.lnk"));
    EXPECT_FALSE(FileExists(history + "\\brisola-item.url"));
    EXPECT_TRUE(DirExists(history));
    EXPECT_FALSE(TypedUrlsExist());
    EXPECT_FALSE(FileExists(temp_ + "\\junk1.tmp"));
    DeleteFileA((recent + "\\brisola-job.lnk").c_str());
}

TEST_F(CleanJobTest, CommandsDuringACleanDoNotChangeWhatItCleans) {
    SetTicks(kNothing);
    Command(IDC_CLEAN);
    ASSERT_TRUE(PumpUntil([] { return BarPosition() >= 1; }, 10000));
    // The job read its ticks at its start: ticking Temp now must not count.
    SetTicks(kOnlyTemp);
    Command(IDC_QUICK_REFRESH);
    {
        WindowHelper cookies([](HWND w) { return HasControls(w, {IDC_CK_OK, IDC_CK_DELETE_LIST}); },
                             [](HWND w) { PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0); });
        Command(IDC_COOKIES_MANAGER);
        cookies.Join();
    }
    Command(IDC_QUICK_REFRESH);
    EXPECT_TRUE(IsJobRunning());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(TempJunkKept());
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(Enabled(IDC_CLEAN));
}

TEST_F(CleanJobTest, ClosingTheMainWindowDuringAConfirmationEndsTheJob) {
    g_settings.askDel = 1;
    SetTicks(kEverything);
    Command(IDC_CLEAN);
    ASSERT_TRUE(PumpUntil([] { return FindProcessWindow([](HWND w) { return IsWindowVisible(w) && IsConfirmBox(w); }) != nullptr; }, 10000));
    CloseDuringJob();
    EXPECT_TRUE(TempJunkKept());
}

TEST_F(CleanJobTest, ClosingTheMainWindowWhileFilesAreDeletedEndsTheJob) {
    for (int i = 0; i < 60; ++i) MakeFile(temp_ + "\\many" + std::to_string(i) + ".tmp", 1);
    SetTicks(kOnlyTemp);
    Command(IDC_CLEAN);
    PumpUntil([] { return BarPosition() >= 3; }, 5000);
    CloseDuringJob();
}

DWORD WINAPI ReportManyPositions(LPVOID) {
    char folder[64], file[64];
    for (int i = 0; i <= 5000; ++i) {
        snprintf(folder, sizeof folder, "C:\\folder%d", i);
        snprintf(file, sizeof file, "file%d.tmp", i);
        ReportScanPosition(folder, file);
    }
    return 0;
}

TEST_F(CleanJobTest, TheScanPositionShowsTheLatestReport) {
    SetDriveScanFlag();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), g_app.mainWindow,
                                     ProgressDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HANDLE reporter = CreateThread(nullptr, 0, ReportManyPositions, nullptr, 0, nullptr);
    PumpUntil([&] { return WaitForSingleObject(reporter, 0) == WAIT_OBJECT_0; });
    CloseHandle(reporter);
    SendMessageA(dialog, WM_TIMER, 1, 0);
    EXPECT_EQ(ControlText(dialog, IDC_PROG_DIR), "C:\\folder5000");
    EXPECT_EQ(ControlText(dialog, IDC_PROG_FILE), "file5000.tmp");
    DestroyWindow(dialog);
    SetProgressDialog(nullptr);
}

}  // namespace
