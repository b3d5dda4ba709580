// Hyperlink labels: a static control subclassed into a clickable link.
#pragma once

#include <windows.h>

const COLORREF kLinkColour = RGB(0, 0, 255);
const COLORREF kVisitedLinkColour = RGB(128, 0, 128);

// Turns the dialog's control `controlId` into a link label that opens
// `target` (or, when it is null, the control's own text) with the shell.
// `colour` is the link colour, or (COLORREF)-1 for blue. Returns 1.
int MakeLinkLabel(HWND dialog, int controlId, const char* target, COLORREF colour);
LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Deletes the shared link font and hand cursor (main window destruction).
void FreeLinkResources();
