// The found-files view. Placeholder until the drive cleaner is built.
#include "drives/found_files.h"

#include "resource.h"

void DeleteCheckedFoundFiles() {}

void ClearFoundFiles() {}

INT_PTR CALLBACK FoundFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FF_CLOSE) EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        return FALSE;
    }
}
