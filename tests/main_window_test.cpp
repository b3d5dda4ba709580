// The main window: views, commands, status bar, info list and the end of
// the message loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"

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

TEST_F(MainWindowTest, StartsInTheInternetCleanerView) {
    EXPECT_TRUE(IsWindowVisible(g_app.mainWindow));
    EXPECT_EQ(g_app.currentView, VIEW_INTERNET);
    EXPECT_EQ(g_app.selectedViewButton, GetDlgItem(g_app.mainWindow, IDC_VIEW_INTERNET));
    EXPECT_TRUE(Visible(IDC_RESULTS_LIST));
    EXPECT_TRUE(Visible(IDC_TOTALS_LIST));
    EXPECT_FALSE(Visible(IDC_FILTER_LIST));
    EXPECT_FALSE(Visible(IDC_DRIVE_LIST));
    EXPECT_FALSE(Visible(IDC_INFO_LIST));
    EXPECT_FALSE(Visible(IDC_ADD_FILTER));
    EXPECT_FALSE(Visible(IDC_REMOVE_FILTER));
    EXPECT_FALSE(Visible(IDC_VIEW_FILES));
    EXPECT_TRUE(Visible(IDC_CLEAN));
    EXPECT_TRUE(Visible(IDC_QUICK_REFRESH));
    EXPECT_EQ(Text(IDC_CLEAN), "CLEAN");
    EXPECT_EQ(StatusPart(0), "Cleaning - Clean your temporary files/junk data");
    EXPECT_EQ(StatusPart(1), "Version 2.2");
    int edges[2] = {};
    ASSERT_EQ(SendMessageA(g_app.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 450);
}

TEST_F(MainWindowTest, ViewsShowAndHideTheirControls) {
    Command(IDC_VIEW_DRIVES);
    EXPECT_EQ(g_app.currentView, VIEW_DRIVES);
    EXPECT_EQ(g_app.selectedViewButton, GetDlgItem(g_app.mainWindow, IDC_VIEW_DRIVES));
    EXPECT_TRUE(Visible(IDC_FILTER_LIST));
    EXPECT_TRUE(Visible(IDC_DRIVE_LIST));
    EXPECT_FALSE(Visible(IDC_RESULTS_LIST));
    EXPECT_FALSE(Visible(IDC_TOTALS_LIST));
    EXPECT_FALSE(Visible(IDC_INFO_LIST));
    EXPECT_TRUE(Visible(IDC_ADD_FILTER));
    EXPECT_TRUE(Visible(IDC_REMOVE_FILTER));
    EXPECT_TRUE(Visible(IDC_VIEW_FILES));
    EXPECT_EQ(Text(IDC_CLEAN), "SCAN (temporary files)");
    EXPECT_EQ(StatusPart(0), "Scan - Scan your disks for junk data");

    Command(IDC_VIEW_INFO);
    EXPECT_EQ(g_app.currentView, VIEW_INFO);
    // The Info view keeps the last view button selected and the button text.
    EXPECT_EQ(g_app.selectedViewButton, GetDlgItem(g_app.mainWindow, IDC_VIEW_DRIVES));
    EXPECT_EQ(Text(IDC_CLEAN), "SCAN (temporary files)");
    EXPECT_TRUE(Visible(IDC_INFO_LIST));
    EXPECT_FALSE(Visible(IDC_CLEAN));
    EXPECT_FALSE(Visible(IDC_QUICK_REFRESH));
    EXPECT_FALSE(Visible(IDC_FILTER_LIST));
    EXPECT_FALSE(Visible(IDC_DRIVE_LIST));
    EXPECT_FALSE(Visible(IDC_ADD_FILTER));
    EXPECT_EQ(StatusPart(0).rfind("Information - ", 0), 0u);

    Command(IDC_VIEW_INTERNET);
    EXPECT_EQ(g_app.currentView, VIEW_INTERNET);
    EXPECT_TRUE(Visible(IDC_CLEAN));
    EXPECT_TRUE(Visible(IDC_QUICK_REFRESH));
    EXPECT_TRUE(Visible(IDC_RESULTS_LIST));
    EXPECT_FALSE(Visible(IDC_INFO_LIST));
    EXPECT_EQ(Text(IDC_CLEAN), "CLEAN");
    EXPECT_EQ(StatusPart(1), "Version 2.2");
}

TEST_F(MainWindowTest, InfoListHasFourRowsAndTwoColumns) {
    HWND list = g_app.infoList;
    ASSERT_EQ(RowCount(list), 4);
    const char* labels[] = {"Developer:", "Product:", "Version:", "Support:"};
    const char* values[] = {"Vosk Software Inc.", "Brisola", "2.2", kProductWebPage};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Cell(list, row, 0), labels[row]);
        EXPECT_EQ(Cell(list, row, 1), values[row]);
    }
    ListColumn column = ReadColumn(list, 0);
    ASSERT_TRUE(column.read);
    EXPECT_EQ(column.header, "Info:");
    EXPECT_EQ(column.width, 100);
    column = ReadColumn(list, 1);
    ASSERT_TRUE(column.read);
    EXPECT_EQ(column.header, "Details:");
    EXPECT_EQ(column.width, 150);
    // The product page is a reserved example domain.
    EXPECT_NE(std::string(kProductWebPage).find(".example"), std::string::npos);
}

TEST_F(MainWindowTest, EscapeAndUnknownCommandsDoNothingAndTheTitleStays) {
    Command(IDCANCEL);
    Command(4242);
    SendMessageA(g_app.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages(50);
    ASSERT_TRUE(IsWindow(g_app.mainWindow));
    Command(IDC_VIEW_DRIVES);
    Command(IDC_VIEW_INFO);
    char title[64] = {};
    GetWindowTextA(g_app.mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "BRISOLA v2.2");
}

TEST_F(MainWindowTest, ExitEndsTheLoopWithCodeZero) {
    Command(IDC_EXIT);
    MSG msg;
    bool quit = PumpUntil([&] { return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE; }, 5000);
    ASSERT_TRUE(quit);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_FALSE(IsWindow(g_app.mainWindow));
}

TEST_F(MainWindowTest, CloseBoxEndsTheLoop) {
    SendMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(g_app.mainWindow));
    MSG msg;
    ASSERT_TRUE(PumpUntil([&] { return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE; }, 5000));
    EXPECT_EQ(msg.wParam, 0u);
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
