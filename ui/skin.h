// The skinned look shared by every dialog: brushes, background painting,
// self-painted push buttons and the hover trackers.
#pragma once

#include <windows.h>

#include <cstddef>

const COLORREF kPanelColour = RGB(245, 255, 245);
const COLORREF kHoverColour = RGB(251, 251, 141);

struct SkinState {
    HBRUSH panelBrush = nullptr;
    HBRUSH hoverBrush = nullptr;
    HBRUSH selectionBrush = nullptr;
    HWND hoveredButton = nullptr;  // the listed button under the mouse, any dialog
};

extern SkinState g_skin;

// A dialog's hover list and its hot flags (kept between openings).
struct HoverList {
    const int* ids;
    BYTE* hot;
    size_t count;
};

// Called by every dialog's WM_INITDIALOG: makes sure the system's own
// push-button drawing never covers the painted face.
void ApplySkin(HWND dialog);
void PaintDialogBackground(HWND dialog);
void PaintMainBackground(HWND mainWindow);
// WM_CTLCOLORBTN: paints the button's face; the dialog procedure returns FALSE.
void PaintSkinnedButton(HDC dc, HWND button);
// WM_CTLCOLORSTATIC: black transparent text; returns the panel brush.
HBRUSH PaintStaticColour(HDC dc);
// Runs a dialog's hover tracker for the window under the mouse.
void TrackHover(HWND dialog, const HoverList& list, HWND under);
