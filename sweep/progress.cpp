// The progress dialog and the worker threads. Placeholder: a job ends at
// once and gives the buttons back.
#include "sweep/progress.h"

#include "app/app_state.h"
#include "resource.h"

namespace {
HWND g_progressDialog = nullptr;
}

void SetProgressDialog(HWND dialog) { g_progressDialog = dialog; }

void SetDriveScanFlag() {}

bool IsJobRunning() { return false; }

void ReleaseWorkerThread() {}

void ReportScanPosition(const char*, const char*) {}

bool StopRequested() { return false; }

void StepProgressBar() {}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == CMD_START_CLEANING || LOWORD(wParam) == CMD_START_DISK_SCAN) {
            EnableWindow(GetDlgItem(g_app.mainWindow, IDC_CLEAN), TRUE);
            EnableWindow(GetDlgItem(g_app.mainWindow, IDC_EXIT), TRUE);
            DestroyWindow(dialog);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
