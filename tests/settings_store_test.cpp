// The settings store: defaults, the four REG_BINARY values, "exactly 1 is
// on", the per-user store of a user who cannot write the machine key, the
// category ticks, the end of a session past a blocked target, and size
// text at its edges.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/app_state.h"
#include "cookies/cookies.h"
#include "drives/filters.h"
#include "settings/settings.h"
#include "clean_support.h"
#include "sweep/results_list.h"
#include "sweep/sweep.h"

using cleantest::KeyExists;

namespace {

const char* const kNames[] = {"NeverUpdate", "AskDel", "EnableSnd", "EnableTips"};
// A stand-in for HKEY_LOCAL_MACHINE whose program key only allows reading.
const char kFakeMachine[] = "Software\\brisola-tests\\machine";

std::string Flags() {
    return std::to_string(g_settings.neverUpdate.load()) + std::to_string(g_settings.askDel.load()) +
           std::to_string(g_settings.enableSnd.load()) + std::to_string(g_settings.enableTips.load());
}

void WriteRaw(HKEY root, const char* name, const void* data, DWORD size, DWORD type = REG_BINARY) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, kProgramKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteNumber(HKEY root, const char* name, DWORD number) { WriteRaw(root, name, &number, 4); }

// Reads a value of the program key: its type and 4-byte number, or false.
bool ReadValue(HKEY root, const char* name, DWORD* type, DWORD* number) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kProgramKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 4;
    LONG status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(number), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && size == 4;
}

// Gives a key the rights of `sddl`: read-only, or all rights back before
// it is removed.
bool SetKeyRights(HKEY root, const std::string& path, const char* sddl) {
    HKEY key = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool ok = RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS &&
              ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr) &&
              RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    if (key) RegCloseKey(key);
    return ok;
}

void DeleteFakeMachine() {
    SetKeyRights(HKEY_CURRENT_USER, std::string(kFakeMachine) + "\\" + kProgramKey, "D:(A;;KA;;;WD)");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\brisola-tests");
}

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        DeleteFakeMachine();
        RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
        ResetProgramState();
        ResetSettings();
    }

    // From here on HKEY_LOCAL_MACHINE is a tree in which the program key
    // exists, holds `machineValue` in each value, and can only be read: a
    // standard user's view of the machine key without virtualization.
    void BecomeStandardUser(DWORD machineValue) {
        HKEY root = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kFakeMachine, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const char* name : kNames) WriteNumber(root, name, machineValue);
        EXPECT_TRUE(SetKeyRights(root, kProgramKey, "D:P(A;;KR;;;WD)"));
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root), ERROR_SUCCESS);
        RegCloseKey(root);
        HKEY probe = nullptr;
        ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_ALL_ACCESS, &probe), ERROR_SUCCESS)
            << "the stand-in machine key should refuse full access";
    }
};

// Only a 4-byte binary 1 is on and another 4-byte number is off; any other
// size or type, or a missing value, keeps the default (the flags' 0 0 1 1,
// the initial ticks). A flag read as off is saved back as 0.
TEST_F(SettingsStoreTest, OnlyWellFormedValuesAreRead) {
    LoadCategoryTicks();  // no key: the initial ticks stand
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(t[SWEEP_COOKIES].ticked, 1);
    EXPECT_EQ(t[SWEEP_OTHER].ticked, 0);
    const struct {
        int category;  // -1: the flag `name`
        const char* name;
        DWORD type;
        const char* data;
        DWORD size;
        int ticked;  // after the load
    } values[] = {
        {-1, "NeverUpdate", REG_BINARY, "\1", 1, 0},       {-1, "AskDel", REG_BINARY, "\1\0\0\0\0\0\0\0", 8, 0},
        {-1, "EnableSnd", REG_BINARY, "\2\0\0\0", 4, 0},   {-1, "EnableTips", REG_BINARY, "\1\1\0\0", 4, 0},
        {SWEEP_INTERNET_CACHE, "", REG_BINARY, "\0\0\0\0", 4, 0}, {SWEEP_COOKIES, "", REG_BINARY, "\7\0\0\0", 4, 0},
        {SWEEP_OTHER, "", REG_BINARY, "\1\0\0\0", 4, 1},          {SWEEP_TOTALS, "", REG_BINARY, "\1\0\0\0", 4, 1},
        {SWEEP_RECENT, "", REG_BINARY, "\1\0", 2, 1},               {SWEEP_TEMP, "", REG_SZ, "0", 2, 1},
        {SWEEP_HISTORY, "", REG_BINARY, "\1\0\0\1", 4, 0},        {SWEEP_CRASH_DUMPS, "", 0, nullptr, 0, 1},
    };
    for (const auto& v : values)
        if (v.data) WriteRaw(HKEY_LOCAL_MACHINE, v.category < 0 ? v.name : t[v.category].label, v.data, v.size, v.type);
    LoadSettings();
    LoadCategoryTicks();
    EXPECT_EQ(Flags(), "0000");
    GetSweepTable(t);
    for (const auto& v : values) {
        if (v.category < 0) continue;
        EXPECT_EQ(t[v.category].ticked, v.ticked) << t[v.category].label;
    }
    SaveSettings();
    DWORD type = 0, number = 9;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number));
    EXPECT_EQ(number, 0u);
}

TEST_F(SettingsStoreTest, AnAdministratorIgnoresAStaleUserCopy) {
    WriteNumber(HKEY_CURRENT_USER, "AskDel", 1);
    WriteNumber(HKEY_LOCAL_MACHINE, "AskDel", 0);
    LoadSettings();
    EXPECT_EQ(g_settings.askDel.load(), 0);
}

void ForgetEverything() {
    ResetSettings();
    ResetSweepTableForTest();
    ClearFilterTable();
    ClearCookieLists();
}

// The end of a session saves every choice (options, ticks, filters, kept
// cookies) whichever one target cannot be read or written; a file that
// could not be read is left as it was. A standard user's machine key is
// only read: the user's own copy takes the choices.
TEST_F(SettingsStoreTest, TheSessionEndSavesEveryChoicePastABlockedTarget) {
    enum Block { kFiltersLocked, kKeptCookiesUnwritable, kMachineKeyReadOnly };
    const char* const oldFilters = ".old Old $ true\r\n[end]";
    const char* const newFilters = ".old Old  $ true\r\n.new New $ false\r\n[end]";
    const struct {
        Block block;
        const char* filters;
    } rows[] = {{kFiltersLocked, oldFilters}, {kKeptCookiesUnwritable, newFilters}, {kMachineKeyReadOnly, newFilters}};
    const std::string filters = FiltersFilePath(), kept = KeptCookiesFilePath();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.block);
        ResetProgramState();
        ForgetEverything();
        WriteWholeFile(filters, oldFilters);
        HANDLE lock = row.block != kFiltersLocked
                          ? INVALID_HANDLE_VALUE
                          : CreateFileA(filters.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (row.block == kKeptCookiesUnwritable) {
            ASSERT_TRUE(CreateDirectoryA((kept + ".tmp").c_str(), nullptr));
        }
        if (row.block == kMachineKeyReadOnly) BecomeStandardUser(1);
        LoadSettings();
        LoadCategoryTicks();
        LoadFilterTable();
        LoadKeptCookies();
        if (row.block == kFiltersLocked) {
            EXPECT_EQ(Flags(), "0011") << "nothing stored: the defaults";
        }
        g_settings.neverUpdate = g_settings.askDel = 1;
        g_settings.enableSnd = g_settings.enableTips = 0;
        SetCategoryTick(SWEEP_COOKIES, 0);
        SetCategoryTick(SWEEP_OTHER, 1);
        AppendFilter(".new", "New", 0);
        SetCookieNames(KEPT_COOKIES, {"kept@site.txt"});
        SaveKeptCookies();
        SaveFilterTable();
        SaveSettings();
        SaveCategoryTicks();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        RemoveDirectoryA((kept + ".tmp").c_str());
        EXPECT_EQ(ReadWholeFile(filters), row.filters);
        // Four-byte binary values in the machine key, else the user's own.
        DWORD type = 0, number = 9;
        bool user = row.block == kMachineKeyReadOnly;
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number) && number == (user ? 1u : 0u));
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kProgramKey), user);
        EXPECT_TRUE(ReadValue(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, "Sweep Other temporary files", &type, &number));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(number, 1u);

        ForgetEverything();  // the next start
        LoadSettings();
        LoadCategoryTicks();
        LoadKeptCookies();
        EXPECT_EQ(Flags(), "1100");
        SweepCategory t[SWEEP_COUNT];
        GetSweepTable(t);
        EXPECT_EQ(t[SWEEP_COOKIES].ticked, 0);
        EXPECT_EQ(t[SWEEP_OTHER].ticked, 1);
        EXPECT_EQ(CookieNames(KEPT_COOKIES), std::vector<std::string>{"kept@site.txt"});
    }
    ForgetEverything();
}

// Sizes past 32 bits, up to the largest, fit the text.
TEST(FormatSize, KeepsSizesPast32Bits) {
    char text[64];
    FormatSize(5368709120ULL, text, sizeof text);
    EXPECT_STREQ(text, "5.00 GB");
    FormatSize(~0ULL, text, sizeof text);
    EXPECT_STREQ(text, "17179869184.00 GB");
}

// The ticks are read from the list at the window's end and come back at
// the next start.
TEST_F(SettingsStoreTest, CategoryTicksSurviveARestart) {
    CreateMainWindowForTest();
    SetStateImage(g_app.resultsList, SWEEP_INTERNET_CACHE, 1);
    SetStateImage(g_app.resultsList, SWEEP_OTHER, 2);
    ASSERT_TRUE(DestroyMainWindowForTest());
    ResetSweepTableForTest();
    LoadCategoryTicks();
    CreateMainWindowForTest();
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_INTERNET_CACHE), 1);
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_OTHER), 2);
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_COOKIES), 2);
    CloseMainWindowForTest();
}

}  // namespace
