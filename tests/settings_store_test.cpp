// The settings store: defaults, the four REG_BINARY values, "exactly 1 is
// on", the per-user store of a user who cannot write the machine key, the
// category ticks, and size text at its edges.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "app/app_state.h"
#include "settings/settings.h"
#include "support/list_view_probe.h"
#include "support/test_support.h"
#include "sweep/results_list.h"
#include "sweep/sweep.h"

namespace {

const char* const kNames[] = {"NeverUpdate", "AskDel", "EnableSnd", "EnableTips"};
// A stand-in for HKEY_LOCAL_MACHINE whose program key only allows reading.
const char kFakeMachine[] = "Software\\brisola-tests\\machine";

void SetAll(BYTE neverUpdate, BYTE askDel, BYTE enableSnd, BYTE enableTips) {
    g_settings.neverUpdate = neverUpdate;
    g_settings.askDel = askDel;
    g_settings.enableSnd = enableSnd;
    g_settings.enableTips = enableTips;
}

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

bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteFakeMachine() {
    std::string program = std::string(kFakeMachine) + "\\" + kProgramKey;
    HKEY key = nullptr;
    // Give the key back its rights before removing it.
    if (RegOpenKeyExA(HKEY_CURRENT_USER, program.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &sd, nullptr)) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
            LocalFree(sd);
        }
        RegCloseKey(key);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\brisola-tests");
}

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
        ResetSettings();
    }
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
        HKEY program = nullptr;
        ASSERT_EQ(RegOpenKeyExA(root, kProgramKey, 0, WRITE_DAC, &program), ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &sd,
                                                                         nullptr));
        EXPECT_EQ(RegSetKeySecurity(program, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
        RegCloseKey(program);
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root), ERROR_SUCCESS);
        RegCloseKey(root);
        HKEY probe = nullptr;
        ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_ALL_ACCESS, &probe), ERROR_SUCCESS)
            << "the stand-in machine key should refuse full access";
    }
};

TEST_F(SettingsStoreTest, SaveWritesFourBinaryValuesThatLoadReadsBack) {
    LoadSettings();  // nothing stored: the defaults stand
    EXPECT_EQ(Flags(), "0011");
    SetAll(1, 1, 0, 0);
    SaveSettings();
    DWORD expected[] = {1, 1, 0, 0};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kNames[i]);
        DWORD type = 0, number = 99;
        ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kNames[i], &type, &number));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(number, expected[i]);
    }
    // The machine key is the store: nothing lands in the user's copy.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProgramKey));
    ResetSettings();
    LoadSettings();
    EXPECT_EQ(Flags(), "1100");
}

// Only a 4-byte 1 is on; a value of another size or a missing one keeps
// its default; a stored flag that is not 1 is saved back as 0.
TEST_F(SettingsStoreTest, OddValuesReadAsOffOrTheirDefault) {
    BYTE one = 1, eight[8] = {1};
    WriteRaw(HKEY_LOCAL_MACHINE, "NeverUpdate", &one, 1);
    WriteRaw(HKEY_LOCAL_MACHINE, "AskDel", eight, sizeof eight);
    WriteNumber(HKEY_LOCAL_MACHINE, "EnableSnd", 2);
    WriteNumber(HKEY_LOCAL_MACHINE, "EnableTips", 0x101);
    LoadSettings();
    EXPECT_EQ(Flags(), "0000");
    SaveSettings();
    DWORD type = 0, number = 9;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number));
    EXPECT_EQ(number, 0u);
}

TEST_F(SettingsStoreTest, StandardUserKeepsSettingsInTheUserKey) {
    BecomeStandardUser(1);
    SetAll(0, 0, 0, 0);
    LoadSettings();  // without a copy of their own: the machine values
    EXPECT_EQ(Flags(), "1111");
    SetAll(1, 1, 0, 0);
    SaveSettings();
    // The machine key stays as it was; the user's own copy holds the flags.
    DWORD type = 0, number = 9;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number));
    EXPECT_EQ(number, 1u);
    ASSERT_TRUE(ReadValue(HKEY_CURRENT_USER, "EnableSnd", &type, &number));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(number, 0u);
    ResetSettings();
    LoadSettings();
    EXPECT_EQ(Flags(), "1100");
}

TEST_F(SettingsStoreTest, AnAdministratorIgnoresAStaleUserCopy) {
    WriteNumber(HKEY_CURRENT_USER, "AskDel", 1);
    WriteNumber(HKEY_LOCAL_MACHINE, "AskDel", 0);
    LoadSettings();
    EXPECT_EQ(g_settings.askDel.load(), 0);
}

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

// The category ticks: one 4-byte binary value each; anything else keeps
// the initial tick.
TEST_F(SettingsStoreTest, CategoryTicksLoadOnlyWellFormedValues) {
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
        if (v.data) WriteRaw(HKEY_LOCAL_MACHINE, t[v.category].label, v.data, v.size, v.type);
    LoadCategoryTicks();
    GetSweepTable(t);
    for (const Value& v : values) EXPECT_EQ(t[v.category].ticked, v.ticked) << t[v.category].label;
    ResetSweepTableForTest();
}

// Ticks are saved from the list at the window's end as one 4-byte binary
// value per record and come back at the next start.
TEST_F(SettingsStoreTest, CategoryTicksSurviveARestart) {
    ResetSweepTableForTest();
    CreateMainWindowForTest();
    HWND results_ = g_app.resultsList;
    SetStateImage(results_, SWEEP_INTERNET_CACHE, 1);
    SetStateImage(results_, SWEEP_OTHER, 2);
    SetCategoryTick(SWEEP_TOTALS, 1);
    ASSERT_TRUE(DestroyMainWindowForTest());
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    for (const SweepCategory& c : t) {
        DWORD type = 0, value = 9;
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, c.label, &type, &value)) << c.label;
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY)) << c.label;
        EXPECT_EQ(value, std::string(c.label) == "Sweep Temporary Internet Files" ? 0u : 1u) << c.label;
    }
    ResetSweepTableForTest();
    LoadCategoryTicks();
    CreateMainWindowForTest();
    results_ = g_app.resultsList;
    EXPECT_EQ(StateImage(results_, SWEEP_INTERNET_CACHE), 1);
    EXPECT_EQ(StateImage(results_, SWEEP_OTHER), 2);
    EXPECT_EQ(StateImage(results_, SWEEP_COOKIES), 2);
    CloseMainWindowForTest();
    ResetSweepTableForTest();
}

}  // namespace
