// The drive cleaner end to end through the main window, on a machine with
// a second fixed drive E: (a sandbox folder) and C: unticked: SCAN with its
// progress dialog and found files, the sweep row it fills and CLEAN of
// the ticked found files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "resource.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "sweep/cleaning.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"

namespace {

const char kRoot[] = "E:\\brisola-tests\\e2e";
const char kExt[] = ".e2etmp";  // only our files carry it

bool IsFoundFiles(HWND w) { return HasControls(w, {IDC_FF_LIST, IDC_FF_CLOSE, IDC_FF_CHECKED}); }

// What a found-files dialog showed.
struct Seen {
    UINT checked = 0, found = 0;
    std::vector<std::string> rows;  // "location\name"
    std::vector<int> ticks;
};

void Look(HWND dialog, Seen& seen) {
    HWND list = GetDlgItem(dialog, IDC_FF_LIST);
    seen.checked = GetDlgItemInt(dialog, IDC_FF_CHECKED, nullptr, FALSE);
    seen.found = GetDlgItemInt(dialog, IDC_FF_FOUND, nullptr, FALSE);
    int rows = RowCount(list);
    for (int row = 0; row < rows && row < 1000; ++row) {
        seen.rows.push_back(Cell(list, row, 1) + "\\" + Cell(list, row, 0));
        seen.ticks.push_back(StateImage(list, row));
    }
}

// A helper that notes what the found-files dialog shows, then closes it.
std::function<void(HWND)> LookAndClose(Seen& seen) {
    return [&seen](HWND w) {
        Look(w, seen);
        PostMessageA(w, WM_COMMAND, IDC_FF_CLOSE, 0);
    };
}

class DriveCleanerE2E : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetSweepTableForTest();
        ClearDriveCleaner();
        RemoveTree(kRoot);
        CreateDirectoryA("E:\\brisola-tests", nullptr);
        ASSERT_TRUE(CreateDirectoryA(kRoot, nullptr));
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
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
        if (g_app.mainWindow && IsWindow(g_app.mainWindow)) WaitForJobEnd();
        CloseMainWindowForTest();
        ClearDriveCleaner();
        ResetSweepTableForTest();
        ResetProgramState();
        RemoveTree(kRoot);
    }
    std::string Path(const std::string& relative) const { return std::string(kRoot) + "\\" + relative; }
    QuietJobSettings quiet_;
};

TEST_F(DriveCleanerE2E, ScanFindsTheFilesThenCleanDeletesOnlyTheTickedOnes) {
    CreateDirectoryA(Path("sub").c_str(), nullptr);
    ASSERT_TRUE(MakeFile(Path("a.e2etmp"), 10));
    ASSERT_TRUE(MakeFile(Path("sub\\b.e2etmp"), 20));
    ASSERT_TRUE(MakeFile(Path("sub\\c.e2etmp"), 30));
    ASSERT_TRUE(MakeFile(Path("keep.txt"), 5));
    ASSERT_TRUE(MakeFile(Path("off.e2eoff"), 5));

    HWND results = g_app.resultsList;
    EXPECT_EQ(Cell(results, SWEEP_OTHER, 3), "(USE SCAN)");

    Seen seen;
    WindowHelper found(IsFoundFiles, LookAndClose(seen), 30000);
    Command(IDC_CLEAN);
    ASSERT_TRUE(found.Join(30000));
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(LastProgressPosition(), 16);

    std::vector<std::string> expected = {Path("a.e2etmp"), Path("sub\\b.e2etmp"), Path("sub\\c.e2etmp")};
    std::vector<std::string> rows = seen.rows;
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, expected);
    for (int tick : seen.ticks) EXPECT_EQ(tick, 2);
    EXPECT_EQ(seen.found, 3u);
    EXPECT_GE(seen.checked, 5u) << "every file on E: is looked at";

    // The sweep row of "Other temporary files" now holds the scan's count.
    Command(IDC_VIEW_INTERNET);
    EXPECT_EQ(Cell(results, SWEEP_OTHER, 1), "3");
    EXPECT_NE(Cell(results, SWEEP_OTHER, 3), "(USE SCAN)");

    // Untick b in View Files, then clean only "Sweep Other temporary files".
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
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) SetStateImage(results, row, row == SWEEP_OTHER ? 2 : 1);
    Command(IDC_CLEAN);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(LastProgressPosition(), SWEEP_CATEGORIES);
    EXPECT_TRUE(FileExists(Path("sub\\b.e2etmp")));
    EXPECT_TRUE(FileExists(Path("keep.txt")));
    EXPECT_TRUE(FileExists(Path("off.e2eoff")));
    EXPECT_FALSE(FileExists(Path("a.e2etmp")));
    EXPECT_FALSE(FileExists(Path("sub\\c.e2etmp")));

    Command(IDC_VIEW_DRIVES);
    Seen after;
    WindowHelper view(IsFoundFiles, LookAndClose(after));
    Command(IDC_VIEW_FILES);
    ASSERT_TRUE(view.Join());
    EXPECT_EQ(after.rows, std::vector<std::string>{Path("sub\\b.e2etmp")});
    EXPECT_EQ(after.found, 0u);
    EXPECT_EQ(after.checked, 0u);
}

}  // namespace
