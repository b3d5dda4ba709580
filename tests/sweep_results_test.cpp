// The results and totals lists, size text, ticks in the list and in the
// registry, and Quick Refresh.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"
#include "sweep/measure.h"
#include "sweep/results_list.h"
#include "sweep/sweep.h"

namespace {

TEST(FormatSize, GivesExactTextAtTheEdges) {
    EXPECT_EQ(SizeText(0), "0.00 KB");
    EXPECT_EQ(SizeText(1023), "1.00 KB");
    EXPECT_EQ(SizeText(999999), "976.56 KB");
    EXPECT_EQ(SizeText(1000000), "0.95 MB");
    EXPECT_EQ(SizeText(999999999), "953.67 MB");
    EXPECT_EQ(SizeText(1000000000), "0.93 GB");
    EXPECT_EQ(SizeText(5368709120ULL), "5.00 GB");
    EXPECT_EQ(SizeText(~0ULL), "17179869184.00 GB");
}

// Special folders for the test: cookies and recent point into the sandbox.
std::string g_cookies;
HRESULT WINAPI FakeFolderPath(HWND, int csidl, HANDLE, DWORD, LPSTR out) {
    if (csidl == CSIDL_COOKIES && !g_cookies.empty()) {
        strcpy(out, g_cookies.c_str());
        return S_OK;
    }
    out[0] = '\0';
    return E_FAIL;
}

class ResultsTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetSweepTableForTest();
        savedFolderPath_ = g_app.folderPath;
        g_app.folderPath = FakeFolderPath;
        g_cookies = MakeSandboxFolder("results-cookies");
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        results_ = g_app.resultsList;
        totals_ = g_app.totalsList;
    }
    void TearDown() override {
        CloseMainWindowForTest();
        g_app.folderPath = savedFolderPath_;
        RemoveTree(g_cookies);
        g_cookies.clear();
        ResetSweepTableForTest();
        ResetProgramState();
    }
    FolderPathFunction savedFolderPath_ = nullptr;
    HWND results_ = nullptr, totals_ = nullptr;
};

TEST_F(ResultsTest, FillShowsTheTableAndUseScanUntilADiskScan) {
    MakeFile(g_cookies + "\\me@site.txt", 2048);
    PublishOtherTemporaryFiles(0, 0);
    RefreshSweep();
    ASSERT_EQ(RowCount(results_), SWEEP_CATEGORIES);
    const char* labels[SWEEP_CATEGORIES] = {
        "Sweep Temporary Internet Files", "Sweep Internet cookies", "Sweep Start menu Documents",
        "Sweep Temporary Windows file",   "Sweep Internet History", "Sweep Other temporary files",
        "Sweep Recycle Bin",              "Sweep Browser caches",   "Sweep Thumbnail cache",
        "Sweep Crash dumps and error reports"};
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) EXPECT_EQ(Cell(results_, i, 0), labels[i]);
    EXPECT_EQ(Cell(results_, 1, 1), "1");
    EXPECT_EQ(Cell(results_, 1, 2), "0");
    EXPECT_EQ(Cell(results_, 1, 3), "2.00 KB");
    EXPECT_EQ(Cell(results_, 5, 1), "0");
    EXPECT_EQ(Cell(results_, 5, 3), "(USE SCAN)");
    ASSERT_EQ(RowCount(totals_), 1);
    EXPECT_EQ(Cell(totals_, 0, 0), "OVERALL GAIN");
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    char size[64];
    FormatSize(t[SWEEP_TOTALS].bytes, size, sizeof size);
    EXPECT_EQ(Cell(totals_, 0, 1), std::to_string(t[SWEEP_TOTALS].files));
    EXPECT_EQ(Cell(totals_, 0, 3), size);  // shown even while row 5 says "(USE SCAN)"

    MarkDiskScanStarted();
    FillResultsLists();
    EXPECT_EQ(Cell(results_, 5, 3), "0.00 KB");
    PublishOtherTemporaryFiles(3, 3 * 1024);
    FillResultsLists();
    EXPECT_EQ(Cell(results_, 5, 1), "3");
    EXPECT_EQ(Cell(results_, 5, 3), "3.00 KB");

    // A measurement's note follows the label.
    CategoryMeasurement measured[SWEEP_COUNT];
    MeasureCategory(SWEEP_BROWSER_CACHES, measured[SWEEP_BROWSER_CACHES]);
    measured[SWEEP_BROWSER_CACHES].counters.note = "Opera running, skipped";
    PublishMeasuredCategories(measured);
    FillResultsLists();
    EXPECT_EQ(Cell(results_, SWEEP_BROWSER_CACHES, 0), "Sweep Browser caches (Opera running, skipped)");
}

TEST_F(ResultsTest, TicksShowAsCheckboxesAndReadBack) {
    SetCategoryTick(SWEEP_RECENT, 0);
    ListView_SetItemState(results_, 3, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(results_, 2, LVIS_SELECTED, LVIS_SELECTED);
    FillResultsLists();
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        bool ticked = i != SWEEP_RECENT && i != SWEEP_OTHER;
        EXPECT_EQ(StateImage(results_, i), ticked ? 2 : 1) << i;
        if (ticked) {
            EXPECT_EQ(ListView_GetItemState(results_, i, LVIS_SELECTED), 0u) << i;
        }
    }
    // The user's changes in the list come back into the table.
    SetStateImage(results_, SWEEP_TEMP, 1);
    SetStateImage(results_, SWEEP_RECENT, 2);
    SetStateImage(results_, SWEEP_OTHER, 0);  // no state image reads as ticked
    ReadTicksFromList();
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(t[SWEEP_TEMP].ticked, 0);
    EXPECT_EQ(t[SWEEP_RECENT].ticked, 1);
    EXPECT_EQ(t[SWEEP_OTHER].ticked, 1);
    EXPECT_EQ(t[SWEEP_INTERNET_CACHE].ticked, 1);
}

// Worker threads fill the lists through the main thread, whole.
TEST_F(ResultsTest, FillsFromOtherThreadsNeverMixRows) {
    bool done = false;
    std::thread workers([&] {
        std::thread a([] {
            for (int i = 0; i < 20; ++i) RefreshSweep();
        });
        std::thread b([] {
            for (int i = 0; i < 20; ++i) FillResultsLists();
        });
        a.join();
        b.join();
        done = true;
    });
    bool alwaysWhole = true;
    PumpUntil([&] {
        if (RowCount(results_) != SWEEP_CATEGORIES) alwaysWhole = false;
        return done;
    }, 60000);
    workers.join();
    EXPECT_TRUE(alwaysWhole);
    EXPECT_EQ(RowCount(results_), SWEEP_CATEGORIES);
    EXPECT_EQ(RowCount(totals_), 1);
}

// --- ticks in the registry --------------------------------------------------

DWORD ReadValue(const char* name, DWORD* type = nullptr, DWORD* size = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0xDEAD;
    BYTE value[16] = {};
    DWORD t = 0, s = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, &t, value, &s);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 0xDEAD;
    if (type) *type = t;
    if (size) *size = s;
    DWORD number;
    memcpy(&number, value, 4);
    return number;
}

void WriteValue(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

TEST(CategoryTicks, LoadReadsOnlyWellFormedValues) {
    ResetProgramState();
    ResetSweepTableForTest();
    LoadCategoryTicks();  // no key: the initial ticks stand
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(t[SWEEP_COOKIES].ticked, 1);
    EXPECT_EQ(t[SWEEP_OTHER].ticked, 0);

    struct Value {
        int category;
        DWORD type;
        const char* data;
        DWORD size;
        int ticked;  // after the load; malformed or missing: the initial tick
    } values[] = {
        {SWEEP_INTERNET_CACHE, REG_BINARY, "\0\0\0\0", 4, 0}, {SWEEP_COOKIES, REG_BINARY, "\7\0\0\0", 4, 0},
        {SWEEP_OTHER, REG_BINARY, "\1\0\0\0", 4, 1},          {SWEEP_TOTALS, REG_BINARY, "\1\0\0\0", 4, 1},
        {SWEEP_RECENT, REG_BINARY, "\1\0", 2, 1},               {SWEEP_TEMP, REG_SZ, "0", 2, 1},
        {SWEEP_HISTORY, REG_BINARY, "\1\0\0\1", 4, 0},        {SWEEP_CRASH_DUMPS, 0, nullptr, 0, 1},
    };
    for (const Value& v : values)
        if (v.data) WriteValue(t[v.category].label, v.type, v.data, v.size);
    LoadCategoryTicks();
    GetSweepTable(t);
    for (const Value& v : values) EXPECT_EQ(t[v.category].ticked, v.ticked) << t[v.category].label;
    ResetSweepTableForTest();
    ResetProgramState();
}

// Ticks are saved from the list at the window's end as one 4-byte binary
// value per record and come back at the next start.
TEST_F(ResultsTest, TicksSurviveARestart) {
    SetStateImage(results_, SWEEP_INTERNET_CACHE, 1);
    SetStateImage(results_, SWEEP_OTHER, 2);
    SetCategoryTick(SWEEP_TOTALS, 1);
    ASSERT_TRUE(DestroyMainWindowForTest());
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    for (const SweepCategory& c : t) {
        DWORD type = 0, size = 0;
        DWORD value = ReadValue(c.label, &type, &size);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << c.label;
        EXPECT_EQ(size, 4u) << c.label;
        EXPECT_EQ(value, std::string(c.label) == "Sweep Temporary Internet Files" ? 0u : 1u) << c.label;
    }
    ResetSweepTableForTest();
    LoadCategoryTicks();
    CreateMainWindowForTest();
    results_ = g_app.resultsList;
    EXPECT_EQ(StateImage(results_, SWEEP_INTERNET_CACHE), 1);
    EXPECT_EQ(StateImage(results_, SWEEP_OTHER), 2);
    EXPECT_EQ(StateImage(results_, SWEEP_COOKIES), 2);
}

}  // namespace
