// The Settings dialog (130): check marks from the flags, the toggles, the
// Explorer policy written at each click of 1024, and the ways it closes.
#include <gtest/gtest.h>

#include <windows.h>

#include "resource.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace {

bool IsSettings(HWND w) { return GetDlgItem(w, IDC_SET_NEVERUPDATE) && GetDlgItem(w, IDC_SET_OK); }

bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Click(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// The policy value: true with its data when present.
bool ReadPolicy(DWORD* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kExplorerPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof *data;
    LONG status = RegQueryValueExA(key, kNoRecentDocsMenu, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == 4;
}

void DeletePolicy() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kExplorerPolicyKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kNoRecentDocsMenu);
    RegCloseKey(key);
}

INT_PTR RunSettings() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
}

class SettingsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ResetSettings();
        DeletePolicy();
    }
    void TearDown() override {
        DeletePolicy();
        ResetProgramState();
        ResetSettings();
    }
};

TEST_F(SettingsDialogTest, FirstStartShowsTheDefaultsAndOkKeepsTheClicks) {
    LoadSettings();
    bool never = true, ask = true, sound = false;
    DWORD policyAfterFirst = 9, policyAfterSecond = 9;
    bool policyWritten = false;
    WindowHelper helper(IsSettings, [&](HWND dialog) {
        never = Checked(dialog, IDC_SET_NEVERUPDATE);
        ask = Checked(dialog, IDC_SET_ASKDEL);
        sound = Checked(dialog, IDC_SET_SOUND);
        Click(dialog, IDC_SET_ASKDEL);
        Click(dialog, IDC_SET_SOUND);
        Click(dialog, IDC_SET_NEVERUPDATE);
        policyWritten = ReadPolicy(&policyAfterFirst);
        Click(dialog, IDC_SET_NEVERUPDATE);
        policyWritten = policyWritten && ReadPolicy(&policyAfterSecond);
        Click(dialog, IDC_SET_NEVERUPDATE);
        Click(dialog, IDC_SET_OK);
    });
    EXPECT_EQ(RunSettings(), DIALOG_RESULT);
    EXPECT_TRUE(helper.Join());
    EXPECT_FALSE(never);
    EXPECT_FALSE(ask);
    EXPECT_TRUE(sound);
    EXPECT_TRUE(policyWritten);
    EXPECT_EQ(policyAfterFirst, 1u);
    EXPECT_EQ(policyAfterSecond, 0u);
    EXPECT_EQ(g_settings.askDel.load(), 1);
    EXPECT_EQ(g_settings.enableSnd.load(), 0);
    EXPECT_EQ(g_settings.neverUpdate.load(), 1);
    EXPECT_EQ(g_settings.enableTips.load(), 1);
}

TEST_F(SettingsDialogTest, CheckMarksFollowTheFlagsAndACloseRequestKeepsChanges) {
    g_settings.neverUpdate = 1;
    g_settings.askDel = 1;
    g_settings.enableSnd = 2;  // not exactly 1: off
    bool never = false, ask = false, sound = true, openAfterEscape = false;
    WindowHelper helper(IsSettings, [&](HWND dialog) {
        never = Checked(dialog, IDC_SET_NEVERUPDATE);
        ask = Checked(dialog, IDC_SET_ASKDEL);
        sound = Checked(dialog, IDC_SET_SOUND);
        Click(dialog, IDC_SET_ASKDEL);
        Click(dialog, IDC_SET_SOUND);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        openAfterEscape = IsWindowVisible(dialog) != FALSE;
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunSettings(), DIALOG_RESULT);
    EXPECT_TRUE(helper.Join());
    EXPECT_TRUE(never);
    EXPECT_TRUE(ask);
    EXPECT_FALSE(sound);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(g_settings.askDel.load(), 0);
    EXPECT_EQ(g_settings.enableSnd.load(), 1);
    // Nothing reaches the registry before the save at exit...
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    // ...which keeps the changes for the next run.
    SaveSettings();
    ResetSettings();
    LoadSettings();
    EXPECT_EQ(g_settings.askDel.load(), 0);
    EXPECT_EQ(g_settings.enableSnd.load(), 1);
    EXPECT_EQ(g_settings.neverUpdate.load(), 1);
}

}  // namespace
