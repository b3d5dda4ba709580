// Link labels: colours, underline, hand cursor and the click that opens
// the target with the shell.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/app_state.h"
#include "resource.h"
#include "support/test_files.h"
#include "support/test_support.h"
#include "ui/link_label.h"
#include "ui/skin.h"

namespace {

const int kTestLabel = 4321;

// Counts pixels of `colour` in the label, and the longest run of them in
// one row (an underline spans the text).
struct Ink {
    int count = 0;
    int longestRow = 0;
};

Ink InkOf(HWND label, COLORREF colour) {
    RECT rc;
    GetClientRect(label, &rc);
    HDC dc = GetDC(label);
    Ink ink;
    for (int y = 0; y < rc.bottom; ++y) {
        int row = 0;
        for (int x = 0; x < rc.right; ++x) {
            if (GetPixel(dc, x, y) == colour) {
                ++ink.count;
                ++row;
            } else {
                row = 0;
            }
            if (row > ink.longestRow) ink.longestRow = row;
        }
    }
    ReleaseDC(label, dc);
    return ink;
}

void Redraw(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

void Click(HWND label) {
    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

class LinkLabelTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        PumpMessages(50);
    }
    void TearDown() override {
        CloseMainWindowForTest();
    }
    // A second label on an empty part of the main window.
    HWND AddLabel(const std::string& text, const char* target) {
        HWND label = CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 345, 200, 16,
                                   g_app.mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTestLabel)),
                                   GetModuleHandleA(nullptr), nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        EXPECT_EQ(MakeLinkLabel(g_app.mainWindow, kTestLabel, target, static_cast<COLORREF>(-1)), 1);
        Redraw(label);
        return label;
    }
};

TEST_F(LinkLabelTest, MainWindowLinkIsBlueUnderlinedAndTakesTheMouse) {
    HWND link = GetDlgItem(g_app.mainWindow, IDC_LINK);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(GetWindowLongA(link, GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(SendMessageA(link, WM_NCHITTEST, 0, 0), HTCLIENT);
    Redraw(link);
    Ink blue = InkOf(link, kLinkColour);
    EXPECT_GT(blue.count, 30);
    EXPECT_GT(blue.longestRow, 40);  // the underline
    EXPECT_EQ(InkOf(link, kVisitedLinkColour).count, 0);
}

TEST_F(LinkLabelTest, HandCursorIsSharedAndStopsTheHoverTracker) {
    HWND link = GetDlgItem(g_app.mainWindow, IDC_LINK);
    HWND other = AddLabel("second link", "C:\\brisola-tests\\no-such-file.none");
    HWND hovered = GetDlgItem(g_app.mainWindow, IDC_SETTINGS);
    g_skin.hoveredButton = hovered;

    EXPECT_EQ(SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    HCURSOR hand = GetCursor();
    // The message stops at the label: the main window's tracker did not run.
    EXPECT_EQ(g_skin.hoveredButton.load(), hovered);
    g_skin.hoveredButton = nullptr;
    SendMessageA(other, WM_SETCURSOR, reinterpret_cast<WPARAM>(other), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);

    // Freed (twice: the second call finds nothing), they are made again.
    FreeLinkResources();
    FreeLinkResources();
    SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), nullptr);
    Redraw(link);
    EXPECT_GT(InkOf(link, kLinkColour).longestRow, 40);
}

// A null target opens the window text; the click paints the label visited
// at once, and a release without a press changes nothing.
TEST_F(LinkLabelTest, ClickTurnsItVisitedPurpleAndOpensTheWindowText) {
    std::string folder = MakeSandboxFolder("link");
    std::string script = folder + "\\open.bat", marker = folder + "\\opened.txt";
    WriteWholeFile(script, "echo opened> \"" + marker + "\"\r\n");
    HWND label = AddLabel("placeholder", nullptr);
    // A new text is shown at once, in the link font.
    SetWindowTextA(label, script.c_str());
    UpdateWindow(label);
    EXPECT_GT(InkOf(label, kLinkColour).longestRow, 20);

    Click(label);
    EXPECT_GT(InkOf(label, kVisitedLinkColour).longestRow, 20);
    EXPECT_EQ(InkOf(label, kLinkColour).count, 0);
    EXPECT_TRUE(PumpUntil([&] { return FileExists(marker); }, 15000));
    SendMessageA(label, WM_LBUTTONUP, 0, 0);
    Redraw(label);
    EXPECT_EQ(InkOf(label, kLinkColour).count, 0);
    EXPECT_GT(InkOf(label, kVisitedLinkColour).count, 0);
    DestroyWindow(label);  // frees its record
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    RemoveTree(folder);
}

}  // namespace
