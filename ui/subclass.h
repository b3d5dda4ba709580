// Replacing a window's procedure: the one way every control and dialog of
// the program is subclassed.
#pragma once

#include <windows.h>

// Puts `proc` in front of the window's procedure, which is kept in a window
// property. One subclass per window: false, changing nothing, when the
// window has one already or the property cannot be set.
bool SubclassWindow(HWND window, WNDPROC proc);
// What `proc` returns for every message it does not answer itself,
// WM_NCDESTROY included: the kept procedure's answer. On WM_NCDESTROY the
// kept procedure is put back first, so the window ends as it began.
LRESULT CallPreviousProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
