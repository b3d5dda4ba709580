// The drive table on a machine with A: (floppy), C: (fixed), D: (CD) and
// E: (fixed): the slots, the drive list, Quick Refresh and which drives a
// disk scan walks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "drives/disk_scan.h"
#include "drives/drive_table.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"
#include "sweep/results_list.h"

namespace {

TEST(DriveTable, HoldsEveryDriveInOrderAndUsesOnlyFixedOnes) {
    EnumerateDrives();
    const char* roots[] = {"A:", "C:", "D:", "E:"};
    const int types[] = {DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_CDROM, DRIVE_FIXED};
    for (int i = 0; i < 4; ++i) {
        DriveSlot slot = GetDriveSlot(i);
        EXPECT_STREQ(slot.root, roots[i]);
        EXPECT_EQ(slot.type, types[i]) << roots[i];
        EXPECT_EQ(slot.selected, types[i] == DRIVE_FIXED ? 1 : 0) << roots[i];
        EXPECT_TRUE(types[i] == DRIVE_FIXED || slot.totalBytes == 0) << roots[i] << " is never measured";
    }
    EXPECT_GT(GetDriveSlot(1).totalBytes, 0u);
    EXPECT_GT(GetDriveSlot(3).totalBytes, 0u);
    for (int i = 4; i < kDriveSlots; ++i) EXPECT_EQ(GetDriveSlot(i).type, 0);

    char fixed[16][16] = {};
    ASSERT_EQ(GetFixedDriveRoots(fixed), 2);
    EXPECT_STREQ(fixed[0], "C:");
    EXPECT_STREQ(fixed[1], "E:");
}

class DriveListTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ClearDriveCleaner();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        list = g_app.driveList;
        Command(IDC_VIEW_DRIVES);
    }
    void TearDown() override {
        CloseMainWindowForTest();
        g_app.driveList = nullptr;
        g_app.filterList = nullptr;
        ClearDriveCleaner();
        ResetProgramState();
    }
    HWND list = nullptr;
};

TEST_F(DriveListTest, ListsTheFixedDrivesTickedAndQuickRefreshKeepsTheTicks) {
    ASSERT_EQ(RowCount(list), 2);
    EXPECT_EQ(Cell(list, 0, 0), "C:");
    EXPECT_EQ(Cell(list, 1, 0), "E:");
    EXPECT_EQ(Cell(list, 1, 1), SizeText(GetDriveSlot(3).totalBytes));
    EXPECT_EQ(StateImage(list, 0), 2);
    EXPECT_EQ(StateImage(list, 1), 2);

    SetStateImage(list, 1, 1);
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_QUICK_REFRESH, 0);
    ASSERT_EQ(RowCount(list), 2);
    EXPECT_EQ(StateImage(list, 0), 2);
    EXPECT_EQ(StateImage(list, 1), 1);
    EXPECT_EQ(GetDriveSlot(1).selected, 1);
    EXPECT_EQ(GetDriveSlot(3).selected, 0);
    EXPECT_EQ(Cell(list, 1, 2), SizeText(GetDriveSlot(3).freeBytes));
}

TEST_F(DriveListTest, AScanWalksOnlyTheDrivesTickedWhenItStarts) {
    AppendFilter(".tmp", "Temporary", 1);
    FillFilterListView();
    std::string onC = MakeSandboxFolder("drivemap");
    ASSERT_TRUE(MakeFile(onC + "\\c.tmp", 1));
    CreateDirectoryA("E:\\brisola-drive", nullptr);
    ASSERT_TRUE(MakeFile("E:\\brisola-drive\\x.tmp", 2));
    ASSERT_TRUE(MakeFile("E:\\root.tmp", 3));
    ASSERT_TRUE(MakeFile("E:\\other.txt", 3));

    SetStateImage(list, 0, 1);  // C: unticked just before the scan
    ASSERT_EQ(RunDiskScan(), 1);
    std::vector<std::string> found;
    for (const FoundFile& f : CopyFoundFiles()) found.push_back(f.location + "|" + f.name);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"E:\\brisola-drive|x.tmp", "E:|root.tmp"}));
    unsigned long long checked = 0, filesFound = 0;
    GetFoundFilesTotals(&checked, &filesFound);
    EXPECT_EQ(checked, 3u);
    EXPECT_EQ(filesFound, 2u);
    EXPECT_EQ(GetDiskScanReport().bytes, 5u);

    // Nothing ticked: the scan completes and publishes zero totals.
    ClearFoundFiles();
    SetStateImage(list, 1, 1);
    ASSERT_EQ(RunDiskScan(), 1);
    GetFoundFilesTotals(&checked, &filesFound);
    EXPECT_EQ(checked + filesFound + FoundFileCount(), 0u);

    for (const char* file : {"E:\\root.tmp", "E:\\other.txt", "E:\\brisola-drive\\x.tmp"}) DeleteFileA(file);
    RemoveDirectoryA("E:\\brisola-drive");
    RemoveTree(onC);
}

}  // namespace
