// The results and totals lists.
#include "sweep/results_view.h"

#include <commctrl.h>

#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "fs/text.h"
#include "resource.h"
#include "sweep/sweep.h"
#include "ui/list_view.h"
#include "ui/skin.h"
#include "ui/subclass.h"

namespace {

const COLORREF kTotalsColour = RGB(160, 224, 64);
// The lists' thread's only, but for `owner`, which the sweep's listener
// reads from any thread.
struct ResultsListsState {
    // What a double-click, Enter or "View files..." opens for a row.
    ResultsRowOpener openRow = nullptr;
    // The main window's lists, handed over at set-up.
    TickList results;
    HWND totals = nullptr;
    // Their parent, told of the sweep table's changes.
    std::atomic<HWND> owner{nullptr};
    // The ticks a policy fixed at the last fill (-1: the user's), read
    // while the list draws and changes.
    int fixedTicks[SWEEP_CATEGORIES] = {};
};

ResultsListsState g_results;
static_assert(sizeof(NMLISTVIEW) >= sizeof(NMHDR), "a list view's notification starts with its header");

struct ColumnSpec {
    const char* header;
    int width;
    int format;
};

const ColumnSpec kResultsColumns[] = {
    {"Name", 190, LVCFMT_LEFT}, {"Files", 100, LVCFMT_RIGHT}, {"Folders", 80, LVCFMT_RIGHT}, {"Size", 91, LVCFMT_RIGHT}};
const ColumnSpec kTotalsColumns[] = {
    {"Info", 191, LVCFMT_LEFT}, {"Files", 100, LVCFMT_RIGHT}, {"Folders", 80, LVCFMT_RIGHT}, {"Size", 90, LVCFMT_RIGHT}};

bool HasList(HWND list) { return list && IsWindow(list); }

void InsertColumns(HWND list, const ColumnSpec (&columns)[4]) {
    for (int i = 0; i < 4; ++i) InsertListColumn(list, i, columns[i].header, columns[i].width, columns[i].format);
}

// The build pins MinGW's own printf, so PRIu64 ("llu") is 64 bits in both
// builds.
void FillCounts(HWND list, int row, const SweepCategory& category, bool sizeKnown) {
    char text[64];
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(category.files));
    SetListCell(list, row, 1, text);
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(category.folders));
    SetListCell(list, row, 2, text);
    if (sizeKnown) FormatSize(category.bytes, text, sizeof text);
    else snprintf(text, sizeof text, "(USE SCAN)");
    SetListCell(list, row, 3, text);
}

// Any thread: the lists' parent pulls the table when the message comes.
void PostSweepChanged() {
    HWND owner = g_results.owner;
    if (owner) PostMessageA(owner, WM_SWEEP_CHANGED, 0, 0);
}

const UINT kViewFilesCommand = 1;

int FocusedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void OpenPreview(HWND list, int row) {
    if (g_results.openRow && row >= 0 && row < SWEEP_CATEGORIES) g_results.openRow(GetAncestor(list, GA_ROOT), row);
}

// The row under a click, and whether the click was on its checkbox.
int RowAt(HWND list, LPARAM clientPoint, bool& onBox) {
    LVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(clientPoint));
    hit.pt.y = static_cast<short>(HIWORD(clientPoint));
    int row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    onBox = (hit.flags & LVHT_ONITEMSTATEICON) != 0;
    return row;
}

void ShowRowMenu(HWND list, LPARAM screenPoint) {
    POINT at = {static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    int row = FocusedRow(list);
    if (screenPoint != static_cast<LPARAM>(-1)) {
        POINT client = at;
        ScreenToClient(list, &client);
        bool onBox = false;
        row = RowAt(list, MAKELPARAM(client.x, client.y), onBox);
    } else {
        RECT box = {};
        box.left = LVIR_LABEL;
        if (row >= 0 && SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&box))) {
            at = {box.left, box.bottom};
            ClientToScreen(list, &at);
        }
    }
    if (row < 0 || row >= SWEEP_CATEGORIES) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, kViewFilesCommand, L"View files\u2026");
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, list, nullptr);
    DestroyMenu(menu);
    if (chosen == kViewFilesCommand) OpenPreview(list, row);
}

// Double-click, Enter and the context menu open a row's preview. The
// list's own double-click would toggle the tick, so it never sees one
// that opens a preview; Enter is taken only while the list has the focus.
LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDBLCLK: {
        bool onBox = false;
        int row = RowAt(list, lParam, onBox);
        if (row < 0 || onBox) break;
        OpenPreview(list, row);
        return 0;
    }
    case WM_GETDLGCODE: {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && FocusedRow(list) >= 0)
            return DLGC_WANTALLKEYS;
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            OpenPreview(list, FocusedRow(list));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r') return 0;
        break;
    case WM_CONTEXTMENU:
        ShowRowMenu(list, lParam);
        return 0;
    default:
        break;
    }
    return CallPreviousProc(list, message, wParam, lParam);
}

}  // namespace

void FillResultsLists() {
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    bool scanned = DiskScanStarted();
    HWND results = g_results.results.list;
    if (HasList(results)) {
        g_results.results.filling = true;
        SendMessageA(results, LVM_DELETEALLITEMS, 0, 0);
        for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
            // A note (a browser skipped, a file in use) follows the label.
            char shown[sizeof table[i].label + sizeof table[i].note + 4];
            if (table[i].note[0]) snprintf(shown, sizeof shown, "%s (%s)", table[i].label, table[i].note);
            else snprintf(shown, sizeof shown, "%s", table[i].label);
            int row = InsertListRow(results, i, shown);
            if (row < 0) continue;
            FillCounts(results, row, table[i], i != SWEEP_OTHER || scanned);
            g_results.fixedTicks[i] = PolicyTickFor(i);
            SetListRowTick(results, row, g_results.fixedTicks[i] >= 0 ? g_results.fixedTicks[i] == 1 : table[i].ticked == 1);
        }
        g_results.results.filling = false;
    }
    HWND totals = g_results.totals;
    if (HasList(totals)) {
        SendMessageA(totals, LVM_DELETEALLITEMS, 0, 0);
        int row = InsertListRow(totals, 0, table[SWEEP_TOTALS].label, false);
        if (row >= 0) FillCounts(totals, row, table[SWEEP_TOTALS], true);
    }
}

void SetUpResultsLists(HWND results, HWND totals, ResultsRowOpener openRow) {
    g_results.openRow = openRow;
    g_results.results.list = results;
    g_results.totals = totals;
    g_results.owner = GetParent(results ? results : totals);
    ListenToSweepTable(PostSweepChanged);
    if (HasList(totals)) {
        SetListLook(totals, LVS_EX_FULLROWSELECT, kTotalsColour);
        InsertColumns(totals, kTotalsColumns);
    }
    if (HasList(results)) {
        // The label tip shows a cut label whole, with its note.
        SetListLook(results, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP, kPanelColour);
        SetListIcon(results, IDI_CATEGORY);
        InsertColumns(results, kResultsColumns);
        SubclassWindow(results, ResultsListProc);
    }
    FillResultsLists();
}

bool OnResultsListNotify(const NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != g_results.results.list) return false;
    if (header->code == LVN_ITEMCHANGING) {
        // A tick the policy fixed does not move; the fill's own tick is
        // the fixed one, so it passes.
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        int ticked = TickChangeOf(change);
        if (ticked < 0 || change->iItem >= SWEEP_CATEGORIES || g_results.fixedTicks[change->iItem] < 0) return false;
        result = ticked != g_results.fixedTicks[change->iItem];
        return true;
    }
    if (header->code == LVN_ITEMCHANGED) {
        // The user's tick goes into the table at once; a fixed row shows
        // the policy's tick and keeps the user's own in the table.
        int row = reinterpret_cast<const NMLISTVIEW*>(header)->iItem;
        int ticked = UserTickOf(g_results.results, header);
        if (ticked < 0 || row >= SWEEP_CATEGORIES || g_results.fixedTicks[row] >= 0) return false;
        SetCategoryTick(row, static_cast<BYTE>(ticked));
        return false;
    }
    if (header->code == NM_CUSTOMDRAW) {
        // A fixed row is greyed.
        NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            DWORD_PTR row = draw->nmcd.dwItemSpec;
            if (row < SWEEP_CATEGORIES && g_results.fixedTicks[row] >= 0) draw->clrText = GetSysColor(COLOR_GRAYTEXT);
            result = CDRF_DODEFAULT;
            return true;
        }
    }
    return false;
}
