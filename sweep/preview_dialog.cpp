// The preview dialog: an owner-data list over a PreviewList, sorted
// through an index so that 100,000 rows cost no copies.
#include "sweep/preview_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "drives/found_files_dialog.h"
#include "fs/text.h"
#include "resource.h"
#include "sweep/categories.h"
#include "sweep/preview.h"
#include "sweep/sweep.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

struct PreviewView {
    int row = 0;
    PreviewList list;
    std::vector<uint32_t> order;  // shown row -> item
    int sortColumn = -1;
    bool descending = false;
};

const int kPreviewHoverIds[] = {IDC_PV_CLOSE};
const HoverList kPreviewHover = {kPreviewHoverIds, 1};

PreviewView* ViewOf(HWND dialog) { return reinterpret_cast<PreviewView*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void SortBy(PreviewView* view, int column) {
    view->descending = view->sortColumn == column && !view->descending;
    view->sortColumn = column;
    const PreviewList& list = view->list;
    auto less = [&](uint32_t a, uint32_t b) {
        int c = 0;
        if (column == 0) c = _wcsicmp(list.NameOf(a), list.NameOf(b));
        if (column == 1) c = _wcsicmp(list.FolderOf(a).c_str(), list.FolderOf(b).c_str());
        if (column == 2) c = list.items[a].size < list.items[b].size ? -1 : list.items[a].size > list.items[b].size;
        if (column == 3) c = static_cast<int>(list.IsCounted(a)) - static_cast<int>(list.IsCounted(b));
        return c == 0 ? a < b : (view->descending ? c > 0 : c < 0);
    };
    std::sort(view->order.begin(), view->order.end(), less);
}

void ShowTotal(HWND dialog, const PreviewView* view, bool listed) {
    char size[64], text[320];
    FormatSize(view->list.bytes, size, sizeof size);
    if (listed && view->list.uncounted > 0)
        snprintf(text, sizeof text, "%s: %llu files, %llu folders, %s; %llu not counted in the row's figure",
                 CategoryAt(view->row).label, view->list.files, view->list.folderItems, size, view->list.uncounted);
    else if (listed)
        snprintf(text, sizeof text, "%s: %llu files, %llu folders, %s", CategoryAt(view->row).label, view->list.files,
                 view->list.folderItems, size);
    else
        snprintf(text, sizeof text, "%s: %s", CategoryAt(view->row).label, view->list.reason.c_str());
    SetDlgItemTextA(dialog, IDC_PV_TOTAL, text);
}

void OnInitDialog(HWND dialog, LPARAM lParam) {
    ApplySkin(dialog);
    auto* view = new PreviewView;
    view->row = static_cast<int>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
    bool listed = PreviewCategory(view->row, view->list);
    view->order.resize(view->list.size());
    for (size_t i = 0; i < view->order.size(); ++i) view->order[i] = static_cast<uint32_t>(i);
    HWND list = GetDlgItem(dialog, IDC_PV_LIST);
    SetListLook(list, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    InsertListColumn(list, 0, "Name", 170, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Folder", 230, LVCFMT_LEFT);
    InsertListColumn(list, 2, "Size", 80, LVCFMT_RIGHT);
    InsertListColumn(list, 3, "Counted", 70, LVCFMT_LEFT);
    SendMessageA(list, LVM_SETITEMCOUNT, view->order.size(), LVSICF_NOSCROLL);
    ShowTotal(dialog, view, listed);
}

std::wstring CellText(const PreviewView* view, int shown, int column) {
    uint32_t i = view->order[shown];
    if (column == 0) return view->list.NameOf(i);
    if (column == 1) return view->list.FolderOf(i);
    if (column == 3) return view->list.IsCounted(i) ? L"" : L"not counted";
    if (view->list.IsFolder(i)) return L"folder";
    char size[64];
    FormatSize(view->list.items[i].size, size, sizeof size);
    return WideFromAnsi(size);
}

void OnNotify(HWND dialog, const NMHDR* header) {
    PreviewView* view = ViewOf(dialog);
    if (!view || header->idFrom != IDC_PV_LIST) return;
    auto text = [view](size_t shown, int column) { return CellText(view, static_cast<int>(shown), column); };
    if (AnswerOwnerDataCell(header, view->order.size(), text)) return;
    if (header->code == LVN_COLUMNCLICK) {
        SortBy(view, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        InvalidateRect(header->hwndFrom, nullptr, FALSE);
    }
}

void OnDestroy(HWND dialog) {
    delete ViewOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

}  // namespace

void ShowPreviewDialog(HWND owner, int row) {
    if (row < 0 || row >= SWEEP_CATEGORIES) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (row == SWEEP_OTHER)
        ShowFoundFilesDialog(owner);
    else
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PREVIEW), owner, PreviewDialogProc, row);
}

INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PV_CLOSE || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_NOTIFY:
        OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    case WM_SETCURSOR:
        TrackHover(dialog, kPreviewHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
