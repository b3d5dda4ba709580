// The Cookies Manager dialog (138): the delete list on the left, the keep
// list on the right, each the cookie files and then the browsers' sites,
// ">>" and "<<" between them, OK to save both keep lists.
#include "cookies/cookies_manager_dialog.h"

#include <commctrl.h>

#include "cookies/cookie_sites.h"
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

// One opening: the sites, and how many cookie-file rows stand above them
// in each view.
struct ManagerState {
    CookieSites sites;
    int fileRows[2] = {};
};

ManagerState* StateOf(HWND dialog) { return reinterpret_cast<ManagerState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// A view: the cookie files of `list`, then the sites of that side. When the
// keep list could not be read a last row on the keep side says why.
void FillView(HWND dialog, CookieList list) {
    ManagerState* state = StateOf(dialog);
    HWND view = list == KEPT_COOKIES ? KeepView(dialog) : DeleteView(dialog);
    int row = FillCookieListView(view, list);
    state->fileRows[list] = row;
    const CookieSites& sites = state->sites;
    if (list == COOKIES_TO_DELETE) {
        for (const SiteCookies& site : sites.toDelete) InsertListRow(view, row++, SiteRowText(site).c_str());
    } else if (!sites.keepReadable) {
        std::string note = "(kept sites unknown: " + sites.keepError + "; no browser cookie is deleted)";
        InsertListRow(view, row, note.c_str());
    } else {
        for (const SiteCookies& site : sites.keptCookies) {
            std::string text = SiteRowText(site);
            if (KeptByPolicy(sites, site.site)) text += "  - kept by policy";
            InsertListRow(view, row++, text.c_str());
        }
    }
}

void RefillBothViews(HWND dialog) {
    FillView(dialog, KEPT_COOKIES);
    FillView(dialog, COOKIES_TO_DELETE);
}

INT_PTR OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    auto* state = new ManagerState;
    state->sites = LoadCookieSites();
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    SetUpCookieListView(DeleteView(dialog));
    SetUpCookieListView(KeepView(dialog));
    ScanCookieFolder();
    FillView(dialog, COOKIES_TO_DELETE);
    FillView(dialog, KEPT_COOKIES);
    return TRUE;
}

// ">>" and "<<": with nothing on the source side nothing happens at all;
// otherwise the selection moves, cookie files and sites each to their
// part of the other side, and both views show the result.
void OnMove(HWND dialog, CookieList source, CookieList target, HWND sourceView) {
    ManagerState* state = StateOf(dialog);
    CookieSites& sites = state->sites;
    size_t sourceSites = source == KEPT_COOKIES ? sites.kept.size() : sites.toDelete.size();
    if (CopyCookieList(source).empty() && sourceSites == 0) return;
    std::vector<int> fileRows, siteRows;
    for (int row : SelectedRows(sourceView)) {
        if (row < state->fileRows[source]) fileRows.push_back(row);
        else siteRows.push_back(row - state->fileRows[source]);
    }
    MoveCookieRows(source, target, fileRows);
    std::vector<std::string> refused;
    if (source == COOKIES_TO_DELETE) refused = MoveSitesToKeep(sites, siteRows);
    else MoveSitesToDelete(sites, siteRows);
    RefillBothViews(dialog);
    if (!refused.empty()) {
        std::string text = "These sites cannot be kept:\n";
        for (const std::string& line : refused) text += "\n" + line;
        MessageBoxA(dialog, text.c_str(), "Cookies Manager", MB_OK | MB_ICONINFORMATION);
    }
}

void OnOk(HWND dialog) {
    SaveKeptCookies();
    // Unlike a cookie file's, a site's keeping rests on the saved file
    // alone, so a failed save is said.
    if (!SaveCookieSites(StateOf(dialog)->sites))
        MessageBoxA(dialog,
                    "The kept sites could not be saved to datasites.txt. Their cookies are kept only as the file "
                    "stood before.",
                    "Cookies Manager", MB_OK | MB_ICONWARNING);
    EndDialog(dialog, DIALOG_RESULT);
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
        OnOk(dialog);
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

int FillCookieListView(HWND listView, CookieList list) {
    std::vector<CookieEntry> entries = CookieListForView(list);
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < entries.size(); ++i) InsertListRow(listView, static_cast<int>(i), entries[i].name);
    return static_cast<int>(entries.size());
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
        // The file moves stay in memory; only OK writes datacookies.txt
        // and datasites.txt.
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_DESTROY:
        delete StateOf(dialog);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
