// The Cookies Manager dialog (138) on the prefix's real cookie folder,
// driven by its commands and by list-view selection.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "cookies/cookies_manager.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"

namespace {

using Names = std::vector<std::string>;

class ManagerTest : public testing::Test {
protected:
    void SetUp() override {
        ResetCookieLists();
        folder_ = CookieFolder();
        ASSERT_FALSE(folder_.empty());
        for (const char* name : {"brisolamgr-a.txt", "brisolamgr-b.txt", "brisolamgr-c.txt"}) {
            std::string path = folder_ + "\\" + name;
            ASSERT_TRUE(MakeFile(path, 50));
            made_.push_back(path);
        }
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
        for (const std::string& path : made_) DeleteFileA(path.c_str());
        ResetCookieLists();
    }
    void Open() {
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COOKIES), nullptr,
                                     CookiesManagerDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        left_ = GetDlgItem(dialog_, IDC_CK_DELETE_LIST);
        right_ = GetDlgItem(dialog_, IDC_CK_KEEP_LIST);
    }
    LRESULT Command(int id) { return SendMessageA(dialog_, WM_COMMAND, id, 0); }
    std::string folder_;
    std::vector<std::string> made_;
    HWND dialog_ = nullptr;
    HWND left_ = nullptr;
    HWND right_ = nullptr;
};

TEST_F(ManagerTest, OpensWithTheScannedFolderLeftAndTheKeptListRight) {
    SetCookieNames(KEPT_COOKIES, {"brisolamgr-b.txt", "not-here.txt"});
    Open();
    for (int id : {IDC_CK_SAVE_SETTINGS, IDC_CK_KEEP_SELECT_ALL, IDC_CK_KEEP_DESELECT_ALL, IDC_CK_DEL_SELECT_ALL,
                   IDC_CK_DEL_DESELECT_ALL})
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog_, id))) << id;
    EXPECT_EQ(ItemTexts(left_), CookieNames(COOKIES_TO_DELETE));
    EXPECT_GE(FindRow(left_, "brisolamgr-a.txt"), 0);
    EXPECT_GE(FindRow(left_, "brisolamgr-c.txt"), 0);
    EXPECT_LT(FindRow(left_, "brisolamgr-b.txt"), 0);
    EXPECT_EQ(ItemTexts(right_), (Names{"brisolamgr-b.txt", "not-here.txt"}));
}

TEST_F(ManagerTest, MoveButtonsMoveTheSelectionAndRefreshBothViews) {
    Open();
    // ">>" with an empty left list changes nothing and refreshes nothing.
    SetCookieNames(COOKIES_TO_DELETE, {});
    SetCookieNames(KEPT_COOKIES, {"k0"});
    SendMessageA(right_, LVM_DELETEALLITEMS, 0, 0);
    Command(IDC_CK_TO_KEEP);
    EXPECT_EQ(RowCount(right_), 0);
    EXPECT_EQ(CookieNames(KEPT_COOKIES), Names{"k0"});

    // With entries but no selection: both views refresh, nothing moves.
    SetCookieNames(COOKIES_TO_DELETE, {"e0", "e1", "e2"});
    Command(IDC_CK_TO_KEEP);
    EXPECT_EQ(ItemTexts(right_), Names{"k0"});
    EXPECT_EQ(ItemTexts(left_), (Names{"e0", "e1", "e2"}));
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"e0", "e1", "e2"}));

    // Rows 0 and 2 go, in list order, to the end of the right list.
    SelectRow(left_, 2);
    SelectRow(left_, 0);
    Command(IDC_CK_TO_KEEP);
    EXPECT_EQ(ItemTexts(left_), Names{"e1"});
    EXPECT_EQ(ItemTexts(right_), (Names{"k0", "e0", "e2"}));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"k0", "e0", "e2"}));
    EXPECT_EQ(SendMessageA(right_, LVM_GETSELECTEDCOUNT, 0, 0), 0);

    SelectRow(right_, 1);
    Command(IDC_CK_TO_DELETE);
    EXPECT_EQ(ItemTexts(left_), (Names{"e1", "e0"}));
    EXPECT_EQ(ItemTexts(right_), (Names{"k0", "e2"}));

    // "<<" with an empty right list does nothing at all.
    SetCookieNames(KEPT_COOKIES, {});
    Command(IDC_CK_TO_DELETE);
    EXPECT_EQ(ItemTexts(right_), (Names{"k0", "e2"}));
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"e1", "e0"}));
}

TEST_F(ManagerTest, EscapeNeverClosesAndTheCloseBoxKeepsMovesWithoutSaving) {
    Open();
    Command(IDCANCEL);
    Command(IDC_CK_DEL_SELECT_ALL);
    Command(IDC_CK_DEL_DESELECT_ALL);
    EXPECT_TRUE(IsWindowVisible(dialog_));

    SelectRow(left_, FindRow(left_, "brisolamgr-b.txt"));
    Command(IDC_CK_TO_KEEP);
    SendMessageA(dialog_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_FALSE(FileExists(KeptCookiesFilePath()));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), Names{"brisolamgr-b.txt"});

    // The cleaning in this run spares the moved cookie.
    DeleteListedCookies();
    EXPECT_TRUE(FileExists(folder_ + "\\brisolamgr-b.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\brisolamgr-a.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\brisolamgr-c.txt"));
}

}  // namespace
