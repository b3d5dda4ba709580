// The start-up system-information scan and its dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"
#include "sweep/sweep.h"
#include "sweep/sysinfo.h"

namespace {

const char kExpectedReport[] =
    "Checking Temporary Internet Files... [OK]\r\n"
    "Checking Internet Cookies... [OK]\r\n"
    "Checking Start Menu Documents... [OK]\r\n"
    "Checking Temporary Windows Files... [OK]\r\n"
    "Checking Internet History... [OK]\r\n"
    "Checking Recycle Bin... [OK]\r\n"
    "Checking Browser Caches... [OK]\r\n"
    "Checking Thumbnail Cache... [OK]\r\n"
    "Checking Crash Dumps and Error Reports... [OK]\r\n"
    "...............................................................\r\n"
    "COMPLETED!\r\n";

// What a control showed each time its text was set, with the dialog's state.
struct Shown {
    std::string text;
    bool closeVisible;
    std::string state;
};
std::vector<Shown> g_reports, g_lines;
WNDPROC g_reportProc = nullptr, g_lineProc = nullptr;

void Record(std::vector<Shown>& into, HWND control, LPARAM lParam) {
    HWND dialog = GetParent(control);
    into.push_back({reinterpret_cast<const char*>(lParam), IsWindowVisible(GetDlgItem(dialog, IDC_SI_CLOSE)) != FALSE,
                    ControlText(dialog, IDC_SI_STATE)});
}

LRESULT CALLBACK ReportProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SETTEXT) Record(g_reports, w, lp);
    return CallWindowProcA(g_reportProc, w, m, wp, lp);
}
LRESULT CALLBACK LineProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SETTEXT) Record(g_lines, w, lp);
    return CallWindowProcA(g_lineProc, w, m, wp, lp);
}

std::string g_cookies;
DWORD g_heldThread = 0;  // this thread's history look-up waits for g_release
HANDLE g_release = nullptr;
volatile LONG g_held = 0;
HRESULT WINAPI FakeFolderPath(HWND, int csidl, HANDLE, DWORD, LPSTR out) {
    if (csidl == CSIDL_HISTORY && GetCurrentThreadId() == g_heldThread) {
        InterlockedExchange(&g_held, 1);
        WaitForSingleObject(g_release, 10000);
    }
    if (csidl == CSIDL_COOKIES) {
        strcpy(out, g_cookies.c_str());
        return S_OK;
    }
    out[0] = '\0';
    return E_FAIL;
}

class SysInfoTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetSweepTableForTest();
        saved_ = g_app.folderPath;
        g_app.folderPath = FakeFolderPath;
        g_cookies = MakeSandboxFolder("sysinfo-cookies");
        MakeFile(g_cookies + "\\a@b.txt", 4096);
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SYSINFO), g_app.mainWindow,
                                     SystemInfoDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        g_app.sysInfoDialog = dialog_;
        g_reports.clear();
        g_lines.clear();
        g_reportProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            GetDlgItem(dialog_, IDC_SI_REPORT), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReportProc)));
        g_lineProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(dialog_, IDC_SI_LINE), GWLP_WNDPROC,
                                                                 reinterpret_cast<LONG_PTR>(LineProc)));
    }
    void TearDown() override {
        g_app.sysInfoDialog = nullptr;
        CloseMainWindowForTest();
        g_app.folderPath = saved_;
        RemoveTree(g_cookies);
        ResetSweepTableForTest();
        ResetProgramState();
    }
    // Runs the scan thread as start-up does, keeping the main thread pumping.
    void RunScanThread() {
        HANDLE thread = CreateThread(nullptr, 0, SystemScanThread, nullptr, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 60000));
        CloseHandle(thread);
    }
    FolderPathFunction saved_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(SysInfoTest, ReportsEachCategoryEndsCompletedAndCloseHidesIt) {
    EXPECT_FALSE(IsWindowVisible(dialog_));  // hidden until the scan starts
    ShowWindow(GetDlgItem(dialog_, IDC_SI_CLOSE), SW_SHOW);
    RunScanThread();

    ASSERT_EQ(strlen(kExpectedReport), 416u);
    EXPECT_EQ(ControlText(dialog_, IDC_SI_REPORT), kExpectedReport);
    ASSERT_EQ(g_reports.size(), 12u);
    for (size_t i = 0; i < g_reports.size(); ++i) {
        EXPECT_FALSE(g_reports[i].closeVisible) << i;
        EXPECT_EQ(g_reports[i].state, "Please Wait...") << i;
        EXPECT_EQ(g_reports[i].text.find("Other"), std::string::npos);
        EXPECT_EQ(std::string(kExpectedReport).compare(0, g_reports[i].text.size(), g_reports[i].text), 0) << i;
    }
    // While a category is measured its heading has no mark yet.
    EXPECT_EQ(g_reports[1].text, "Checking Temporary Internet Files... [OK]\r\nChecking Internet Cookies...");
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(ControlText(dialog_, IDC_SI_STATE), "Completed");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog_, IDC_SI_CLOSE)));
    EXPECT_EQ(ControlText(dialog_, IDC_SI_LINE), "Checking System Information successfully completed!\r\n");

    // The results lists show the measured figures.
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_COOKIES, 1), "1");
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_COOKIES, 3), "4.00 KB");
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_OTHER, 3), "(USE SCAN)");
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(Cell(g_app.totalsList, 0, 1), std::to_string(t[SWEEP_TOTALS].files));
    EXPECT_GE(t[SWEEP_TOTALS].bytes, 4096u);

    // Close hides the dialog for good.
    SendMessageA(dialog_, WM_COMMAND, IDC_SI_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    RunScanThread();
    EXPECT_FALSE(IsWindowVisible(dialog_));
}

TEST_F(SysInfoTest, ShowsEachCountedCacheEntry) {
    const char url[] = "http://sysinfo.example/page.htm";
    char file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA(url, 10, "htm", file, 0));
    HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "0123456789", 10, &written, nullptr);
    CloseHandle(h);
    FILETIME never = {};
    ASSERT_TRUE(CommitUrlCacheEntryA(url, file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
    RunScanThread();
    DeleteUrlCacheEntryA(url);
    bool shown = false;
    for (const Shown& line : g_lines) shown = shown || line.text == std::string("Checking file:") + url + "\r\n";
    EXPECT_TRUE(shown);
    EXPECT_EQ(g_lines.back().text, "Checking System Information successfully completed!\r\n");
}

// A Quick Refresh and a tick changed while the start-up scan runs survive
// its end: each category keeps its newest figures.
TEST_F(SysInfoTest, NewerFiguresAndTicksSurviveTheScansEnd) {
    g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, SystemScanThread, nullptr, CREATE_SUSPENDED, &g_heldThread);
    ASSERT_NE(thread, nullptr);
    ResumeThread(thread);
    ASSERT_TRUE(PumpUntil([] { return g_held != 0; }));  // cookies and temp measured, history not yet
    MakeFile(g_cookies + "\\c@d.txt", 4096);
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_QUICK_REFRESH, 0);
    SetStateImage(g_app.resultsList, SWEEP_TEMP, 1);
    SetEvent(g_release);
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 60000));
    CloseHandle(thread);
    CloseHandle(g_release);
    g_heldThread = 0;
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(t[SWEEP_COOKIES].files, 2u);
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_COOKIES, 1), "2");
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_TEMP), 1);
    unsigned long long files = 0;
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) files += t[i].files;
    EXPECT_EQ(t[SWEEP_TOTALS].files, files);
}

}  // namespace
