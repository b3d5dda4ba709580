// The Tips dialog (150): the tip table, random tips, the start-up check
// box and the three ways to close it.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "resource.h"
#include "settings/settings.h"
#include "settings/tips.h"
#include "support/test_support.h"

namespace {

bool IsTips(HWND w) { return GetDlgItem(w, IDC_TIP_NEXT) && GetDlgItem(w, IDC_TIP_SHOW_AT_START); }

std::string TipText(HWND dialog) {
    char text[512] = {};
    GetDlgItemTextA(dialog, IDC_TIP_TEXT, text, sizeof text);
    return text;
}

bool IsATip(const std::string& text) {
    for (const auto& tip : kTips)
        if (text == tip) return true;
    return false;
}

INT_PTR RunTips() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TIPS), nullptr, TipsDialogProc, 0);
}

class TipsDialogTest : public testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }
};

TEST_F(TipsDialogTest, OpensWithATipAndNextTipShowsTipsFromTheTable) {
    std::string first;
    std::set<std::string> seen;
    bool allTips = true, checked = false;
    WindowHelper helper(IsTips, [&](HWND dialog) {
        first = TipText(dialog);
        checked = SendDlgItemMessageA(dialog, IDC_TIP_SHOW_AT_START, BM_GETCHECK, 0, 0) == BST_CHECKED;
        for (int i = 0; i < 12; ++i) {
            SendDlgItemMessageA(dialog, IDC_TIP_NEXT, BM_CLICK, 0, 0);
            std::string text = TipText(dialog);
            allTips = allTips && IsATip(text);
            seen.insert(text);
            Sleep(7);  // the pick follows the millisecond clock
        }
        SendDlgItemMessageA(dialog, IDC_TIP_CLOSE, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunTips(), DIALOG_RESULT);
    EXPECT_TRUE(helper.Join());
    EXPECT_TRUE(IsATip(first)) << first;
    EXPECT_TRUE(checked);
    EXPECT_TRUE(allTips);
    EXPECT_GT(seen.size(), 1u);
    EXPECT_EQ(g_settings.enableTips.load(), 1);
}

TEST_F(TipsDialogTest, CloseXAndCloseRequestAllEndItAndKeepTheSetting) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        g_settings.enableTips = static_cast<BYTE>(way % 2);
        WindowHelper helper(IsTips, [&](HWND dialog) {
            if (way == 0) PostMessageA(dialog, WM_COMMAND, IDC_TIP_CLOSE, 0);
            if (way == 1) PostMessageA(dialog, WM_COMMAND, IDC_TIP_X, 0);
            if (way == 2) PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(RunTips(), DIALOG_RESULT);
        EXPECT_TRUE(helper.Join());
        EXPECT_EQ(g_settings.enableTips.load(), way % 2);
    }
}

}  // namespace
