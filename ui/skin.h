// The skinned look shared by every dialog: brushes, background painting,
// self-painted push buttons and the hover trackers.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>

const COLORREF kPanelColour = RGB(245, 255, 245);
const COLORREF kHoverColour = RGB(251, 251, 141);

struct SkinState {
    SkinState();
    SkinState(const SkinState&) = delete;
    SkinState& operator=(const SkinState&) = delete;

    HBRUSH panelBrush = nullptr;
    HBRUSH hoverBrush = nullptr;
    HBRUSH selectionBrush = nullptr;
    // The listed button under the mouse, any dialog. The confirmation
    // dialog's tracker writes it on the cleaning thread while the main
    // thread paints, hence atomic.
    std::atomic<HWND> hoveredButton{nullptr};
    HFONT buttonFont = nullptr;
    HBITMAP backgroundBitmap = nullptr;  // "LOGO"
    HBITMAP logoBitmap = nullptr;        // "MAINLOGO"
};

extern SkinState g_skin;

// The buttons a dialog's hover tracker watches. The ids must outlive the
// dialog (a static array); the skin keeps each dialog's hot flags.
struct HoverList {
    const int* ids;
    size_t count;
};

// The skin's bitmaps from the module's resources and the buttons' font;
// freed again as the main window goes.
void LoadSkinBitmaps();
bool SkinBitmapsLoaded();
void CreateSkinButtonFont();
void FreeSkinAssets();

// Called by every dialog's WM_INITDIALOG. Each push button of the dialog is
// then painted only with the skinned face (the system's own push-button
// drawing never shows), and the button's face follows the mouse out of
// the dialog too. Keyboard handling, the default button and BM_CLICK stay
// the system's.
void ApplySkin(HWND dialog);
// The dialog's selected button (the main window's view button), painted
// sunken; null for none. Kept with the skinned dialog, so only the
// dialog's own thread reads it.
void SetSelectedButton(HWND dialog, HWND button);
void PaintDialogBackground(HWND dialog);
void PaintMainBackground(HWND mainWindow);
// WM_CTLCOLORBTN: paints the button's face; the dialog procedure returns FALSE.
void PaintSkinnedButton(HDC dc, HWND button);
// WM_CTLCOLORSTATIC: black transparent text; returns the panel brush.
HBRUSH PaintStaticColour(HDC dc);
// The answer of every skinned dialog procedure to the messages it does not
// handle itself: the skin's painting (WM_PAINT, WM_CTLCOLORBTN,
// WM_CTLCOLORSTATIC and, when colourDialog is set, WM_CTLCOLORDLG), FALSE
// for the rest.
INT_PTR SkinnedDialogDefault(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool colourDialog = true);
// Invalidates and paints the window at once.
void RepaintNow(HWND window, bool erase = false);
// WM_SIZE: a restored or maximised window is painted again at once.
void RepaintOnSize(HWND window, WPARAM sizeType);
// Runs a dialog's hover tracker for the window under the mouse.
void TrackHover(HWND dialog, const HoverList& list, HWND under);
