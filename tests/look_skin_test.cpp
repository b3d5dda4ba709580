// The skinned look on screen, sampled from the windows' pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/app_state.h"
#include "app/startup.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "ui/skin.h"

namespace {

const COLORREF kPanel = RGB(245, 255, 245);
const COLORREF kYellow = RGB(251, 251, 141);

COLORREF Pixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// A pixel of a bitmap resource of this program.
COLORREF BitmapPixel(const char* name, int x, int y) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return colour;
}

HWND Item(int id) { return GetDlgItem(g_app.mainWindow, id); }

// A point of the button's face clear of its edge, text and focus mark.
COLORREF Face(HWND button) {
    RECT rc;
    GetClientRect(button, &rc);
    return Pixel(button, 5, rc.bottom / 2);
}

// The inner top-left line of the edge: light for an etched edge, dark for
// a sunken one.
COLORREF InnerEdge(HWND button) {
    RECT rc;
    GetClientRect(button, &rc);
    return Pixel(button, 1, rc.bottom / 2);
}

void HoverOver(HWND dialog, HWND under) {
    SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void ParkMouse() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ParkMouse();
        LoadSkinBitmaps();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        SetForegroundWindow(g_app.mainWindow);
        PumpMessages(100);
        UpdateWindow(g_app.mainWindow);
    }
    void TearDown() override {
        g_skin.hoveredButton = nullptr;
        if (g_app.mainWindow && IsWindow(g_app.mainWindow)) {
            HoverOver(g_app.mainWindow, g_app.mainWindow);  // clear the hot flags
            DestroyMainWindowForTest();
        }
        g_app.mainWindow = nullptr;
    }
};

// Push buttons are green and etched, the selected view button sunken
// yellow; the system's own drawing on focus and press does not cover them.
TEST_F(SkinTest, ButtonFacesFollowTheSelectedView) {
    for (int id : {IDC_SETTINGS, IDC_HELP_BUTTON, IDC_EXIT, IDC_VIEW_DRIVES, IDC_QUICK_REFRESH}) {
        EXPECT_EQ(Face(Item(id)), kPanel) << id;
        EXPECT_EQ(InnerEdge(Item(id)), GetSysColor(COLOR_3DHIGHLIGHT)) << id;
        LONG type = GetWindowLongA(Item(id), GWL_STYLE) & BS_TYPEMASK;
        EXPECT_TRUE(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) << id;
    }
    HWND settings = Item(IDC_SETTINGS);
    SendMessageA(settings, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Face(settings), kPanel);
    SendMessageA(settings, BM_SETSTATE, FALSE, 0);
    SetFocus(Item(IDC_EXIT));
    EXPECT_EQ(Face(Item(IDC_EXIT)), kPanel);

    HWND internet = Item(IDC_VIEW_INTERNET), drives = Item(IDC_VIEW_DRIVES);
    EXPECT_EQ(Face(internet), kYellow);
    EXPECT_EQ(InnerEdge(internet), GetSysColor(COLOR_3DDKSHADOW));
    Command(IDC_VIEW_DRIVES);
    EXPECT_EQ(Face(drives), kYellow);
    EXPECT_EQ(InnerEdge(drives), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Face(internet), kPanel);
    EXPECT_EQ(InnerEdge(internet), GetSysColor(COLOR_3DHIGHLIGHT));
}

TEST_F(SkinTest, HoverTurnsAButtonYellowAndMovesWithTheMouse) {
    HWND settings = Item(IDC_SETTINGS), help = Item(IDC_HELP_BUTTON), internet = Item(IDC_VIEW_INTERNET);
    HoverOver(g_app.mainWindow, settings);
    EXPECT_EQ(g_skin.hoveredButton.load(), settings);
    EXPECT_EQ(Face(settings), kYellow);
    EXPECT_EQ(InnerEdge(settings), GetSysColor(COLOR_3DHIGHLIGHT));
    // Straight from one listed button to another, in one pass.
    HoverOver(g_app.mainWindow, help);
    EXPECT_EQ(Face(settings), kPanel);
    EXPECT_EQ(Face(help), kYellow);
    // A control that is not listed leaves no button hovered.
    HoverOver(g_app.mainWindow, Item(IDC_RESULTS_LIST));
    EXPECT_EQ(g_skin.hoveredButton.load(), nullptr);
    EXPECT_EQ(Face(help), kPanel);

    // The selected view button is etched while hovered, sunken again after.
    HoverOver(g_app.mainWindow, internet);
    EXPECT_EQ(Face(internet), kYellow);
    EXPECT_EQ(InnerEdge(internet), GetSysColor(COLOR_3DHIGHLIGHT));
    HoverOver(g_app.mainWindow, g_app.mainWindow);
    EXPECT_EQ(Face(internet), kYellow);
    EXPECT_EQ(InnerEdge(internet), GetSysColor(COLOR_3DDKSHADOW));

    // Leaving a button out of the dialog drops the hover face.
    HWND exit = Item(IDC_EXIT);
    HoverOver(g_app.mainWindow, exit);
    ASSERT_EQ(Face(exit), kYellow);
    ParkMouse();
    SendMessageA(exit, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(g_skin.hoveredButton.load(), nullptr);
    EXPECT_EQ(Face(exit), kPanel);
}

// Answers a modal dialog of the main window from a helper thread.
template <typename Check>
void WithDialog(int command, int probeId, Check check) {
    WindowHelper helper([&](HWND w) { return w != g_app.mainWindow && GetDlgItem(w, probeId) != nullptr; }, check);
    SendMessageA(g_app.mainWindow, WM_COMMAND, command, 0);
    EXPECT_TRUE(helper.Join());
}

// Settings: the top left of the background, skinned buttons; Escape leaves
// it open and Enter presses the default button.
TEST_F(SkinTest, SmallDialogIsSkinnedAndOnlyEnterClosesIt) {
    COLORREF corner = 0, farCorner = 0, ok = 0, okHover = 0;
    RECT client = {};
    bool stillOpen = false;
    WithDialog(IDC_SETTINGS, IDC_SET_NEVERUPDATE, [&](HWND dialog) {
        Sleep(200);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetClientRect(dialog, &client);
        corner = Pixel(dialog, 2, 2);
        farCorner = Pixel(dialog, client.right - 3, client.bottom - 3);
        HWND button = GetDlgItem(dialog, IDC_SET_OK);
        ok = Face(button);
        HoverOver(dialog, button);
        okHover = Face(button);
        HoverOver(dialog, dialog);
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(300);
        stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(20);
    });
    EXPECT_LT(client.right, 630);
    EXPECT_EQ(corner, BitmapPixel("LOGO", 2, 2));
    EXPECT_EQ(farCorner, BitmapPixel("LOGO", client.right - 3, client.bottom - 3));
    EXPECT_EQ(ok, kPanel);
    EXPECT_EQ(okHover, kYellow);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(FindProcessWindow([](HWND w) { return GetDlgItem(w, IDC_SET_NEVERUPDATE) != nullptr; }), nullptr);
}

}  // namespace
