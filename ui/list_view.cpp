#include "ui/list_view.h"

#include <commctrl.h>

void SetListLook(HWND list, DWORD extendedStyles, COLORREF background) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyles);
    SendMessageA(list, LVM_SETBKCOLOR, 0, background);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, background);
}

int InsertListRow(HWND list, int row, const char* text, bool withImage) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | (withImage ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.iImage = 0;
    // The control copies the text.
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

UINT StateImageOf(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

UINT StateImageBits(UINT image) { return INDEXTOSTATEIMAGEMASK(image) & LVIS_STATEIMAGEMASK; }

bool IsListRowTicked(HWND list, int row) {
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return StateImageOf(state) != kUncheckedImage;
}

void SetListRowTick(HWND list, int row, bool ticked) {
    LVITEMA item = {};
    item.stateMask = ticked ? (LVIS_STATEIMAGEMASK | LVIS_SELECTED) : LVIS_STATEIMAGEMASK;
    item.state = StateImageBits(ticked ? kCheckedImage : kUncheckedImage);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
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
