// Hyperlink labels. Placeholder until the link label is built: the control
// stays a plain static text.
#include "ui/link_label.h"

int MakeLinkLabel(HWND, int, const char*, COLORREF) { return 1; }

LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void FreeLinkResources() {}
