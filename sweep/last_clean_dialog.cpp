// The "Last clean" dialog: an owner-data list over a copy of the report,
// one line per category and one per item left.
#include "sweep/last_clean_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fs/text.h"
#include "resource.h"
#include "sweep/categories.h"
#include "sweep/clean_report.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

struct LastCleanView {
    CleanReport report;
    std::vector<std::pair<uint32_t, int32_t>> rows;  // category, left item (-1: the category's line)
};

const int kLastHoverIds[] = {IDC_PV_CLOSE};
const HoverList kLastHover = {kLastHoverIds, 1};

LastCleanView* ViewOf(HWND dialog) { return reinterpret_cast<LastCleanView*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    auto* view = new LastCleanView;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
    view->report = CopyLastCleanReport();
    for (uint32_t c = 0; c < view->report.categories.size(); ++c) {
        view->rows.push_back({c, -1});
        for (size_t i = 0; i < view->report.categories[c].left.size(); ++i) view->rows.push_back({c, static_cast<int32_t>(i)});
    }
    HWND list = GetDlgItem(dialog, IDC_PV_LIST);
    SetListLook(list, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    InsertListColumn(list, 0, "Category / item left", 380, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Freed / reason", 150, LVCFMT_LEFT);
    SendMessageA(list, LVM_SETITEMCOUNT, view->rows.size(), LVSICF_NOSCROLL);
    SetDlgItemTextA(dialog, IDC_PV_TOTAL, CleanSummaryText(view->report).c_str());
}

std::wstring CellText(const LastCleanView* view, size_t shown, int column) {
    const CategoryReport& category = view->report.categories[view->rows[shown].first];
    int left = view->rows[shown].second;
    if (left >= 0) return column == 0 ? L"    " + category.left[left].path : WideFromUtf8(LeftItemText(category.left[left]));
    if (column == 0) return WideFromAnsi(CategoryAt(category.row).label);
    char size[64], text[160];
    FormatSize(category.bytesFreed, size, sizeof size);
    snprintf(text, sizeof text, "%s; %llu deleted, %llu left", size, category.itemsDeleted, category.itemsLeft);
    return WideFromAnsi(text);
}

void OnNotify(HWND dialog, const NMHDR* header) {
    LastCleanView* view = ViewOf(dialog);
    if (!view || header->idFrom != IDC_PV_LIST) return;
    AnswerOwnerDataCell(header, view->rows.size(), [view](size_t row, int column) { return CellText(view, row, column); });
}

}  // namespace

void ShowLastCleanDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LAST_CLEAN), owner, LastCleanDialogProc, 0);
}

INT_PTR CALLBACK LastCleanDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
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
        delete ViewOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    case WM_SETCURSOR:
        TrackHover(dialog, kLastHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
