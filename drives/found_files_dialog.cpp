// A scan can find hundreds of thousands of files, so the dialog's list is
// an owner-data list view: it holds no rows of its own and asks the dialog
// for each visible cell and tick (LVN_GETDISPINFO). A click on a column
// header sorts through an index, so the rows are never copied again. The
// ticks of an opening live in the dialog's own copy and reach the array
// only through Close. Files that the last cleaning left get a third column
// with the reason.
#include "drives/found_files_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "drives/found_files.h"
#include "fs/text.h"
#include "resource.h"
#include "ui/list_view.h"
#include "ui/skin.h"
#include "ui/subclass.h"

namespace {

// What one opening of the dialog shows and edits.
struct FoundFilesView {
    FoundFileStore rows;          // the array as it was at the opening
    std::vector<uint8_t> ticks;   // this opening's checkboxes, by entry
    std::vector<uint32_t> order;  // shown row -> entry
    int sortColumn = -1;
    bool descending = false;
    unsigned generation = 0;      // of the array copied into rows
    HWND list = nullptr;
};

const int kFoundHoverIds[] = {IDC_FF_CLOSE};
const HoverList kFoundHover = {kFoundHoverIds, 1};

FoundFilesView* ViewOf(HWND dialog) {
    return reinterpret_cast<FoundFilesView*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsShownRow(const FoundFilesView* view, int shown) {
    return shown >= 0 && static_cast<size_t>(shown) < view->order.size();
}

void RedrawRow(HWND list, int row) {
    SendMessageA(list, LVM_REDRAWITEMS, row, row);
    UpdateWindow(list);
}

void ToggleRow(FoundFilesView* view, int shown) {
    if (!IsShownRow(view, shown)) return;
    view->ticks[view->order[shown]] ^= 1;
    RedrawRow(view->list, shown);
}

// One cell: the name, the folder, or why the last cleaning left the file.
const char* CellText(const FoundFileStore& rows, size_t entry, int column) {
    if (column == 0) return rows.NameOf(entry);
    if (column == 1) return rows.FolderOf(entry).c_str();
    const char* left = rows.LeftTextOf(entry);
    return left ? left : "";
}

// A second click on the same header reverses the order; equal texts keep
// the order of discovery.
void SortBy(FoundFilesView* view, int column) {
    if (column < 0 || column > 2) return;
    view->descending = view->sortColumn == column && !view->descending;
    view->sortColumn = column;
    const FoundFileStore& rows = view->rows;
    auto less = [&](uint32_t a, uint32_t b) {
        int c = _stricmp(CellText(rows, a, column), CellText(rows, b, column));
        return c == 0 ? a < b : (view->descending ? c > 0 : c < 0);
    };
    std::sort(view->order.begin(), view->order.end(), less);
    InvalidateRect(view->list, nullptr, FALSE);
}

// The list keeps no state images of its own in owner-data mode, so clicks
// on a checkbox and the space bar are handled here, on our ticks.
LRESULT CALLBACK FoundListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    FoundFilesView* view = ViewOf(GetParent(list));
    if (!view) return CallPreviousProc(list, message, wParam, lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        LVHITTESTINFO hit = {};
        hit.pt.x = static_cast<short>(LOWORD(lParam));
        hit.pt.y = static_cast<short>(HIWORD(lParam));
        int row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
            SetFocus(list);
            ToggleRow(view, row);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ToggleRow(view, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == ' ') return 0;
        break;
    default:
        break;
    }
    return CallPreviousProc(list, message, wParam, lParam);
}

void FillFoundFilesListView(HWND dialog, FoundFilesView* view) {
    HWND list = GetDlgItem(dialog, IDC_FF_LIST);
    view->list = list;
    SetListLook(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    // The ticks are asked of us, like the texts.
    SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    view->generation = CopyFoundFileStore(view->rows);
    size_t count = view->rows.size();
    bool anyLeft = false;
    for (size_t i = 0; i < count && !anyLeft; ++i) anyLeft = view->rows.entries[i].left != 0;
    InsertListColumn(list, 0, "File", 120, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Path", anyLeft ? 227 : 317, LVCFMT_LEFT);
    if (anyLeft) InsertListColumn(list, 2, "Left", 90, LVCFMT_LEFT);
    view->ticks.resize(count);
    view->order.resize(count);
    for (size_t i = 0; i < count; ++i) {
        view->ticks[i] = view->rows.entries[i].checked == 1 ? 1 : 0;
        view->order[i] = static_cast<uint32_t>(i);
    }
    SendMessageA(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    SubclassWindow(list, FoundListProc);
}

void SetCount(HWND dialog, int id, unsigned long long value) {
    char text[32];
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(value));
    SetDlgItemTextA(dialog, id, text);
}

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    auto* view = new FoundFilesView;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
    unsigned long long checked = 0, found = 0;
    GetFoundFilesTotals(&checked, &found);
    SetCount(dialog, IDC_FF_CHECKED, checked);
    SetCount(dialog, IDC_FF_FOUND, found);
    FillFoundFilesListView(dialog, view);
}

// A tick set through LVM_SETITEMSTATE (by another program, or
// accessibility tools) arrives here.
void OnItemChanged(FoundFilesView* view, const NMLISTVIEW* change) {
    if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK)) return;
    UINT image = StateImageOf(change->uNewState);
    if (image != kUncheckedImage && image != kCheckedImage) return;
    uint8_t tick = image == kCheckedImage ? 1 : 0;
    if (change->iItem < 0) {
        for (uint8_t& each : view->ticks) each = tick;
        InvalidateRect(view->list, nullptr, FALSE);
    } else if (IsShownRow(view, change->iItem)) {
        view->ticks[view->order[change->iItem]] = tick;
        RedrawRow(view->list, change->iItem);
    }
}

void OnNotify(HWND dialog, const NMHDR* header) {
    FoundFilesView* view = ViewOf(dialog);
    if (!view || header->idFrom != IDC_FF_LIST) return;
    // The stored names are UTF-8; only the display meets the code page.
    auto text = [view](size_t shown, int column) {
        return WideFromUtf8(CellText(view->rows, view->order[shown], column));
    };
    auto tick = [view](size_t shown) { return view->ticks[view->order[shown]] != 0; };
    if (AnswerOwnerDataCell(header, view->order.size(), text, tick)) return;
    switch (header->code) {
    case LVN_ITEMCHANGED:
        OnItemChanged(view, reinterpret_cast<const NMLISTVIEW*>(header));
        break;
    case LVN_COLUMNCLICK:
        SortBy(view, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        break;
    default:
        break;
    }
}

void OnClose(HWND dialog) {
    if (FoundFilesView* view = ViewOf(dialog)) StoreFoundFileTicks(view->generation, view->ticks);
    EndDialog(dialog, DIALOG_RESULT);
}

void OnDestroy(HWND dialog) {
    FoundFilesView* view = ViewOf(dialog);
    if (!view) return;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    delete view;
}

}  // namespace

void ShowFoundFilesDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FOUND_FILES), owner, FoundFilesDialogProc, 0);
}

INT_PTR CALLBACK FoundFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FF_CLOSE) OnClose(dialog);
        return TRUE;
    case WM_CLOSE:
        // Closing any other way discards this opening's changes.
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_NOTIFY:
        // The list reads its answers from the structures; no result.
        OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    case WM_SETCURSOR:
        TrackHover(dialog, kFoundHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
