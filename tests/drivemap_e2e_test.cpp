// The program end to end through its main window, on a machine with a
// second fixed drive E: (a sandbox folder). CLEAN: the cookies the Cookies
// Manager lists and keeps, commands during a job and closing the program
// while it deletes (the confirmations: clean_engine_test). The drive
// cleaner, with C: unticked: SCAN with its progress dialog and found files,
// the sweep row it fills and CLEAN of the ticked found files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "clean_support.h"
#include "cookies/cookies.h"
#include "drives/drive_table.h"
#include "drives/drive_view.h"
#include "drives/filter_view.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "fs/shell_folders.h"
#include "resource.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/cleaning.h"
#include "jobs/job_lock.h"
#include "sweep/measure.h"
#include "jobs/job_runner.h"
#include "jobs/progress_dialog.h"
#include "sweep/sweep.h"
#include "ui/skin.h"

using namespace cleantest;

namespace {

bool IsCookiesManager(HWND w) { return HasControls(w, {IDC_CK_OK, IDC_CK_DELETE_LIST, IDC_CK_KEEP_LIST}); }
bool IsProgress(HWND w) { return HasControls(w, {IDC_PROG_BAR, IDC_PROG_STOP}); }

const int kNothing = -1;

void TickOnly(int only) {
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) SetStateImage(g_app.resultsList, row, row == only ? 2 : 1);
}

// Ticks only `row`, runs CLEAN and waits for the job's end; true when it ended.
bool CleanOnly(int row) {
    TickOnly(row);
    Command(IDC_CLEAN);
    return WaitForJobEnd();
}

// The jobs run as usual: a clean with nothing ticked goes through every row.
void ExpectAPlainCleanRuns() {
    ASSERT_TRUE(CleanOnly(kNothing));
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
}

// The results list filled again, as new figures fill it.
void RefillResults() {
    AnnounceSweepChange();
    PumpPending();
}

std::string StatusText() {
    char text[256] = {};
    SendMessageA(g_app.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool ButtonsUsable() {
    return IsWindowEnabled(GetDlgItem(g_app.mainWindow, IDC_CLEAN)) && IsWindowEnabled(GetDlgItem(g_app.mainWindow, IDC_EXIT));
}

// The cleaning lock held by another clean, as brisolac holds it: by a
// thread of its own, which the mutex tells apart from ours.
class OtherClean {
public:
    OtherClean()
        : thread_([this] {
              JobLock lock;
              held_ = lock.held();
              taken_ = true;
              WaitForSingleObject(release_, INFINITE);
          }) {
        PollUntil([this] { return taken_.load(); });
    }
    ~OtherClean() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(release_);
    }
    bool held() const { return held_; }

private:
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> taken_{false};
    std::atomic<bool> held_{false};
    std::thread thread_;
};

int BarPosition() {
    HWND dialog = FindProcessWindow(IsProgress);
    return dialog ? static_cast<int>(SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_GETPOS, 0, 0)) : -1;
}

// Opens the Cookies Manager by its command, moves `keep` (when given) to
// the keep side with ">>" and closes it with OK.
bool RunCookiesManager(const std::string& keep) {
    WindowHelper helper(IsCookiesManager, [keep](HWND w) {
        HWND list = GetDlgItem(w, IDC_CK_DELETE_LIST);
        int row = keep.empty() ? -1 : FindRow(list, keep);
        if (row >= 0) {
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
            SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
        }
        PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0);
    });
    Command(IDC_COOKIES_MANAGER);
    return helper.Join();
}

class CleanE2E : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = MakeSandboxFolder("e2e-clean");
        temp_ = folder_ + "\\temp";
        CreateDirectoryA(temp_.c_str(), nullptr);
        CreateDirectoryA((temp_ + "\\sub").c_str(), nullptr);
        MakeFile(temp_ + "\\junk.tmp", 10);
        MakeFile(temp_ + "\\sub\\junk2.tmp", 200);
        tempOverride_.reset(new TempFolderOverride(temp_));
        cookies_ = CookieFolder();
        ASSERT_FALSE(cookies_.empty());
        CreateDirectoryA(cookies_.c_str(), nullptr);
        for (const char* name : kCookies) ASSERT_TRUE(MakeFile(cookies_ + "\\" + name, 40));
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
    }
    void TearDown() override {
        if (g_app.mainWindow && IsWindow(g_app.mainWindow)) WaitForJobEnd();
        DestroyMainWindowForTest();
        tempOverride_.reset();
        for (const char* name : kCookies) DeleteFileA((cookies_ + "\\" + name).c_str());
        DeleteFileA((cookies_ + "\\e2e-late.txt").c_str());
        ResetProgramState();
        RemoveTree(folder_);
    }
    bool Cookie(const char* name) const { return FileExists(cookies_ + "\\" + name); }

    static constexpr const char* kCookies[3] = {"e2e-one.txt", "e2e-two.txt", "e2e-kept.txt"};
    std::string folder_, temp_, cookies_;
    std::unique_ptr<TempFolderOverride> tempOverride_;
};

TEST_F(CleanE2E, CookiesAreDeletedOnlyAsTheManagerListedThem) {
    // Nothing has listed the cookies yet: a cleaning leaves them all.
    ASSERT_TRUE(CleanOnly(SWEEP_COOKIES));
    for (const char* name : kCookies) EXPECT_TRUE(Cookie(name)) << name;

    ASSERT_TRUE(RunCookiesManager("e2e-kept.txt"));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), std::vector<std::string>{"e2e-kept.txt"});
    ASSERT_TRUE(CleanOnly(SWEEP_COOKIES));
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_FALSE(Cookie("e2e-one.txt"));
    EXPECT_FALSE(Cookie("e2e-two.txt"));
    EXPECT_TRUE(Cookie("e2e-kept.txt"));
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp"));  // Temp was not ticked

    // The list was used up: a cookie that came since is not touched.
    ASSERT_TRUE(MakeFile(cookies_ + "\\e2e-late.txt", 1));
    ASSERT_TRUE(CleanOnly(SWEEP_COOKIES));
    EXPECT_TRUE(Cookie("e2e-late.txt"));
    EXPECT_TRUE(Cookie("e2e-kept.txt"));
}

const char kCleanLocked[] = "Another Brisola clean is running; nothing was cleaned.";

// Another clean holds the lock: CLEAN says so and deletes nothing, whether
// the lock was taken before the button or between the button and the worker.
TEST_F(CleanE2E, CleanWhileAnotherCleanHoldsTheLockDeletesNothingAndSaysSo) {
    TickOnly(SWEEP_TEMP);
    {
        OtherClean other;
        ASSERT_TRUE(other.held());
        Command(IDC_CLEAN);
        EXPECT_EQ(FindProcessWindow(IsProgress), nullptr);
        EXPECT_FALSE(IsJobRunning());
        EXPECT_EQ(StatusText(), kCleanLocked);
        EXPECT_TRUE(ButtonsUsable());
    }
    Command(IDC_VIEW_INTERNET);  // another status line
    HWND progress = ShowProgressDialog(g_app.mainWindow, CMD_START_CLEANING);
    ASSERT_NE(progress, nullptr);
    {
        OtherClean other;
        SendMessageA(progress, WM_COMMAND, CMD_START_CLEANING, 0);
        ASSERT_TRUE(WaitForJobEnd());
    }
    EXPECT_EQ(StatusText(), kCleanLocked);
    EXPECT_TRUE(ButtonsUsable());
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp") && FileExists(temp_ + "\\sub\\junk2.tmp"));
    // Once the other clean is over, CLEAN works.
    ASSERT_TRUE(CleanOnly(SWEEP_TEMP));
    EXPECT_FALSE(FileExists(temp_ + "\\junk.tmp"));
}

TEST_F(CleanE2E, CommandsDuringACleanDoNotChangeWhatItCleans) {
    TickOnly(kNothing);
    Command(IDC_CLEAN);
    ASSERT_TRUE(PumpUntil([] { return BarPosition() >= 1; }, 10000));
    // The job read its ticks at its start: ticking Temp now must not count.
    TickOnly(SWEEP_TEMP);
    Command(IDC_QUICK_REFRESH);
    RunCookiesManager("");
    Command(IDC_QUICK_REFRESH);
    EXPECT_TRUE(IsJobRunning());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp") && FileExists(temp_ + "\\sub\\junk2.tmp"));
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_app.mainWindow, IDC_CLEAN)));
}

bool IsPreview(HWND w) { return HasControls(w, {IDC_PV_LIST, IDC_PV_TOTAL, IDC_PV_CLOSE}); }

// A double-click on a row's label and Enter on the focused row open that
// row's preview; neither changes the tick, which a checkbox list view's own
// double-click would toggle. The preview marks what the row's figure leaves out.
TEST_F(CleanE2E, DoubleClickAndEnterOpenTheRowsPreviewAndKeepItsTick) {
    HWND list = g_app.resultsList;
    Command(IDC_VIEW_INTERNET);
    TickOnly(SWEEP_TEMP);
    MakeFile(temp_ + "\\index.dat", 5);
    RECT label = {};
    label.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, SWEEP_TEMP, reinterpret_cast<LPARAM>(&label)));
    struct Way {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } ways[] = {
        {"double-click", WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(label.left + 8, (label.top + label.bottom) / 2)},
        {"Enter", WM_KEYDOWN, VK_RETURN, 1},
    };
    for (const Way& way : ways) {
        SetFocus(list);
        ListView_SetItemState(list, SWEEP_TEMP, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
        std::string total, marked;
        WindowHelper preview(IsPreview, [&total, &marked](HWND w) {
            char text[256] = {};
            GetDlgItemTextA(w, IDC_PV_TOTAL, text, sizeof text);
            total = text;
            HWND items = GetDlgItem(w, IDC_PV_LIST);
            marked = "not listed";
            for (int row = 0; row < RowCount(items); ++row)  // an owner-data list: no LVM_FINDITEM
                if (Cell(items, row, 0) == "index.dat") marked = Cell(items, row, 3);
            PostMessageA(w, WM_COMMAND, IDC_PV_CLOSE, 0);
        });
        SendMessageA(list, way.message, way.wParam, way.lParam);
        ASSERT_TRUE(preview.Join()) << way.name;
        EXPECT_EQ(total.rfind("Sweep Temporary Windows file:", 0), 0u) << way.name << ": " << total;
        EXPECT_NE(total.find("; 1 not counted in the row's figure"), std::string::npos) << way.name << ": " << total;
        EXPECT_EQ(marked, "not counted") << way.name;
        EXPECT_EQ(StateImage(list, SWEEP_TEMP), 2) << way.name;
    }
}

TEST_F(CleanE2E, ClosingTheMainWindowWhileFilesAreDeletedEndsTheJob) {
    for (int i = 0; i < 60; ++i) MakeFile(temp_ + "\\many" + std::to_string(i) + ".tmp", 1);
    TickOnly(SWEEP_TEMP);
    Command(IDC_CLEAN);
    PumpUntil([] { return BarPosition() >= 3; }, 5000);
    // Closing the window as its close box does ends the job at once, and a
    // new window runs jobs normally.
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DestroyMainWindowForTest());
    EXPECT_FALSE(IsJobRunning());
    PumpUntil([] { return FindProcessWindow(IsProgress) == nullptr; }, 1000);
    EXPECT_EQ(FindProcessWindow(IsProgress), nullptr);
    CreateMainWindowForTest();
    ExpectAPlainCleanRuns();
}

// The colour a button's face is painted with, away from its edge and text.
COLORREF FaceColour(HWND button) {
    RECT rc;
    GetClientRect(button, &rc);
    HDC screen = GetDC(button);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    COLORREF colour = GetPixel(dc, 4, 4);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(button, screen);
    return colour;
}

// The current view's button is painted selected, the other not. The
// selection is the main window's own; no other dialog reads it.
TEST_F(CleanE2E, TheCurrentViewsButtonIsPaintedSelected) {
    HWND internet = GetDlgItem(g_app.mainWindow, IDC_VIEW_INTERNET);
    HWND drives = GetDlgItem(g_app.mainWindow, IDC_VIEW_DRIVES);
    g_skin.hoveredButton = nullptr;
    for (int view : {IDC_VIEW_DRIVES, IDC_VIEW_INTERNET}) {
        Command(view);
        EXPECT_EQ(FaceColour(internet), view == IDC_VIEW_INTERNET ? kHoverColour : kPanelColour) << view;
        EXPECT_EQ(FaceColour(drives), view == IDC_VIEW_DRIVES ? kHoverColour : kPanelColour) << view;
    }
}

// A question the abort cannot close: the worker stays in it until the test
// lets it go.
HANDLE g_asking = nullptr, g_answer = nullptr;
bool AskUntilLetGo(const char*) {
    SetEvent(g_asking);
    WaitForSingleObject(g_answer, INFINITE);
    return true;
}

// A worker that outlasts the close keeps its job running and what it may
// use; when it gets to its end it ends the job itself, having deleted
// nothing after the close.
TEST_F(CleanE2E, AWorkerThatOutlastsTheCloseKeepsItsJobUntilItEndsIt) {
    g_asking = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_answer = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_settings.askDel = 1;
    SetJobConfirmerForTest(AskUntilLetGo);
    SetShutdownWaitForTest(100);
    TickOnly(SWEEP_TEMP);
    Command(IDC_CLEAN);
    ASSERT_TRUE(PumpUntil([] { return WaitForSingleObject(g_asking, 0) == WAIT_OBJECT_0; }));
    PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(DestroyMainWindowForTest());
    EXPECT_TRUE(IsJobRunning());
    char folder[256];
    EXPECT_TRUE(GetSpecialFolder(CSIDL_HISTORY, folder)) << "the worker can still look its folders up";
    EXPECT_NE(g_skin.buttonFont, nullptr);
    SetEvent(g_answer);
    EXPECT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(FileExists(temp_ + "\\junk.tmp"));
    g_settings.askDel = 0;
    SetShutdownWaitForTest(0);
    SetJobConfirmerForTest(nullptr);
    CloseHandle(g_asking);
    CloseHandle(g_answer);
    CreateMainWindowForTest();
    ExpectAPlainCleanRuns();
}

bool IsConfirmation(HWND w) { return HasControls(w, {IDC_CONF_OK, IDC_CONF_CANCEL, IDC_CONF_TEXT}); }

// The confirmation runs on the window's thread while the worker waits for
// its answer. However it ends, the job ends once and the question goes;
// an end of the program while it is open deletes nothing and leaves no
// question behind.
TEST_F(CleanE2E, AnOpenConfirmationEndsWithItsAnswerOrTheProgramsEnd) {
    const struct {
        const char* name;
        void (*act)(HWND confirmation);
        bool deleted;
        bool windowGoes;
    } cases[] = {
        {"OK", [](HWND w) { PostMessageA(w, WM_COMMAND, IDC_CONF_OK, 0); }, true, false},
        {"Cancel", [](HWND w) { PostMessageA(w, WM_COMMAND, IDC_CONF_CANCEL, 0); }, false, false},
        {"end of the session", [](HWND) { SendMessageA(g_app.mainWindow, WM_ENDSESSION, TRUE, 0); }, false, false},
        {"main window closed", [](HWND) { PostMessageA(g_app.mainWindow, WM_CLOSE, 0, 0); }, false, true},
    };
    g_settings.askDel = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFile(temp_ + "\\junk.tmp", 10);
        TickOnly(SWEEP_TEMP);
        WindowHelper answer(IsConfirmation, c.act);
        Command(IDC_CLEAN);
        EXPECT_TRUE(answer.Join());
        EXPECT_TRUE(WaitForJobEnd());
        PumpUntil([] { return !FindProcessWindow(IsConfirmation) && !FindProcessWindow(IsProgress); }, 5000);
        EXPECT_EQ(FindProcessWindow(IsConfirmation), nullptr);
        EXPECT_EQ(FindProcessWindow(IsProgress), nullptr);
        EXPECT_EQ(FileExists(temp_ + "\\junk.tmp"), !c.deleted);
        if (c.windowGoes) {
            EXPECT_FALSE(IsWindow(g_app.mainWindow));
            g_app.mainWindow = nullptr;
            CreateMainWindowForTest();
        } else {
            EXPECT_TRUE(ButtonsUsable());
        }
    }
    g_settings.askDel = 0;
    ExpectAPlainCleanRuns();
}

// --- the drive cleaner -----------------------------------------------------

const char kRoot[] = "E:\\brisola-tests\\e2e";
const char kExt[] = ".e2etmp";  // only our files carry it

bool IsFoundFiles(HWND w) { return HasControls(w, {IDC_FF_LIST, IDC_FF_CLOSE, IDC_FF_CHECKED}); }

// The threads the category measurements ran on, told by the URL cache's
// watcher.
std::mutex g_measuredOnLock;
std::vector<DWORD> g_measuredOn;
void NoteMeasuringThread(const char*) {
    std::lock_guard<std::mutex> hold(g_measuredOnLock);
    g_measuredOn.push_back(GetCurrentThreadId());
}

// What a found-files dialog showed.
struct Seen {
    UINT checked = 0, found = 0;
    std::vector<std::string> rows;  // "location\name", and " (reason)" when the last clean left it
};

void Look(HWND dialog, Seen& seen) {
    HWND list = GetDlgItem(dialog, IDC_FF_LIST);
    seen.checked = GetDlgItemInt(dialog, IDC_FF_CHECKED, nullptr, FALSE);
    seen.found = GetDlgItemInt(dialog, IDC_FF_FOUND, nullptr, FALSE);
    int rows = RowCount(list);
    for (int row = 0; row < rows && row < 1000; ++row) {
        std::string left = Cell(list, row, 2);
        seen.rows.push_back(Cell(list, row, 1) + "\\" + Cell(list, row, 0) + (left.empty() ? "" : " (" + left + ")"));
    }
}

// A helper that notes what the found-files dialog shows, then closes it.
std::function<void(HWND)> LookAndClose(Seen& seen) {
    return [&seen](HWND w) {
        Look(w, seen);
        PostMessageA(w, WM_COMMAND, IDC_FF_CLOSE, 0);
    };
}

class DriveCleanerE2E : public CleanE2E {
protected:
    void SetUp() override {
        RemoveTree(kRoot);
        CreateDirectoryA("E:\\brisola-tests", nullptr);
        ASSERT_TRUE(CreateDirectoryA(kRoot, nullptr));
        CleanE2E::SetUp();
        AppendFilter(kExt, "End to end", 1);
        AppendFilter(".e2eoff", "Unticked", 0);
        FillFilterListView();
        Command(IDC_VIEW_DRIVES);
        // Only E: is scanned: the drive list shows C: then E:.
        HWND drives = GetDlgItem(g_app.mainWindow, IDC_DRIVE_LIST);
        ASSERT_EQ(RowCount(drives), 2);
        ASSERT_EQ(Cell(drives, 0, 0), "C:");
        SetStateImage(drives, 0, 1);
        SetStateImage(drives, 1, 2);
    }
    void TearDown() override {
        CleanE2E::TearDown();
        RemoveTree(kRoot);
    }
    std::string Path(const std::string& relative) const { return std::string(kRoot) + "\\" + relative; }
};

// The tables hold the ticks and the lists only show them: a tick set in a
// list (as a click sets it) is in its table at once, and the refill the
// program makes after new figures shows it again instead of undoing it.
TEST_F(DriveCleanerE2E, TicksSetInAListLiveInItsTable) {
    HWND drives = GetDlgItem(g_app.mainWindow, IDC_DRIVE_LIST);
    HWND filters = GetDlgItem(g_app.mainWindow, IDC_FILTER_LIST);
    const int kFilterRow = RowCount(filters) - 1;  // ".e2eoff"
    const struct {
        const char* what;
        HWND list;
        int row;
        std::function<int()> tableTick;
        std::function<void()> refill;
    } kLists[] = {
        {"results list", g_app.resultsList, SWEEP_TEMP,
         [] {
             SweepCategory table[SWEEP_COUNT];
             GetSweepTable(table);
             return static_cast<int>(table[SWEEP_TEMP].ticked);
         },
         RefillResults},
        {"drive list, E:", drives, 1,
         [] {
             for (int slot = 0; slot < kDriveSlots; ++slot)
                 if (strcmp(GetDriveSlot(slot).root, "E:") == 0) return static_cast<int>(GetDriveSlot(slot).selected);
             return -1;
         },
         [] {
             RefreshDriveTable();
             FillDriveListView();
         }},
        {"filter list", filters, kFilterRow,
         [kFilterRow] { return static_cast<int>(CopyFilterTable()[kFilterRow].enabled); },
         [] { FillFilterListView(); }},
    };
    for (const auto& c : kLists) {
        SCOPED_TRACE(c.what);
        for (int tick : {1, 0, 1}) {
            SetStateImage(c.list, c.row, tick ? 2 : 1);
            EXPECT_EQ(c.tableTick(), tick);
            c.refill();
            EXPECT_EQ(StateImage(c.list, c.row), tick ? 2 : 1);
            EXPECT_EQ(c.tableTick(), tick);
        }
    }
}

// A tick a policy fixes is shown and does not move; the user's own stays in
// the table for the day the policy goes.
TEST_F(CleanE2E, APolicyFixedTickDoesNotMove) {
    const struct {
        const char* what;
        DWORD policy;
        int userTick;
        int shown;  // state image
    } kCases[] = {
        {"never cleaned, the user ticked it", 0, 1, 1},
        {"always cleaned, the user unticked it", 1, 0, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
        RefillResults();
        SetStateImage(g_app.resultsList, SWEEP_TEMP, c.userTick ? 2 : 1);
        ASSERT_TRUE(SetRegDword(HKEY_CURRENT_USER, std::string(kPolicyKey) + "\\Categories", "temp", c.policy));
        RefillResults();
        EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_TEMP), c.shown);
        SetStateImage(g_app.resultsList, SWEEP_TEMP, c.shown == 2 ? 1 : 2);
        EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_TEMP), c.shown);
        SweepCategory table[SWEEP_COUNT];
        GetSweepTable(table);
        EXPECT_EQ(table[SWEEP_TEMP].ticked, c.userTick);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
}

TEST_F(DriveCleanerE2E, ScanFindsTheFilesThenCleanDeletesOnlyTheTickedOnes) {
    CreateDirectoryA(Path("sub").c_str(), nullptr);
    ASSERT_TRUE(MakeFile(Path("a.e2etmp"), 10));
    ASSERT_TRUE(MakeFile(Path("sub\\b.e2etmp"), 20));
    ASSERT_TRUE(MakeFile(Path("sub\\c.e2etmp"), 30));
    ASSERT_TRUE(MakeFile(Path("keep.txt"), 5));
    ASSERT_TRUE(MakeFile(Path("off.e2eoff"), 5));

    // The sweep is measured again after the scan, off this thread.
    const char kCachedUrl[] = "http://e2e.example/scan";
    ASSERT_TRUE(AddCacheEntry(kCachedUrl, 10, NORMAL_CACHE_ENTRY));
    g_measuredOn.clear();
    SetUrlCacheWatcher(NoteMeasuringThread);
    Seen seen;
    WindowHelper found(IsFoundFiles, LookAndClose(seen), 30000);
    Command(IDC_CLEAN);
    ASSERT_TRUE(found.Join(30000));
    ASSERT_TRUE(WaitForJobEnd());
    SetUrlCacheWatcher(nullptr);
    DeleteUrlCacheEntryA(kCachedUrl);
    EXPECT_EQ(LastProgressPosition(), 16);
    EXPECT_FALSE(g_measuredOn.empty());
    EXPECT_EQ(std::count(g_measuredOn.begin(), g_measuredOn.end(), GetCurrentThreadId()), 0);

    std::vector<std::string> expected = {Path("a.e2etmp"), Path("sub\\b.e2etmp"), Path("sub\\c.e2etmp")};
    std::vector<std::string> rows = seen.rows;
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(seen.found, 3u);
    EXPECT_GE(seen.checked, 5u) << "every file on E: is looked at";

    // The sweep row of "Other temporary files" now holds the scan's count,
    // and the other rows their new figures.
    Command(IDC_VIEW_INTERNET);
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_OTHER, 1), "3");
    EXPECT_EQ(Cell(g_app.resultsList, SWEEP_TEMP, 1), "2");

    // Untick b in View Files, then clean only "Sweep Other temporary files"
    // while c is held open.
    Command(IDC_VIEW_DRIVES);
    {
        WindowHelper view(IsFoundFiles, [&](HWND w) {
            Seen now;
            Look(w, now);
            auto row = std::find(now.rows.begin(), now.rows.end(), Path("sub\\b.e2etmp"));
            if (row != now.rows.end()) ToggleRow(GetDlgItem(w, IDC_FF_LIST), static_cast<int>(row - now.rows.begin()));
            PostMessageA(w, WM_COMMAND, IDC_FF_CLOSE, 0);
        });
        Command(IDC_VIEW_FILES);
        ASSERT_TRUE(view.Join());
    }
    Command(IDC_VIEW_INTERNET);
    TickOnly(SWEEP_OTHER);
    HANDLE held = CreateFileA(Path("sub\\c.e2etmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    CloseHandle(held);
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(FileExists(Path("sub\\b.e2etmp")));
    EXPECT_TRUE(FileExists(Path("sub\\c.e2etmp")));
    EXPECT_TRUE(FileExists(Path("keep.txt")));
    EXPECT_TRUE(FileExists(Path("off.e2eoff")));
    EXPECT_FALSE(FileExists(Path("a.e2etmp")));

    Command(IDC_VIEW_DRIVES);
    Seen after;
    WindowHelper view(IsFoundFiles, LookAndClose(after));
    Command(IDC_VIEW_FILES);
    ASSERT_TRUE(view.Join());
    std::vector<std::string> left = {Path("sub\\b.e2etmp"), Path("sub\\c.e2etmp") + " (in use)"};
    EXPECT_EQ(after.rows, left);
    EXPECT_EQ(after.found, 0u);
    EXPECT_EQ(after.checked, 0u);
}

}  // namespace
