// CLEAN end to end through the main window across the subsystems: the
// cookies the Cookies Manager lists and keeps, and the confirmations and
// sound that the Settings dialog asks for.
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
#include "settings/settings.h"
#include "sweep/cleaning.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

bool IsCookiesManager(HWND w) { return HasControls(w, {IDC_CK_OK, IDC_CK_DELETE_LIST, IDC_CK_KEEP_LIST}); }

void TickOnly(int only) {
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) SetStateImage(g_app.resultsList, row, row == only || only == -1 ? 2 : 1);
}

// Opens the Cookies Manager by its command, moves `keep` (when given) to
// the keep side with ">>" and closes it with OK.
bool RunCookiesManager(const std::string& keep) {
    WindowHelper helper(IsCookiesManager, [keep](HWND w) {
        if (!keep.empty()) {
            HWND list = GetDlgItem(w, IDC_CK_DELETE_LIST);
            int row = FindRow(list, keep);
            if (row >= 0) {
                SelectRow(list, row);
                SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
            }
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
        quiet_.Apply();
        folder_ = MakeSandboxFolder("e2e-clean");
        temp_ = folder_ + "\\temp";
        CreateDirectoryA(temp_.c_str(), nullptr);
        MakeFile(temp_ + "\\junk.tmp", 10);
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
        quiet_.Restore();
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

// The Settings dialog's choices reach the next cleaning: confirmations
// asked (and OK deletes), the job sound started.
TEST_F(CleanE2E, SettingsChosenInTheDialogRuleTheNextClean) {
    {
        WindowHelper settings([](HWND w) { return HasControls(w, {IDC_SET_OK, IDC_SET_ASKDEL, IDC_SET_SOUND}); },
                              [](HWND w) {
                                  for (int id : {IDC_SET_ASKDEL, IDC_SET_SOUND})
                                      PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                                   reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
                                  PostMessageA(w, WM_COMMAND, IDC_SET_OK, 0);
                              });
        Command(IDC_SETTINGS);
        ASSERT_TRUE(settings.Join());
    }
    EXPECT_EQ(g_settings.askDel, 1);
    EXPECT_EQ(g_settings.enableSnd, 1);
    int sounds = JobSoundsRequested();
    TickOnly(SWEEP_TEMP);
    std::vector<std::string> subjects;
    {
        ConfirmResponder responder([](const std::string&) { return IDC_CONF_OK; });
        Command(IDC_CLEAN);
        ASSERT_TRUE(WaitForJobEnd());
        subjects = responder.Subjects();
    }
    EXPECT_EQ(subjects, std::vector<std::string>{TempShown()});
    EXPECT_EQ(JobSoundsRequested(), sounds + 1);
    EXPECT_FALSE(FileExists(temp_ + "\\junk.tmp"));
    EXPECT_TRUE(DirExists(temp_));
    for (const char* name : kCookies) EXPECT_TRUE(Cookie(name)) << name;
}

}  // namespace
