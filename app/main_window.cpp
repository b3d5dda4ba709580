// The main window: a modeless dialog with three views, the command table,
// the status bar and the info list.
#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/splash_dialog.h"
#include "app/startup.h"
#include "browsers/sqlite_db.h"
#include "cookies/cookies_manager_dialog.h"
#include "drives/add_filters_dialog.h"
#include "drives/drive_table.h"
#include "drives/drive_view.h"
#include "drives/filter_view.h"
#include "drives/filters.h"
#include "drives/found_files_dialog.h"
#include "resource.h"
#include "settings/settings.h"
#include "settings/settings_dialog.h"
#include "settings/tips_dialog.h"
#include "sweep/clean_report.h"
#include "sweep/last_clean_dialog.h"
#include "jobs/job_runner.h"
#include "jobs/progress_dialog.h"
#include "sweep/results_view.h"
#include "sweep/sweep.h"
#include "jobs/startup_scan.h"
#include "jobs/startup_scan_dialog.h"
#include "jobs/threads.h"
#include "ui/link_label.h"
#include "ui/list_view.h"
#include "ui/skin.h"
#include "version.h"

const char kProductWebPage[] = "http://brisola.example";
const char kStatusInternet[] = "Cleaning - Clean your temporary files/junk data";
const char kStatusDrives[] = "Scan - Scan your disks for junk data";
const char kStatusInfo[] = "Information - About Brisola and where to find help";

namespace {

struct InfoRow {
    char label[256];
    char value[256];
};

const InfoRow kInfoRows[] = {
    {"Developer:", BRISOLA_COMPANY},
    {"Product:", BRISOLA_PRODUCT},
    {"Version:", BRISOLA_VERSION},
    {"Support:", "http://brisola.example"},
};
// The SQLite built in, whose version is known only at run time.
const char kSqliteLabel[] = "SQLite:";
// After the fixed rows: what the last clean did; opening it shows the report.
const char kLastCleanLabel[] = "Last clean:";
const int kLastCleanRow = sizeof kInfoRows / sizeof kInfoRows[0] + 1;

const int kHoverIds[] = {IDC_VIEW_INFO, IDC_COOKIES_MANAGER, IDC_VIEW_DRIVES, IDC_VIEW_INTERNET,
                         IDC_SETTINGS,  IDC_QUICK_REFRESH,   IDC_HELP_BUTTON,        IDC_CLEAN,
                         IDC_EXIT,      IDC_ADD_FILTER,      IDC_REMOVE_FILTER, IDC_VIEW_FILES,
                         IDC_TIPS};
const HoverList kMainHover = {kHoverIds, sizeof kHoverIds / sizeof kHoverIds[0]};

void Show(int id, bool visible) { ShowWindow(GetDlgItem(g_app.mainWindow, id), visible ? SW_SHOW : SW_HIDE); }

void SetStatusText(const char* text) {
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// A job has ended: CLEAN and Exit come back, and the job's line, if any,
// goes to the status bar.
void OnJobEnded(const char* statusText) {
    HWND main = g_app.mainWindow;
    if (main && IsWindow(main)) {
        EnableWindow(GetDlgItem(main, IDC_CLEAN), TRUE);
        EnableWindow(GetDlgItem(main, IDC_EXIT), TRUE);
    }
    if (statusText && g_app.statusBar) SetStatusText(statusText);
}

void OnInitDialog(HWND window) {
    ApplySkin(window);
    // Stored here as well, because the calls below already need it.
    g_app.mainWindow = window;
    ShowSplash(window);
    SetClassLongPtrA(window, GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconA(g_app.instance, MAKEINTRESOURCEA(IDI_APP))));
    MakeLinkLabel(window, IDC_LINK, kProductWebPage, static_cast<COLORREF>(-1));
    CreateSkinButtonFont();
    Show(IDC_ADD_FILTER, false);
    Show(IDC_REMOVE_FILTER, false);
    Show(IDC_VIEW_FILES, false);
    LoadKeptCookies();
    SetSelectedButton(window, GetDlgItem(window, IDC_VIEW_INTERNET));
}

void StartJob(int startCommand) {
    HWND progress = ShowProgressDialog(g_app.mainWindow, startCommand);
    if (!progress) return;
    EnableWindow(GetDlgItem(g_app.mainWindow, IDC_CLEAN), FALSE);
    EnableWindow(GetDlgItem(g_app.mainWindow, IDC_EXIT), FALSE);
    SendMessageA(progress, WM_COMMAND, startCommand, 0);
}

void OpenHelp() {
    char path[256];
    if (!WindowsDirFile("BrisolaHelp.chm", path)) return;  // never open a cut path
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOW);
}

INT_PTR OnCommand(WORD id) {
    switch (id) {
    case IDC_EXIT:
        DestroyWindow(g_app.mainWindow);
        return FALSE;
    case IDC_CLEAN:
        if (g_app.currentView == VIEW_INTERNET) StartJob(CMD_START_CLEANING);
        else if (g_app.currentView == VIEW_DRIVES) StartJob(CMD_START_DISK_SCAN);
        return FALSE;
    case IDC_HELP_BUTTON:
        OpenHelp();
        return FALSE;
    case IDC_VIEW_INFO:
        ShowView(VIEW_INFO);
        return FALSE;
    case IDC_COOKIES_MANAGER:
        RunCookiesManagerDialog(g_app.mainWindow);
        return FALSE;
    case IDC_VIEW_DRIVES:
        ShowView(VIEW_DRIVES);
        return FALSE;
    case IDC_VIEW_INTERNET:
        ShowView(VIEW_INTERNET);
        return FALSE;
    case IDC_QUICK_REFRESH:
        if (g_app.currentView == VIEW_INTERNET) {
            RefreshSweep();
        } else if (g_app.currentView == VIEW_DRIVES) {
            RefreshDriveTable();
            FillDriveListView();
        }
        return FALSE;
    case IDC_SETTINGS:
        RunSettingsDialog(g_app.mainWindow);
        return FALSE;
    case IDC_TIPS:
        RunTipsDialog(g_app.mainWindow);
        return FALSE;
    case IDC_ADD_FILTER:
        RunAddFiltersDialog(g_app.mainWindow);
        return FALSE;
    case IDC_REMOVE_FILTER:
        return RemoveSelectedFilter() ? FALSE : TRUE;
    case IDC_VIEW_FILES:
        ShowFoundFilesDialog(g_app.mainWindow);
        return FALSE;
    default:
        return FALSE;
    }
}

// The start-up scan's report goes to its dialog; running out of memory is
// said in the status bar.
void OnSystemScanChanged() {
    SystemScanView view = TakeSystemScanView();
    ShowSystemScanView(view);
    if (view.outOfMemory && g_app.statusBar)
        SetStatusText("Out of memory: the system information scan was stopped.");
}

const DWORD kScanShutdownWaitMs = 10000;

// Ends the job and the start-up scan, the threads that look up folders
// through shfolder.dll; true when both are gone.
bool StopThreads() {
    bool workerEnded = ReleaseWorkerThread();
    if (!g_app.sysInfoThread) return workerEnded;
    StopSystemScan();
    bool scanEnded = WaitForThread(g_app.sysInfoThread, kScanShutdownWaitMs);
    CloseHandle(g_app.sysInfoThread);
    g_app.sysInfoThread = nullptr;
    return workerEnded && scanEnded;
}

// A click on the status text, or opening the info list's last-clean row,
// shows the last clean's report.
void OnNotify(HWND window, const NMHDR* header) {
    if (!header) return;
    // The answer of every notification is set, so that none inherits the
    // one before.
    LRESULT answer = 0;
    bool answered = OnResultsListNotify(header, answer);
    SetWindowLongPtrA(window, DWLP_MSGRESULT, answer);
    if (answered) return;
    OnDriveListNotify(header);
    OnFilterListNotify(header);
    bool statusClick = header->hwndFrom == g_app.statusBar && header->code == NM_CLICK;
    bool infoOpen = header->hwndFrom == g_app.infoList && (header->code == NM_DBLCLK || header->code == NM_RETURN) &&
                    SendMessageA(g_app.infoList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == kLastCleanRow;
    if ((statusClick || infoOpen) && CopyLastCleanReport().valid) ShowLastCleanDialog(window);
}

void SaveUserChoices() {
    SaveFilterTable();
    SaveSettings();
    SaveCategoryTicks();
}

void OnDestroy() {
    SaveFilterTable();
    // A thread still running keeps the library and the skin: it may still
    // look folders up, and the process exit frees them.
    if (StopThreads()) {
        FreeShellFolders();
        FreeSkinAssets();
    }
    FreeLinkResources();
    SaveSettings();
    SaveCategoryTicks();
    PostQuitMessage(0);
}

// Logoff or shutdown: the window is never destroyed, so everything the
// user chose is saved here, and a running job is ended first.
void OnEndSession(bool ending) {
    if (!ending) return;
    StopThreads();
    SaveUserChoices();
}

}  // namespace

void ShowView(int view) {
    HWND main = g_app.mainWindow;
    if (view == VIEW_INTERNET || view == VIEW_DRIVES) {
        SetSelectedButton(main, GetDlgItem(main, view == VIEW_INTERNET ? IDC_VIEW_INTERNET : IDC_VIEW_DRIVES));
        RepaintNow(GetDlgItem(main, IDC_VIEW_INTERNET), true);
        RepaintNow(GetDlgItem(main, IDC_VIEW_DRIVES), true);
    }
    g_app.currentView = view;
    bool internet = view == VIEW_INTERNET, drives = view == VIEW_DRIVES, info = view == VIEW_INFO;
    Show(IDC_ADD_FILTER, drives);
    Show(IDC_REMOVE_FILTER, drives);
    Show(IDC_VIEW_FILES, drives);
    Show(IDC_QUICK_REFRESH, !info);
    Show(IDC_CLEAN, !info);
    Show(IDC_RESULTS_LIST, internet);
    Show(IDC_TOTALS_LIST, internet);
    Show(IDC_FILTER_LIST, drives);
    Show(IDC_DRIVE_LIST, drives);
    Show(IDC_INFO_LIST, info);
    if (internet) SetDlgItemTextA(main, IDC_CLEAN, "CLEAN");
    if (drives) SetDlgItemTextA(main, IDC_CLEAN, "SCAN (temporary files)");
    SetStatusText(internet ? kStatusInternet : drives ? kStatusDrives : kStatusInfo);
    if (info) FillInfoList();
}

void CreateStatusBar() {
    g_app.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | CCS_BOTTOM, nullptr, g_app.mainWindow, 0);
    int parts[2] = {450, -1};
    SendMessageA(g_app.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Version " BRISOLA_VERSION));
}

void SetUpInfoList() {
    HWND list = g_app.infoList;
    SetListLook(list, LVS_EX_FULLROWSELECT, kPanelColour);
    // Both go in at index 0, so "Info:" ends up as the first column.
    InsertListColumn(list, 0, "Details:", 150, LVCFMT_LEFT);
    InsertListColumn(list, 0, "Info:", 100, LVCFMT_LEFT);
}

void FillInfoList() {
    HWND list = g_app.infoList;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    auto addRow = [list](int row, const char* label, const char* value) {
        SetListCell(list, InsertListRow(list, row, label), 1, value);
    };
    int row = 0;
    for (const InfoRow& info : kInfoRows) addRow(row++, info.label, info.value);
    addRow(row++, kSqliteLabel, SqliteVersion());
    CleanReport last = CopyLastCleanReport();
    std::string summary = last.valid ? CleanSummaryText(last) + " (double-click for details)" : "No clean yet";
    addRow(kLastCleanRow, kLastCleanLabel, summary.c_str());
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    case WM_SIZE:
        RepaintOnSize(window, wParam);
        return TRUE;
    case WM_PAINT:
        PaintMainBackground(window);
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(window, kMainHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    case WM_NOTIFY:
        OnNotify(window, reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    case WM_SWEEP_CHANGED:
        FillResultsLists();
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_QUERYENDSESSION:
        // Saved now as well, in case the session ends without the second call.
        SaveUserChoices();
        SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return TRUE;
    case kJobEndedMessage:
        OnJobEnded(reinterpret_cast<const char*>(lParam));
        return TRUE;
    case kSystemScanChanged:
        OnSystemScanChanged();
        return TRUE;
    default:
        return SkinnedDialogDefault(window, message, wParam, lParam);
    }
}
