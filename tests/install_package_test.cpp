// The installer, run as a user would in its own prefix: a silent install
// puts everything in place, the installed program starts and its Help
// opens the help viewer, and a silent uninstall removes the program but
// keeps the user's data. The Windows Installer package does the same, and
// a newer package replaces it. scripts/test.sh puts the installer and the
// two packages at C:\.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "clean_support.h"
#include "settings/settings.h"
#include "version.h"

namespace {

const char kSetup[] = "C:\\brisola-setup.exe";
const char kPackage[] = "C:\\brisola.msi";
const char kNextPackage[] = "C:\\brisola-next.msi";
const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brisola";
using cleantest::KeyExists;
using cleantest::SpecialFolder;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

PROCESS_INFORMATION Start(std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &process))
        << commandLine;
    return process;
}

// Runs a command to its end; its exit code, or -1 when it did not end.
DWORD RunToEnd(const std::string& commandLine) {
    PROCESS_INFORMATION process = Start(commandLine, "C:\\");
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string RegText(const char* name) {
    char text[512] = {};
    DWORD size = sizeof text - 1;
    RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, WC_TREEVIEWA) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Ends a process that outlived its test, so that it holds nothing open.
void EndProcess(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}

// Help (1003) in the running program opens the help file in the HTML Help
// viewer, whose contents tree shows the file's topics. (Wine has no HTML
// engine here, so the pages themselves stay blank.)
void ExpectHelpOpens(HWND main) {
    PostMessageA(main, WM_COMMAND, 1003, 0);
    HWND viewer = nullptr, tree = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (viewer = FindWindowA("HH Parent", "Brisola Help")) != nullptr; }, 30000));
    EXPECT_TRUE(PollUntil([&] { return !EnumChildWindows(viewer, FindTree, reinterpret_cast<LPARAM>(&tree)) && tree; },
                        10000));
    EXPECT_GT(tree ? SendMessageA(tree, TVM_GETCOUNT, 0, 0) : 0, 10);
    DWORD id = 0;
    GetWindowThreadProcessId(viewer, &id);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EndProcess(id);
}

// The DisplayVersion of every Add/Remove Programs entry named "Brisola".
std::vector<std::string> InstalledVersions() {
    std::vector<std::string> versions;
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) return versions;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        char display[256] = {}, version[64] = {};
        DWORD size = sizeof display - 1;
        RegGetValueA(root, name, "DisplayName", RRF_RT_REG_SZ, nullptr, display, &size);
        size = sizeof version - 1;
        RegGetValueA(root, name, "DisplayVersion", RRF_RT_REG_SZ, nullptr, version, &size);
        if (std::string(display) == "Brisola") versions.push_back(version);
    }
    RegCloseKey(root);
    return versions;
}

// The installed program then starts without the Tips over its main window.
void TurnTipsOff() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD off = 0;
    RegSetValueExA(key, "EnableTips", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegCloseKey(key);
}

// The installed program starts and shows its main window (and, when asked,
// its Help); closed again.
void ExpectProgramStarts(const std::string& dir, bool openHelp) {
    PROCESS_INFORMATION program = Start("\"" + dir + "\\brisola.exe\"", dir);
    HWND main = nullptr;
    DWORD owner = 0;
    EXPECT_TRUE(PollUntil(
        [&] {
            main = FindWindowA("#32770", "BRISOLA v" BRISOLA_VERSION);
            return main && IsWindowVisible(main) && GetWindowThreadProcessId(main, &owner) && owner == program.dwProcessId;
        },
        60000));
    if (main && openHelp) ExpectHelpOpens(main);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 30000), WAIT_OBJECT_0);
    EndProcess(program.dwProcessId);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
}

// Where an install puts things, and the user's data it must leave; each
// test starts and ends without that data.
class InstallPackageTest : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteFileA(filters_.c_str());
        DeleteFileA(cookies_.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    }
    // Starts the installed program (and its Help), then leaves user data.
    void UseTheProgram(bool openHelp) {
        TurnTipsOff();
        ExpectProgramStarts(dir_, openHelp);
        CloseHandle(CreateFileA(cookies_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    void ExpectUserDataKept() {
        EXPECT_TRUE(Exists(cookies_));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProgramKey));
    }

    const std::string windows_ = SpecialFolder(CSIDL_WINDOWS), dir_ = SpecialFolder(CSIDL_PROGRAM_FILESX86) + "\\Brisola";
    const std::string help_ = windows_ + "\\BrisolaHelp.chm", policies_ = dir_ + "\\policies\\en-US\\Brisola.adml";
    const std::string filters_ = windows_ + "\\datafilters.txt", cookies_ = windows_ + "\\datacookies.txt";
};

TEST_F(InstallPackageTest, SilentInstallRunsAndSilentUninstallKeepsTheData) {
    const std::string uninstaller = dir_ + "\\uninstall.exe";
    const std::string shortcut = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Brisola.lnk";
    ASSERT_EQ(RunToEnd(std::string(kSetup) + " /S"), 0u);
    for (const std::string& file : {dir_ + "\\brisola.exe", uninstaller, help_, shortcut, policies_})
        EXPECT_TRUE(Exists(file)) << file;
    // What Programs and Features runs to remove it.
    EXPECT_EQ(RegText("UninstallString"), "\"" + uninstaller + "\"");
    EXPECT_EQ(RegText("QuietUninstallString"), "\"" + uninstaller + "\" /S");
    UseTheProgram(true);

    // The uninstaller runs from a copy of itself and returns at once; its
    // last step is the uninstall key.
    EXPECT_EQ(RunToEnd("\"" + uninstaller + "\" /S"), 0u);
    EXPECT_TRUE(PollUntil([&] { return !Exists(dir_) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 60000));
    for (const std::string& file : {help_, shortcut}) EXPECT_FALSE(Exists(file)) << file;
    ExpectUserDataKept();
    EXPECT_TRUE(Exists(filters_)) << "the program saved its filters";
}

TEST_F(InstallPackageTest, WindowsInstallerPackageInstallsUpgradesAndUninstallsKeepingTheData) {
    // Windows puts a per-machine package's shortcut among all users'
    // programs; Wine's installer resolves the Start menu folder per user.
    const std::string common = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Brisola.lnk";
    const std::string own = SpecialFolder(CSIDL_PROGRAMS) + "\\Brisola.lnk";
    const std::vector<std::string> installed = {dir_ + "\\brisola.exe", dir_ + "\\brisolac.exe", help_, policies_};
    ASSERT_TRUE(InstalledVersions().empty());

    ASSERT_EQ(RunToEnd(std::string("msiexec /i ") + kPackage + " /qn"), 0u);
    for (const std::string& file : installed) EXPECT_TRUE(Exists(file)) << file;
    EXPECT_TRUE(Exists(common) || Exists(own)) << "the Start-menu shortcut";
    EXPECT_EQ(InstalledVersions(), std::vector<std::string>{BRISOLA_VERSION ".0.0"});
    UseTheProgram(false);

    // The next version replaces this one: one entry, the newer version.
    ASSERT_EQ(RunToEnd(std::string("msiexec /i ") + kNextPackage + " /qn"), 0u);
    std::vector<std::string> after = InstalledVersions();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(after[0], BRISOLA_VERSION ".0.0");
    for (const std::string& file : installed) EXPECT_TRUE(Exists(file)) << file;
    ExpectUserDataKept();

    ASSERT_EQ(RunToEnd(std::string("msiexec /x ") + kNextPackage + " /qn"), 0u);
    EXPECT_TRUE(InstalledVersions().empty());
    for (const std::string& file : installed) EXPECT_FALSE(Exists(file)) << file;
    EXPECT_FALSE(Exists(common) || Exists(own)) << "the Start-menu shortcut";
    ExpectUserDataKept();
}

}  // namespace
