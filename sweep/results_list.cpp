// The results and totals lists.
#include "sweep/results_list.h"

#include <commctrl.h>

#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "resource.h"
#include "sweep/sweep.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

const COLORREF kTotalsColour = RGB(160, 224, 64);
const UINT kFillMessage = WM_APP + 1;
const UINT kReadTicksMessage = WM_APP + 2;
const char kMarshalClass[] = "BrisolaResultsListsMarshal";

struct ResultsListsState {
    // A message-only window of the main thread: other threads hand it the
    // fill and the tick reading, so both run whole on the owning thread.
    HWND marshal = nullptr;
    // What a double-click, Enter or "View files..." opens for a row.
    ResultsRowOpener openRow = nullptr;
    // The main window's lists, handed over at set-up; read by any thread.
    std::atomic<HWND> results{nullptr};
    std::atomic<HWND> totals{nullptr};
    // The ticks a policy fixed at the last fill (-1: the user's), read
    // while the list draws and changes; the main thread's only.
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

void SetCell(HWND list, int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// The build pins MinGW's own printf, so PRIu64 ("llu") is 64 bits in both
// builds.
void FillCounts(HWND list, int row, const SweepCategory& category, bool sizeKnown) {
    char text[64];
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(category.files));
    SetCell(list, row, 1, text);
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(category.folders));
    SetCell(list, row, 2, text);
    if (sizeKnown) FormatSize(category.bytes, text, sizeof text);
    else snprintf(text, sizeof text, "(USE SCAN)");
    SetCell(list, row, 3, text);
}

void FillOnOwnerThread(bool keepShownTicks) {
    // On the owning thread: no click can come between the reading and the fill.
    if (keepShownTicks && HasList(g_results.results) && SendMessageA(g_results.results, LVM_GETITEMCOUNT, 0, 0) == SWEEP_CATEGORIES)
        ReadTicksFromList();
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    bool scanned = DiskScanStarted();
    HWND results = g_results.results;
    if (HasList(results)) {
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
    }
    HWND totals = g_results.totals;
    if (HasList(totals)) {
        SendMessageA(totals, LVM_DELETEALLITEMS, 0, 0);
        int row = InsertListRow(totals, 0, table[SWEEP_TOTALS].label, false);
        if (row >= 0) FillCounts(totals, row, table[SWEEP_TOTALS], true);
    }
}

bool ReadTicksOnOwnerThread(CategoryTicks& ticks) {
    HWND results = g_results.results;
    if (!HasList(results)) return false;
    int rows = static_cast<int>(SendMessageA(results, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        // A row the list does not have was never offered, so never ticked.
        if (i >= rows) {
            ticks[i] = 0;
            continue;
        }
        ticks[i] = IsListRowTicked(results, i) ? 1 : 0;
    }
    return true;
}

LRESULT CALLBACK MarshalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFillMessage) {
        FillOnOwnerThread(wParam != 0);
        return 1;
    }
    if (message == kReadTicksMessage)
        return ReadTicksOnOwnerThread(*reinterpret_cast<CategoryTicks*>(lParam)) ? 1 : 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateMarshalWindow() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA cls = {};
    if (!GetClassInfoA(module, kMarshalClass, &cls)) {
        cls.lpfnWndProc = MarshalProc;
        cls.hInstance = module;
        cls.lpszClassName = kMarshalClass;
        RegisterClassA(&cls);
    }
    // A main window made again (tests) gets a fresh one on its thread.
    if (g_results.marshal && IsWindow(g_results.marshal) &&
        GetWindowThreadProcessId(g_results.marshal, nullptr) == GetCurrentThreadId())
        DestroyWindow(g_results.marshal);
    g_results.marshal = CreateWindowExA(0, kMarshalClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
}

// True when the call had to go to the owning thread (and went).
bool OnOtherThread(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND marshal = g_results.marshal;
    if (!marshal || !IsWindow(marshal) || GetWindowThreadProcessId(marshal, nullptr) == GetCurrentThreadId())
        return false;
    result = SendMessageA(marshal, message, wParam, lParam);
    return true;
}

const UINT_PTR kResultsSubclass = 1;
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
LRESULT CALLBACK ResultsListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
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
    case WM_NCDESTROY:
        UnsubclassList(list, ResultsListProc, kResultsSubclass);
        break;
    default:
        break;
    }
    return DefListSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void SetUpResultsLists(HWND results, HWND totals, ResultsRowOpener openRow) {
    g_results.openRow = openRow;
    g_results.results = results;
    g_results.totals = totals;
    CreateMarshalWindow();
    if (HasList(totals)) {
        SetListLook(totals, LVS_EX_FULLROWSELECT, kTotalsColour);
        InsertColumns(totals, kTotalsColumns);
    }
    if (HasList(results)) {
        // The label tip shows a cut label whole, with its note.
        SetListLook(results, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP, kPanelColour);
        // The list view owns its image list and frees it with itself.
        HIMAGELIST images = CreateIconImageList(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_CATEGORY)));
        if (images) SendMessageA(results, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        InsertColumns(results, kResultsColumns);
        SubclassList(results, ResultsListProc, kResultsSubclass);
    }
    FillResultsLists();
}

void FillResultsLists(bool keepShownTicks) {
    LRESULT ignored = 0;
    if (OnOtherThread(kFillMessage, keepShownTicks ? 1 : 0, 0, ignored)) return;
    FillOnOwnerThread(keepShownTicks);
}

bool OnResultsListNotify(const NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != g_results.results) return false;
    if (header->code == LVN_ITEMCHANGING) {
        // A tick the policy fixed does not move; the fill's own tick is
        // the fixed one, so it passes.
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        int row = change->iItem;
        if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) ||
            row < 0 || row >= SWEEP_CATEGORIES || g_results.fixedTicks[row] < 0)
            return false;
        bool ticked = ((change->uNewState & LVIS_STATEIMAGEMASK) >> 12) != 1;
        result = ticked != (g_results.fixedTicks[row] == 1);
        return true;
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

bool ReadResultsListTicks(CategoryTicks& ticks) {
    LRESULT result = 0;
    if (OnOtherThread(kReadTicksMessage, 0, reinterpret_cast<LPARAM>(&ticks), result)) return result != 0;
    return ReadTicksOnOwnerThread(ticks);
}
