#include "drives/add_filters_dialog.h"

#include <cstdio>

#include "drives/filter_view.h"
#include "drives/filters.h"
#include "resource.h"
#include "ui/skin.h"

namespace {

const int kAddHoverIds[] = {IDC_AF_ADD, IDC_AF_CLOSE};
const HoverList kAddHover = {kAddHoverIds, 2};

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    // The edits never hold more than is read back, so nothing typed is
    // cut off silently.
    SendDlgItemMessageA(dialog, IDC_AF_EXTENSION, EM_LIMITTEXT, 254, 0);
    SendDlgItemMessageA(dialog, IDC_AF_DESCRIPTION, EM_LIMITTEXT, 254, 0);
}

void OnAddFilter(HWND dialog) {
    // 254 characters at most: the filter gets a leading dot and a loaded
    // description a trailing space, and both must still fit 255.
    char extension[255] = {};
    char description[255] = {};
    GetDlgItemTextA(dialog, IDC_AF_EXTENSION, extension, sizeof extension);
    GetDlgItemTextA(dialog, IDC_AF_DESCRIPTION, description, sizeof description);
    if (!extension[0] || !description[0]) return;
    const char* reason = RejectExtension(extension);
    if (!reason) reason = RejectDescription(description);
    if (reason) {
        MessageBoxA(dialog, reason, "Add Filters", MB_OK | MB_ICONWARNING);
        return;
    }
    char filter[256];
    snprintf(filter, sizeof filter, ".%s", extension);
    AppendFilter(filter, description, 1);
    FillFilterListView();
}

INT_PTR CALLBACK AddFilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        // Id 2 is also the dialog's cancel id, so Escape adds as well.
        if (LOWORD(wParam) == IDC_AF_ADD) OnAddFilter(dialog);
        else if (LOWORD(wParam) == IDC_AF_CLOSE) EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kAddHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam, false);
    }
}

}  // namespace

void RunAddFiltersDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ADD_FILTER), owner, AddFilterDialogProc, 0);
}
