#include "ui/subclass.h"

namespace {

const char kPreviousProcProp[] = "BrisolaPreviousProc";

}  // namespace

bool SubclassWindow(HWND window, WNDPROC proc) {
    if (!window || GetPropA(window, kPreviousProcProp)) return false;
    LONG_PTR previous = GetWindowLongPtrA(window, GWLP_WNDPROC);
    if (!previous || !SetPropA(window, kPreviousProcProp, reinterpret_cast<HANDLE>(previous))) return false;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return true;
}

LRESULT CallPreviousProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HANDLE kept = message == WM_NCDESTROY ? RemovePropA(window, kPreviousProcProp) : GetPropA(window, kPreviousProcProp);
    auto previous = reinterpret_cast<WNDPROC>(kept);
    if (!previous) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    return CallWindowProcA(previous, window, message, wParam, lParam);
}
