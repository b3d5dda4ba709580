// The filter table. Placeholder until the drive cleaner is built.
#include "drives/filters.h"

#include "resource.h"

void LoadFilterTable() {}
void SaveFilterTable() {}
void SetUpFilterListView() {}
void FillFilterListView() {}
bool RemoveSelectedFilter() { return false; }

INT_PTR CALLBACK AddFilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_AF_CLOSE) EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        return FALSE;
    }
}
