#include "ui/list_view.h"

#include <commctrl.h>

void SetListLook(HWND list, DWORD extendedStyles, COLORREF background) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyles);
    SendMessageA(list, LVM_SETBKCOLOR, 0, background);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, background);
}

void InsertListColumn(HWND list, int index, const char* text, int width, int format) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = format;
    column.cx = width;
    // The control copies the text; the cast only meets the structure's type.
    column.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}
