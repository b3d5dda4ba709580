// The main window: views, commands, status bar and the info list (its end:
// lifecycle_test).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"
#include "ui/skin.h"

namespace {

bool Visible(int id) { return IsWindowVisible(GetDlgItem(g_app.mainWindow, id)) != FALSE; }

std::string Text(int id) {
    char text[256] = {};
    GetDlgItemTextA(g_app.mainWindow, id, text, sizeof text);
    return text;
}

std::string StatusPart(int part) {
    char text[256] = {};
    SendMessageA(g_app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
    }
    void TearDown() override {
        CloseMainWindowForTest();
    }
};

// Each view shows its own controls, button text and status; the Info view
// keeps the last view button selected and the CLEAN/SCAN text.
TEST_F(MainWindowTest, ViewsShowAndHideTheirControls) {
    EXPECT_TRUE(IsWindowVisible(g_app.mainWindow));
    EXPECT_EQ(StatusPart(1), "Version 2.2");
    const int ids[] = {IDC_RESULTS_LIST, IDC_TOTALS_LIST, IDC_FILTER_LIST, IDC_DRIVE_LIST, IDC_INFO_LIST,
                       IDC_ADD_FILTER,   IDC_REMOVE_FILTER, IDC_VIEW_FILES, IDC_CLEAN,     IDC_QUICK_REFRESH};
    struct Case {
        int command;  // 0: as the window starts
        int view, selected;
        const char* visible;  // one '1' or '0' per id above
        const char *cleanText, *status;
    } cases[] = {
        {0, VIEW_INTERNET, IDC_VIEW_INTERNET, "1100000011", "CLEAN", "Cleaning - Clean your temporary files/junk data"},
        {IDC_VIEW_DRIVES, VIEW_DRIVES, IDC_VIEW_DRIVES, "0011011111", "SCAN (temporary files)",
         "Scan - Scan your disks for junk data"},
        {IDC_VIEW_INFO, VIEW_INFO, IDC_VIEW_DRIVES, "0000100000", "SCAN (temporary files)", "Information - "},
        {IDC_VIEW_INTERNET, VIEW_INTERNET, IDC_VIEW_INTERNET, "1100000011", "CLEAN", "Cleaning - "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        if (c.command) Command(c.command);
        EXPECT_EQ(g_app.currentView, c.view);
        EXPECT_EQ(g_skin.selectedButton, GetDlgItem(g_app.mainWindow, c.selected));
        for (int i = 0; i < 10; ++i) EXPECT_EQ(Visible(ids[i]), c.visible[i] == '1') << ids[i];
        EXPECT_EQ(Text(IDC_CLEAN), c.cleanText);
        EXPECT_EQ(StatusPart(0).rfind(c.status, 0), 0u) << StatusPart(0);
    }
}

TEST_F(MainWindowTest, EscapeAndUnknownCommandsDoNothing) {
    Command(IDCANCEL);
    Command(4242);
    SendMessageA(g_app.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages(50);
    ASSERT_TRUE(IsWindow(g_app.mainWindow));
}

// Every modal dialog of the header opens over the main window and closes.
TEST_F(MainWindowTest, ModalDialogsOpenAndClose) {
    struct Case {
        int command;
        int probeId;
        int closeCommand;
    } cases[] = {
        {IDC_SETTINGS, IDC_SET_NEVERUPDATE, IDC_SET_OK},
        {IDC_TIPS, IDC_TIP_NEXT, IDC_TIP_CLOSE},
        {IDC_COOKIES_MANAGER, IDC_CK_KEEP_LIST, IDC_CK_OK},
        {IDC_ADD_FILTER, IDC_AF_CLOSE, IDC_AF_CLOSE},
        {IDC_VIEW_FILES, IDC_FF_LIST, IDC_FF_CLOSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        WindowHelper helper([&](HWND w) { return w != g_app.mainWindow && GetDlgItem(w, c.probeId) != nullptr; },
                            [&](HWND w) { PostMessageA(w, WM_COMMAND, c.closeCommand, 0); });
        Command(c.command);
        EXPECT_TRUE(helper.Join());
        EXPECT_TRUE(IsWindow(g_app.mainWindow));
    }
}

}  // namespace
