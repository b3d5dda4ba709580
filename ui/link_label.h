// Hyperlink labels: a static control subclassed into a clickable link.
#pragma once

#include <windows.h>

int MakeLinkLabel(HWND dialog, int controlId, const char* target, COLORREF colour);
LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void FreeLinkResources();
