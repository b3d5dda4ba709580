// Painting of the skinned look and the hover trackers.
//
// Push buttons stay ordinary BS_PUSHBUTTON/BS_DEFPUSHBUTTON controls, so the
// dialog manager keeps moving the default-button style, Enter presses the
// default button and BM_CLICK works. Only their painting is taken over: a
// subclass answers WM_PAINT with the skinned face and, after every message
// on which the system button draws itself directly (focus, press, style,
// enable, text), paints the skinned face again at once.
#include "ui/skin.h"

#include <algorithm>
#include <cstring>

#include "ui/subclass.h"

namespace {

// A skinned dialog's record is kept in a window property.
const char kDialogSkinProp[] = "BrisolaDialogSkin";

// Hover lists are short (at most 13 buttons).
const size_t kMaxHoverButtons = 32;

// What a skinned dialog remembers: the hover list its tracker last ran
// with, so that a button can run that tracker when the mouse leaves it,
// and which of its buttons were last drawn hot.
struct DialogSkin {
    HoverList list = {nullptr, 0};
    BYTE hot[kMaxHoverButtons] = {};
    HWND selected = nullptr;  // painted sunken
};

HBRUSH SolidBrush(COLORREF colour) { return CreateSolidBrush(colour); }

// Copies the top-left part of `bitmap` that fits `area` to (x, y), at its
// own size: nothing is ever stretched.
void BlitBitmap(HDC target, HDC memory, HBITMAP bitmap, int x, int y, const RECT& area) {
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
    int width = std::min<LONG>(area.right - area.left, info.bmWidth);
    int height = std::min<LONG>(area.bottom - area.top, info.bmHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(target, x, y, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
}

// Fills the part of the client area that the background bitmap does not
// cover (a dialog larger than the bitmap) with the panel colour.
void FillBeyondBackground(HDC dc, const RECT& client) {
    BITMAP info = {};
    LONG width = 0, height = 0;
    if (g_skin.backgroundBitmap && GetObjectA(g_skin.backgroundBitmap, sizeof info, &info)) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
    RECT right = {width, 0, client.right, client.bottom};
    RECT below = {0, height, std::min(width, client.right), client.bottom};
    if (right.left < right.right) FillRect(dc, &right, g_skin.panelBrush);
    if (below.top < below.bottom) FillRect(dc, &below, g_skin.panelBrush);
}

void PaintBackground(HWND window, bool withLogo) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HDC memory = CreateCompatibleDC(dc);
    RECT client;
    GetClientRect(window, &client);
    BlitBitmap(dc, memory, g_skin.backgroundBitmap, 0, 0, client);
    FillBeyondBackground(dc, client);
    if (withLogo) BlitBitmap(dc, memory, g_skin.logoBitmap, 40, 34, client);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

// Paints the skinned face into `dc` in the button's own font, the font the
// system button would have selected, plus the focus rectangle.
void PaintFace(HWND button, HDC dc) {
    HGDIOBJ oldFont = nullptr;
    if (HFONT own = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0))) oldFont = SelectObject(dc, own);
    PaintSkinnedButton(dc, button);
    bool hideFocus = (SendMessageA(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (GetFocus() == button && !hideFocus) {
        RECT rc;
        GetClientRect(button, &rc);
        InflateRect(&rc, -3, -3);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, kPanelColour);
        DrawFocusRect(dc, &rc);
    }
    if (oldFont) SelectObject(dc, oldFont);
}

void PaintButtonMessage(HWND button, HDC given) {
    if (given) {
        PaintFace(button, given);
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(button, &ps);
    if (dc) PaintFace(button, dc);
    EndPaint(button, &ps);
}

// Messages on which the system button draws itself outside WM_PAINT.
bool SystemButtonDraws(UINT message) {
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
        return true;
    default:
        return false;
    }
}

DialogSkin* FindDialogSkin(HWND dialog) {
    return dialog ? static_cast<DialogSkin*>(GetPropA(dialog, kDialogSkinProp)) : nullptr;
}

// Runs the parent dialog's tracker once the mouse has left a button, so a
// button at the dialog's edge loses its hover face too.
void TrackMouseLeft(HWND button) {
    HWND dialog = GetParent(button);
    DialogSkin* skin = FindDialogSkin(dialog);
    if (!skin || !skin->list.count) return;
    POINT at;
    HWND under = dialog;
    if (GetCursorPos(&at)) {
        HWND window = WindowFromPoint(at);
        if (window && (window == dialog || IsChild(dialog, window))) under = window;
    }
    TrackHover(dialog, skin->list, under);
}

LRESULT CALLBACK SkinnedButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintButtonMessage(button, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, button, 0};
        TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSELEAVE: {
        LRESULT result = CallPreviousProc(button, message, wParam, lParam);
        TrackMouseLeft(button);
        return result;
    }
    default:
        break;
    }
    LRESULT result = CallPreviousProc(button, message, wParam, lParam);
    // A click may have destroyed the button (Exit destroys the main window).
    if (SystemButtonDraws(message) && IsWindow(button)) RepaintNow(button);
    return result;
}

LRESULT CALLBACK SkinnedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) delete static_cast<DialogSkin*>(RemovePropA(dialog, kDialogSkinProp));
    return CallPreviousProc(dialog, message, wParam, lParam);
}

bool IsPushButton(HWND window) {
    char name[16] = {};
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, "Button") != 0) return false;
    LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

BOOL CALLBACK SkinChild(HWND child, LPARAM dialog) {
    if (GetParent(child) != reinterpret_cast<HWND>(dialog) || !IsPushButton(child)) return TRUE;
    SubclassWindow(child, SkinnedButtonProc);
    return TRUE;
}

}  // namespace

SkinState::SkinState()
    : panelBrush(SolidBrush(kPanelColour)), hoverBrush(SolidBrush(kHoverColour)),
      selectionBrush(SolidBrush(kHoverColour)) {}

SkinState g_skin;

void ApplySkin(HWND dialog) {
    if (!dialog) return;
    if (!FindDialogSkin(dialog)) {
        auto* skin = new DialogSkin;
        if (SetPropA(dialog, kDialogSkinProp, skin)) SubclassWindow(dialog, SkinnedDialogProc);
        else delete skin;
    }
    EnumChildWindows(dialog, SkinChild, reinterpret_cast<LPARAM>(dialog));
}

void LoadSkinBitmaps() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    g_skin.backgroundBitmap = LoadBitmapA(module, "LOGO");
    g_skin.logoBitmap = LoadBitmapA(module, "MAINLOGO");
}

bool SkinBitmapsLoaded() { return g_skin.backgroundBitmap && g_skin.logoBitmap; }

void CreateSkinButtonFont() {
    if (g_skin.buttonFont) return;
    g_skin.buttonFont = CreateFontA(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                                    DEFAULT_QUALITY, VARIABLE_PITCH, "Arial");
}

void FreeSkinAssets() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(g_skin.backgroundBitmap), static_cast<HGDIOBJ>(g_skin.logoBitmap),
                           static_cast<HGDIOBJ>(g_skin.buttonFont)})
        if (object) DeleteObject(object);
    g_skin.backgroundBitmap = nullptr;
    g_skin.logoBitmap = nullptr;
    g_skin.buttonFont = nullptr;
}

void SetSelectedButton(HWND dialog, HWND button) {
    if (DialogSkin* skin = FindDialogSkin(dialog)) skin->selected = button;
}

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
    const DialogSkin* dialog = FindDialogSkin(GetParent(button));
    if (button == g_skin.hoveredButton.load()) {
        brush = g_skin.hoverBrush;
    } else if (dialog && button == dialog->selected) {
        brush = g_skin.selectionBrush;
        edge = EDGE_SUNKEN;
    } else if (g_skin.buttonFont) {
        oldFont = SelectObject(dc, g_skin.buttonFont);
    }
    FillRect(dc, &rc, brush);
    SetBkMode(dc, TRANSPARENT);
    // A disabled button (CLEAN and Exit during a job) shows grey text.
    SetTextColor(dc, IsWindowEnabled(button) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
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

INT_PTR SkinnedDialogDefault(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool colourDialog) {
    switch (message) {
    case WM_PAINT:
        PaintDialogBackground(dialog);
        return TRUE;
    case WM_CTLCOLORBTN:
        PaintSkinnedButton(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(PaintStaticColour(reinterpret_cast<HDC>(wParam)));
    case WM_CTLCOLORDLG:
        return colourDialog ? reinterpret_cast<INT_PTR>(g_skin.panelBrush) : FALSE;
    default:
        return FALSE;
    }
}

void RepaintNow(HWND window, bool erase) {
    if (!window) return;
    InvalidateRect(window, nullptr, erase);
    UpdateWindow(window);
}

void RepaintOnSize(HWND window, WPARAM sizeType) {
    if (sizeType == SIZE_RESTORED || sizeType == SIZE_MAXIMIZED) RepaintNow(window);
}

void TrackHover(HWND dialog, const HoverList& list, HWND under) {
    DialogSkin* skin = FindDialogSkin(dialog);
    if (skin) skin->list = list;
    HWND buttons[kMaxHoverButtons] = {};
    size_t count = std::min(list.count, kMaxHoverButtons);
    HWND hovered = nullptr;
    for (size_t i = 0; i < count; ++i) {
        buttons[i] = GetDlgItem(dialog, list.ids[i]);
        if (buttons[i] && buttons[i] == under) hovered = under;
    }
    g_skin.hoveredButton = hovered;
    for (size_t i = 0; i < count; ++i) {
        HWND button = buttons[i];
        BYTE over = (button && button == under) ? 1 : 0;
        // A dialog the skin does not know repaints every listed button.
        if (button && (!skin || over != skin->hot[i])) {
            RECT rc;
            GetClientRect(button, &rc);
            InvalidateRect(button, &rc, FALSE);
            SendMessageA(button, WM_PAINT, 0, 0);
        }
        if (skin) skin->hot[i] = over;
    }
}
