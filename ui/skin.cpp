// Painting of the skinned look and the hover trackers.
#include "ui/skin.h"

#include "app/app_state.h"

namespace {

SkinState MakeSkin() {
    SkinState skin;
    skin.panelBrush = CreateSolidBrush(kPanelColour);
    skin.hoverBrush = CreateSolidBrush(kHoverColour);
    skin.selectionBrush = CreateSolidBrush(kHoverColour);
    return skin;
}

// Copies `bitmap` at its own size to (x, y); the block asked for is the
// client size, which BitBlt clips to the bitmap.
void BlitBitmap(HDC target, HDC memory, HBITMAP bitmap, int x, int y, const RECT& client) {
    if (!bitmap) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(target, x, y, client.right - client.left, client.bottom - client.top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
}

void PaintBackground(HWND window, bool withLogo) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(dc);
    RECT client;
    GetClientRect(window, &client);
    if (g_app.backgroundBitmap) BlitBitmap(dc, memory, g_app.backgroundBitmap, 0, 0, client);
    else FillRect(dc, &client, g_skin.panelBrush);
    if (withLogo) {
        BITMAP info = {};
        if (g_app.logoBitmap && GetObjectA(g_app.logoBitmap, sizeof info, &info)) {
            RECT logo = {0, 0, info.bmWidth, info.bmHeight};
            BlitBitmap(dc, memory, g_app.logoBitmap, 40, 34, logo);
        }
    }
    DeleteDC(memory);
    EndPaint(window, &ps);
}

}  // namespace

SkinState g_skin = MakeSkin();

void ApplySkin(HWND) {}

void PaintDialogBackground(HWND dialog) { PaintBackground(dialog, false); }

void PaintMainBackground(HWND mainWindow) { PaintBackground(mainWindow, true); }

void PaintSkinnedButton(HDC dc, HWND button) {
    RECT rc;
    GetClientRect(button, &rc);
    char text[256] = {};
    GetWindowTextA(button, text, sizeof text);
    HBRUSH brush = g_skin.panelBrush;
    UINT edge = EDGE_ETCHED;
    HGDIOBJ oldFont = nullptr;
    if (button == g_skin.hoveredButton) {
        brush = g_skin.hoverBrush;
    } else if (GetParent(button) == g_app.mainWindow && button == g_app.selectedViewButton) {
        brush = g_skin.selectionBrush;
        edge = EDGE_SUNKEN;
    } else if (g_app.buttonFont) {
        oldFont = SelectObject(dc, g_app.buttonFont);
    }
    FillRect(dc, &rc, brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_TABSTOP);
    DrawEdge(dc, &rc, edge, BF_RECT);
    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, OPAQUE);
}

HBRUSH PaintStaticColour(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    return g_skin.panelBrush;
}

void TrackHover(HWND dialog, const HoverList& list, HWND under) {
    HWND hovered = nullptr;
    for (size_t i = 0; i < list.count; ++i)
        if (GetDlgItem(dialog, list.ids[i]) == under) hovered = under;
    g_skin.hoveredButton = hovered;
    for (size_t i = 0; i < list.count; ++i) {
        HWND button = GetDlgItem(dialog, list.ids[i]);
        BYTE over = (button && button == under) ? 1 : 0;
        if (over != list.hot[i] && button) {
            RECT rc;
            GetClientRect(button, &rc);
            InvalidateRect(button, &rc, FALSE);
            SendMessageA(button, WM_PAINT, 0, 0);
        }
        list.hot[i] = over;
    }
}
