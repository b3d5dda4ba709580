// The Cookies Manager dialog (138): the delete list on the left, the keep
// list on the right, ">>" and "<<" between them, OK to save the keep list.
#include "cookies/cookies_manager_dialog.h"

#include <commctrl.h>

#include "resource.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

// Rows selected in a list view, in list order.
std::vector<int> SelectedRows(HWND listView) {
    std::vector<int> rows;
    LRESULT count = SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0);
    int row = -1;
    for (LRESULT i = 0; i < count; ++i) {
        row = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, row, MAKELPARAM(LVNI_SELECTED, 0)));
        if (row < 0) break;
        rows.push_back(row);
    }
    return rows;
}

const int kHoverIds[] = {IDC_CK_TO_KEEP,       IDC_CK_TO_DELETE,        IDC_CK_SAVE_SETTINGS,   IDC_CK_OK,
                         IDC_CK_DEL_SELECT_ALL, IDC_CK_DEL_DESELECT_ALL, IDC_CK_KEEP_SELECT_ALL, IDC_CK_KEEP_DESELECT_ALL};
const HoverList kHoverList = {kHoverIds, sizeof kHoverIds / sizeof kHoverIds[0]};

HWND DeleteView(HWND dialog) { return GetDlgItem(dialog, IDC_CK_DELETE_LIST); }
HWND KeepView(HWND dialog) { return GetDlgItem(dialog, IDC_CK_KEEP_LIST); }

void RefillBothViews(HWND dialog) {
    FillCookieListView(KeepView(dialog), KEPT_COOKIES);
    FillCookieListView(DeleteView(dialog), COOKIES_TO_DELETE);
}

INT_PTR OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    SetUpCookieListView(DeleteView(dialog));
    SetUpCookieListView(KeepView(dialog));
    ScanCookieFolder();
    FillCookieListView(DeleteView(dialog), COOKIES_TO_DELETE);
    FillCookieListView(KeepView(dialog), KEPT_COOKIES);
    return TRUE;
}

// ">>" and "<<": with nothing on the source side nothing happens at all;
// otherwise the selection moves and both views show the result.
void OnMove(HWND dialog, CookieList source, CookieList target, HWND sourceView) {
    if (CopyCookieList(source).empty()) return;
    MoveSelectedCookies(source, target, sourceView);
    RefillBothViews(dialog);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_CK_TO_KEEP:
        OnMove(dialog, COOKIES_TO_DELETE, KEPT_COOKIES, DeleteView(dialog));
        return TRUE;
    case IDC_CK_TO_DELETE:
        OnMove(dialog, KEPT_COOKIES, COOKIES_TO_DELETE, KeepView(dialog));
        return TRUE;
    case IDC_CK_OK:
        SaveKeptCookies();
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case IDC_CK_DEL_SELECT_ALL:
    case IDC_CK_DEL_DESELECT_ALL:
        return TRUE;
    default:
        // IDCANCEL included: Escape leaves the dialog open.
        return FALSE;
    }
}

}  // namespace

void SetUpCookieListView(HWND listView) {
    SetListLook(listView, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    InsertListColumn(listView, 0, "Cookies", 232, LVCFMT_LEFT);
}

void FillCookieListView(HWND listView, CookieList list) {
    std::vector<CookieEntry> entries = CookieListForView(list);
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < entries.size(); ++i) InsertListRow(listView, static_cast<int>(i), entries[i].name);
}

void MoveSelectedCookies(CookieList source, CookieList target, HWND sourceView) {
    MoveCookieRows(source, target, SelectedRows(sourceView));
}

void RunCookiesManagerDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COOKIES), owner, CookiesManagerDialogProc, 0);
}

INT_PTR CALLBACK CookiesManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_SETCURSOR:
        TrackHover(dialog, kHoverList, reinterpret_cast<HWND>(wParam));
        return FALSE;
    case WM_CLOSE:
        // The moves stay in memory; only OK writes datacookies.txt.
        EndDialog(dialog, DIALOG_RESULT);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
