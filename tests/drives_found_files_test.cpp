// The found-files dialog and the deletion of the checked found files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"

namespace {

bool IsFoundFiles(HWND window) { return HasControls(window, {IDC_FF_LIST, IDC_FF_CLOSE, IDC_FF_CHECKED}); }

// What the dialog showed in one opening.
struct Seen {
    std::string checked, found;
    std::vector<std::string> names, locations;
    std::vector<int> ticks;
};

void Look(HWND dialog, Seen& seen) {
    HWND list = GetDlgItem(dialog, IDC_FF_LIST);
    seen.checked = ControlText(dialog, IDC_FF_CHECKED);
    seen.found = ControlText(dialog, IDC_FF_FOUND);
    int rows = RowCount(list);
    for (int row = 0; row < rows && row < 1000; ++row) {
        seen.names.push_back(Cell(list, row, 0));
        seen.locations.push_back(Cell(list, row, 1));
        seen.ticks.push_back(StateImage(list, row));
    }
}

// Opens the dialog modally, as View Files does; `act` runs on a helper
// thread while it is open and must close it.
void OpenFoundFiles(const std::function<void(HWND)>& act) {
    WindowHelper helper(IsFoundFiles, act);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FOUND_FILES), nullptr, FoundFilesDialogProc, 0);
    ASSERT_TRUE(helper.Join());
}

class FoundFilesTest : public testing::Test {
protected:
    void SetUp() override {
        ClearDriveCleaner();
        root = MakeSandboxFolder("found");
    }
    void TearDown() override {
        ClearDriveCleaner();
        RemoveTree(root);
    }
    // Scans `root` holding the given .tmp files and one other file.
    void ScanFiles(std::initializer_list<const char*> names) {
        AppendFilter(".tmp", "Temporary", 1);
        for (const char* name : names) ASSERT_TRUE(MakeFile(root + "\\" + name, 4));
        ASSERT_TRUE(MakeFile(root + "\\keep.txt", 4));
        ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    }
    std::vector<bool> Checked() {
        std::vector<bool> out;
        for (const FoundFile& f : CopyFoundFiles()) out.push_back(f.checked);
        return out;
    }
    std::string root;
};

TEST_F(FoundFilesTest, ListsEveryRecordWithItsOwnTick) {
    AppendFilter(".tmp", "Again", 1);  // each file is found twice
    ScanFiles({"a.tmp"});
    Seen seen;
    OpenFoundFiles([&](HWND dialog) {
        Look(dialog, seen);
        // Untick the second row only, then keep the ticks.
        ToggleRow(GetDlgItem(dialog, IDC_FF_LIST), 1);
        PostMessageA(dialog, WM_COMMAND, IDC_FF_CLOSE, 0);
    });
    EXPECT_EQ(seen.checked, "2");
    EXPECT_EQ(seen.found, "2");
    EXPECT_EQ(seen.names, (std::vector<std::string>{"a.tmp", "a.tmp"}));
    EXPECT_EQ(seen.locations, (std::vector<std::string>{root, root}));
    EXPECT_EQ(seen.ticks, (std::vector<int>{2, 2}));
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false}));
}

TEST_F(FoundFilesTest, CloseKeepsTheTicksAndClosingOtherwiseDiscardsThem) {
    ScanFiles({"a.tmp", "b.tmp", "c.tmp"});
    OpenFoundFiles([&](HWND dialog) {
        ToggleRow(GetDlgItem(dialog, IDC_FF_LIST), 0);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(Checked(), (std::vector<bool>{true, true, true}));

    // The mouse on a checkbox and the space bar toggle the rows.
    std::vector<int> after;
    OpenFoundFiles([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_FF_LIST);
        RECT row = {};
        row.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
        for (int x = row.left; x < row.left + 40; ++x) {
            LVHITTESTINFO hit = {};
            hit.pt = {x, (row.top + row.bottom) / 2};
            if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == 2 &&
                (hit.flags & LVHT_ONITEMSTATEICON)) {
                PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
                PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
                break;
            }
        }
        LVITEMA focus = {};
        focus.stateMask = LVIS_FOCUSED;
        focus.state = LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
        PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
        Sleep(300);
        for (int i = 0; i < 3; ++i) after.push_back(StateImage(list, i));
        PostMessageA(dialog, WM_COMMAND, IDC_FF_CLOSE, 0);
    });
    EXPECT_EQ(after, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false}));
}

TEST_F(FoundFilesTest, TicksOfAnOpeningDoNotLandOnANewerArray) {
    ScanFiles({"a.tmp"});
    OpenFoundFiles([&](HWND dialog) {
        ToggleRow(GetDlgItem(dialog, IDC_FF_LIST), 0);
        // A scan ends while the dialog is open.
        FoundFileStore more;
        more.Add(more.AddFolder("C:\\elsewhere"), "z.tmp");
        PublishFoundFiles(more);
        PostMessageA(dialog, WM_COMMAND, IDC_FF_CLOSE, 0);
    });
    EXPECT_EQ(Checked(), (std::vector<bool>{true, true}));
}

TEST_F(FoundFilesTest, AHundredThousandFoundFiles) {
    FoundFileStore many;
    for (int folder = 0; folder < 1000; ++folder) {
        uint32_t index = many.AddFolder(("C:\\data\\folder" + std::to_string(folder)).c_str());
        for (int i = 0; i < 100; ++i) many.Add(index, ("file" + std::to_string(i) + ".tmp").c_str());
    }
    PublishFoundFiles(many);
    SetFoundFilesTotals(100000, 100000);
    EXPECT_LT(FoundFilesMemoryUse() / 100000, 150u);
    Seen seen;
    OpenFoundFiles([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_FF_LIST);
        EXPECT_EQ(RowCount(list), 100000);
        EXPECT_EQ(Cell(list, 99999, 0), "file99.tmp");
        EXPECT_EQ(Cell(list, 99999, 1), "C:\\data\\folder999");
        ToggleRow(list, 50000);
        PostMessageA(dialog, WM_COMMAND, IDC_FF_CLOSE, 0);
    });
    std::vector<bool> checked = Checked();
    ASSERT_EQ(checked.size(), 100000u);
    EXPECT_FALSE(checked[50000]);
    EXPECT_TRUE(checked[49999]);
    EXPECT_TRUE(checked[50001]);
}

}  // namespace
