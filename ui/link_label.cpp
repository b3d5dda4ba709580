// Hyperlink labels. The static control is subclassed and a record from
// the process heap, attached as the window's user data,
// carries the link's target and colours until the window is destroyed.
#include "ui/link_label.h"

#include <shellapi.h>

#include <cstring>

#include "ui/skin.h"
#include "ui/subclass.h"

namespace {

const int kTextSize = 260;

struct LinkLabelData {
    char target[kTextSize];  // empty: open the window text
    COLORREF colour;
    COLORREF visitedColour;
};

// Shared by every link label; main thread only.
struct LinkResources {
    HFONT font = nullptr;      // underlined DEFAULT_GUI_FONT
    HCURSOR hand = nullptr;    // pointing hand
    int pressed = 0;           // left button went down on a link label
};

LinkResources g_link;

// The pointing hand, 32 x 32, hot spot (5, 2): AND and XOR planes, one
// 32-bit row each, most significant bit leftmost.
struct HandRow {
    int first, last;
    BYTE andPlane[4];
    BYTE xorPlane[4];
};

const HandRow kHandRows[] = {
    {0, 0, {0xff, 0xff, 0xff, 0xff}, {0x00, 0x00, 0x00, 0x00}},
    {1, 1, {0xf9, 0xff, 0xff, 0xff}, {0x00, 0x00, 0x00, 0x00}},
    {2, 5, {0xf0, 0xff, 0xff, 0xff}, {0x06, 0x00, 0x00, 0x00}},
    {6, 6, {0xf0, 0x24, 0xff, 0xff}, {0x06, 0x00, 0x00, 0x00}},
    {7, 7, {0xf0, 0x00, 0x7f, 0xff}, {0x06, 0xdb, 0x00, 0x00}},
    {8, 8, {0xc0, 0x00, 0x7f, 0xff}, {0x06, 0xdb, 0x00, 0x00}},
    {9, 10, {0x80, 0x00, 0x7f, 0xff}, {0x36, 0xdb, 0x00, 0x00}},
    {11, 11, {0x80, 0x00, 0x7f, 0xff}, {0x37, 0xff, 0x00, 0x00}},
    {12, 13, {0x80, 0x00, 0x7f, 0xff}, {0x3f, 0xff, 0x00, 0x00}},
    {14, 14, {0xc0, 0x00, 0x7f, 0xff}, {0x1f, 0xff, 0x00, 0x00}},
    {15, 15, {0xe0, 0x00, 0x7f, 0xff}, {0x0f, 0xff, 0x00, 0x00}},
    {16, 16, {0xf0, 0x00, 0xff, 0xff}, {0x07, 0xfe, 0x00, 0x00}},
    {17, 18, {0xf0, 0x00, 0xff, 0xff}, {0x00, 0x00, 0x00, 0x00}},
    {19, 31, {0xff, 0xff, 0xff, 0xff}, {0x00, 0x00, 0x00, 0x00}},
};

HCURSOR MakeHandCursor() {
    BYTE andPlane[32 * 4], xorPlane[32 * 4];
    for (const HandRow& row : kHandRows) {
        for (int y = row.first; y <= row.last; ++y) {
            memcpy(andPlane + y * 4, row.andPlane, 4);
            memcpy(xorPlane + y * 4, row.xorPlane, 4);
        }
    }
    return CreateCursor(GetModuleHandleA(nullptr), 5, 2, 32, 32, andPlane, xorPlane);
}

HFONT MakeLinkFont() {
    LOGFONTA font = {};
    if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
    font.lfUnderline = 1;
    return CreateFontIndirectA(&font);
}

UINT TextFormat(HWND window) {
    LONG style = GetWindowLongA(window, GWL_STYLE);
    UINT format = DT_SINGLELINE;
    if (style & SS_CENTER) format |= DT_CENTER;
    if (style & SS_RIGHT) format |= DT_RIGHT;
    if (style & SS_CENTERIMAGE) format |= DT_VCENTER;
    return format;
}

void Paint(HWND window, const LinkLabelData& link) {
    UINT format = TextFormat(window);
    RECT rc;
    GetClientRect(window, &rc);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    SetTextColor(dc, link.colour);
    SetBkColor(dc, kPanelColour);
    if (!g_link.font) g_link.font = MakeLinkFont();
    HGDIOBJ oldFont = g_link.font ? SelectObject(dc, g_link.font) : nullptr;
    char text[kTextSize] = {};
    GetWindowTextA(window, text, kTextSize);
    DrawTextA(dc, text, -1, &rc, format);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(window, &ps);
}

// Opens the link's target, or its window text when it has none. A text
// too long for the buffer would be cut short; such a target is not opened.
void Open(HWND window, const LinkLabelData& link) {
    char text[kTextSize] = {};
    const char* target = link.target;
    if (!target[0]) {
        if (GetWindowTextLengthA(window) >= kTextSize) return;
        GetWindowTextA(window, text, kTextSize);
        target = text;
    }
    if (target[0]) ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

int MakeLinkLabel(HWND dialog, int controlId, const char* target, COLORREF colour) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control) return 1;
    // A target that does not fit would open a different address.
    if (target && strlen(target) >= kTextSize) return 1;
    auto* link = static_cast<LinkLabelData*>(HeapAlloc(GetProcessHeap(), 0, sizeof(LinkLabelData)));
    if (!link) return 1;
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | SS_NOTIFY);
    link->target[0] = '\0';
    if (target) memcpy(link->target, target, strlen(target) + 1);
    link->colour = colour == static_cast<COLORREF>(-1) ? kLinkColour : colour;
    link->visitedColour = kVisitedLinkColour;
    // The record is attached before the procedure is swapped, so the new
    // procedure never sees a window without it.
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
    if (!SubclassWindow(control, LinkLabelProc)) {
        SetWindowLongPtrA(control, GWLP_USERDATA, 0);
        HeapFree(GetProcessHeap(), 0, link);
        return 1;
    }
    InvalidateRect(control, nullptr, FALSE);
    return 1;
}

LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* link = reinterpret_cast<LinkLabelData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!link) return CallPreviousProc(window, message, wParam, lParam);
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = CallPreviousProc(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_PAINT:
        Paint(window, *link);
        return 0;
    case WM_SETCURSOR:
        if (!g_link.hand) g_link.hand = MakeHandCursor();
        SetCursor(g_link.hand);
        return TRUE;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_LBUTTONDOWN:
        g_link.pressed = 1;
        break;
    case WM_LBUTTONUP:
        if (g_link.pressed) {
            g_link.pressed = 0;
            link->colour = link->visitedColour;
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            Open(window, *link);
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        HeapFree(GetProcessHeap(), 0, link);
        break;
    default:
        break;
    }
    return CallPreviousProc(window, message, wParam, lParam);
}

void FreeLinkResources() {
    if (g_link.font) DeleteObject(g_link.font);
    if (g_link.hand) DestroyCursor(g_link.hand);
    g_link.font = nullptr;
    g_link.hand = nullptr;
}
