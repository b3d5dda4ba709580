#include "ui/list_view.h"

#include <commctrl.h>

#include "fs/text.h"
#include "ui/skin.h"

namespace {

struct CommonControls {
    decltype(&ImageList_Create) createList = nullptr;
    decltype(&ImageList_ReplaceIcon) replaceIcon = nullptr;

    template <typename F>
    static void Resolve(HMODULE module, const char* name, F& out) {
        if (FARPROC proc = GetProcAddress(module, name)) out = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
    }

    CommonControls() {
        HMODULE module = GetModuleHandleA("comctl32.dll");
        if (!module) module = LoadLibraryA("comctl32.dll");
        if (!module) return;
        Resolve(module, "ImageList_Create", createList);
        Resolve(module, "ImageList_ReplaceIcon", replaceIcon);
    }
};

const CommonControls& Controls() {
    static const CommonControls controls;
    return controls;
}

void CopyCell(char* out, int size, const std::wstring& text) { lstrcpynA(out, AnsiFromWide(text).c_str(), size); }
void CopyCell(wchar_t* out, int size, const std::wstring& text) { lstrcpynW(out, text.c_str(), size); }

template <typename Item>
void AnswerCell(Item& item, size_t rows, const OwnerDataText& text, const OwnerDataTick& tick) {
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows) return;
    size_t row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        CopyCell(item.pszText, item.cchTextMax, text(row, item.iSubItem));
    if ((item.mask & LVIF_STATE) && tick) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | StateImageBits(tick(row) ? kCheckedImage : kUncheckedImage);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

}  // namespace

bool AnswerOwnerDataCell(const NMHDR* header, size_t rows, const OwnerDataText& text, const OwnerDataTick& tick) {
    // The list reads the answer from the structure it sent.
    if (header->code == LVN_GETDISPINFOA)
        AnswerCell(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item, rows, text, tick);
    else if (header->code == LVN_GETDISPINFOW)
        AnswerCell(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))->item, rows, text, tick);
    else
        return false;
    return true;
}

void SetListIcon(HWND list, int iconId) {
    const CommonControls& c = Controls();
    if (!c.createList || !c.replaceIcon) return;
    HIMAGELIST images = c.createList(16, 16, ILC_COLOR8, 1, 0);
    if (!images) return;
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    if (icon) c.replaceIcon(images, -1, icon);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

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

void SetListCell(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    // The control copies the text.
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

UINT StateImageOf(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

UINT StateImageBits(UINT image) { return INDEXTOSTATEIMAGEMASK(image) & LVIS_STATEIMAGEMASK; }

bool IsListRowTicked(HWND list, int row) {
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return StateImageOf(state) != kUncheckedImage;
}

int TickChangeOf(const NMLISTVIEW* change) {
    if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) ||
        change->iItem < 0)
        return -1;
    return StateImageOf(change->uNewState) != kUncheckedImage ? 1 : 0;
}

void SetTickListLook(HWND list, int iconId) {
    SetListLook(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    SetListIcon(list, iconId);
}

int UserTickOf(const TickList& view, const NMHDR* header) {
    if (!header || !view.list || header->hwndFrom != view.list || header->code != LVN_ITEMCHANGED || view.filling)
        return -1;
    return TickChangeOf(reinterpret_cast<const NMLISTVIEW*>(header));
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
