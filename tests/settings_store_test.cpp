// The settings store: defaults, the four REG_BINARY values, "exactly 1 is
// on", and the per-user store of a user who cannot write the machine key.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>

#include "settings/settings.h"
#include "support/test_support.h"

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

TEST_F(SettingsStoreTest, OnlyExactlyOneCountsAsOn) {
    WriteNumber(HKEY_LOCAL_MACHINE, "NeverUpdate", 2);
    WriteNumber(HKEY_LOCAL_MACHINE, "AskDel", 0x101);
    WriteNumber(HKEY_LOCAL_MACHINE, "EnableSnd", 0xFFFFFFFF);
    WriteNumber(HKEY_LOCAL_MACHINE, "EnableTips", 1);
    SetAll(1, 1, 1, 0);
    LoadSettings();
    EXPECT_EQ(Flags(), "0001");
    // A stored flag that is not 1 is saved back as 0.
    SaveSettings();
    DWORD type = 0, number = 0;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "NeverUpdate", &type, &number));
    EXPECT_EQ(number, 0u);
}

TEST_F(SettingsStoreTest, MissingOrMisSizedValuesKeepTheirDefault) {
    WriteNumber(HKEY_LOCAL_MACHINE, "AskDel", 1);
    BYTE one = 1;
    WriteRaw(HKEY_LOCAL_MACHINE, "NeverUpdate", &one, 1);
    BYTE eight[8] = {0};
    WriteRaw(HKEY_LOCAL_MACHINE, "EnableSnd", eight, sizeof eight);
    // "EnableTips" is missing.
    LoadSettings();
    EXPECT_EQ(Flags(), "0111");
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

}  // namespace
