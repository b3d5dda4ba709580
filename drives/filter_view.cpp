// The filter list: row i is the filter table's entry i as of the last fill;
// every change of the table's rows is followed by a fill.
#include "drives/filter_view.h"

#include <commctrl.h>

#include <vector>

#include "drives/filters.h"
#include "resource.h"
#include "ui/list_view.h"

namespace {

TickList g_filterView;  // the main window's, handed over at set-up

}  // namespace

void SetUpFilterListView(HWND list) {
    g_filterView.list = list;
    if (!list) return;
    SetTickListLook(list, IDI_FILTER);
    InsertListColumn(list, 0, "Filter", 100, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Description", 345, LVCFMT_LEFT);
    FillFilterListView();
}

void FillFilterListView() {
    HWND list = g_filterView.list;
    if (!list) return;
    std::vector<FilterEntry> table = CopyFilterTable();
    g_filterView.filling = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, table.size(), 0);
    for (size_t i = 0; i < table.size(); ++i) {
        int row = InsertListRow(list, static_cast<int>(i), table[i].filter);
        if (row < 0) continue;
        SetListCell(list, row, 1, table[i].description);
        SetListRowTick(list, row, table[i].enabled == 1);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    g_filterView.filling = false;
}

bool RemoveSelectedFilter() {
    HWND list = g_filterView.list;
    if (!list || SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return false;
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || !RemoveFilter(static_cast<size_t>(row))) return false;
    FillFilterListView();
    return true;
}

void OnFilterListNotify(const NMHDR* header) {
    int ticked = UserTickOf(g_filterView, header);
    if (ticked >= 0)
        SetFilterTick(static_cast<size_t>(reinterpret_cast<const NMLISTVIEW*>(header)->iItem), static_cast<BYTE>(ticked));
}
