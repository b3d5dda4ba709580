// Start-up in its fixed order and the message loop.
#include "app/startup.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "drives/drive_table.h"
#include "drives/drive_view.h"
#include "drives/filter_view.h"
#include "drives/filters.h"
#include "resource.h"
#include "settings/settings.h"
#include "sweep/preview_dialog.h"
#include "jobs/job_runner.h"
#include "sweep/results_view.h"
#include "sweep/sweep.h"
#include "jobs/startup_scan.h"
#include "jobs/startup_scan_dialog.h"
#include "jobs/threads.h"
#include "ui/skin.h"

void InitShell() {
    InitCommonControls();
    // Loaded here already, so that a missing library is said at once.
    if (!LoadShellFolders()) MessageBoxA(nullptr, "missing dll!", "info", MB_OK);
}

void CreateMainWindow() {
    g_app.instance = GetModuleHandleA(nullptr);
    g_app.mainWindow = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainWindowProc, 0);
    if (!g_app.mainWindow) {
        MessageBoxA(nullptr, "creation error!", "info", MB_OK);
        return;
    }
    CreateStatusBar();
    g_app.resultsList = GetDlgItem(g_app.mainWindow, IDC_RESULTS_LIST);
    HWND filters = GetDlgItem(g_app.mainWindow, IDC_FILTER_LIST);
    HWND drives = GetDlgItem(g_app.mainWindow, IDC_DRIVE_LIST);
    g_app.infoList = GetDlgItem(g_app.mainWindow, IDC_INFO_LIST);

    SetUpResultsLists(g_app.resultsList, GetDlgItem(g_app.mainWindow, IDC_TOTALS_LIST), ShowPreviewDialog);
    SetUpFilterListView(filters);
    EnumerateDrives();
    SetUpDriveListView(drives);
    FillDriveListView();
    SetUpInfoList();
    FillInfoList();

    ShowWindow(g_app.resultsList, SW_SHOW);
    ShowWindow(filters, SW_HIDE);
    ShowWindow(drives, SW_HIDE);
    ShowWindow(g_app.infoList, SW_HIDE);
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kStatusInternet));

    ShowWindow(g_app.mainWindow, SW_SHOW);
    UpdateWindow(g_app.mainWindow);
}

namespace {

// Tab, Enter and Escape work in every modeless dialog of the program.
bool IsModelessDialogMessage(MSG& msg) {
    for (HWND dialog : {CurrentProgressDialog(), SystemInfoDialog(), g_app.mainWindow})
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) return true;
    return false;
}

}  // namespace

int RunMessageLoop() {
    MSG msg = {};
    bool firstPass = true;
    // The first pass must come even when nothing happens at all (a start
    // from the keyboard, the pointer elsewhere): one message of our own.
    PostMessageA(g_app.mainWindow, WM_NULL, 0, 0);
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!IsModelessDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (firstPass) {
            firstPass = false;
            AllowSystemScan();
            ShowSystemInfoDialog(g_app.mainWindow);
            SetSystemScanWindow(g_app.mainWindow, kSystemScanChanged);
            g_app.sysInfoThread = StartThread(SystemScanThread, nullptr);
        }
    }
    return static_cast<int>(msg.wParam);
}

int RunBrisola() {
    InitShell();
    LoadSettings();
    LoadCategoryTicks();
    LoadFilterTable();
    LoadSkinBitmaps();
    if (!SkinBitmapsLoaded())
        MessageBoxA(nullptr, "Load of resources failed.", "Error", MB_ICONWARNING);
    CreateMainWindow();
    // Without a main window there is nothing to run.
    if (!g_app.mainWindow) return 1;
    if (g_settings.enableTips) SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_TIPS, 0);
    return RunMessageLoop();
}
