#include "support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/startup.h"
#include "cookies/cookies.h"
#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "settings/settings.h"
#include "jobs/job_runner.h"
#include "sweep/sweep.h"

namespace {
std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The splash dialog: one SS_BITMAP static, owned by the main window.
bool IsSplash(HWND window) {
    HWND child = GetWindow(window, GW_CHILD);
    return child && GetWindow(child, GW_HWNDNEXT) == nullptr && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
           GetWindow(window, GW_OWNER) != nullptr;
}

// Runs a Unix program (Wine starts ELF binaries natively).
void RunUnix(std::string commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    // Wine starts a Unix program without a process handle and leaves
    // stack junk in the rest of `pi`: closing that "thread handle" would
    // close whatever handle of ours has the value (once, the cached key
    // behind HKEY_LOCAL_MACHINE, and every shell-folder lookup after it
    // failed). Only a real start has handles to close.
    if (!pi.hProcess) return;
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}
}  // namespace

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done(); Sleep(10)) {
        if (GetTickCount() - start > timeoutMs) return false;
        PumpPending();
    }
    return true;
}

bool PollUntil(const std::function<bool()>& done, DWORD ms) {
    for (DWORD start = GetTickCount(); !done(); Sleep(5))
        if (GetTickCount() - start > ms) return false;
    return true;
}

HWND FindProcessWindow(const std::function<bool(HWND)>& match) {
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, nullptr); w; w = FindWindowExA(nullptr, w, nullptr, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && match(w)) return w;
    }
    return nullptr;
}

bool HasControls(HWND window, std::initializer_list<int> ids) {
    for (int id : ids)
        if (!GetDlgItem(window, id)) return false;
    return true;
}

WindowHelper::WindowHelper(std::function<bool(HWND)> match, std::function<void(HWND)> action, DWORD timeoutMs)
    : thread_([this, match, action, timeoutMs] {
          for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
              HWND window = FindProcessWindow(match);
              if (window && IsWindowVisible(window)) {
                  action(window);
                  state_ = 2;
                  return;
              }
          }
          state_ = 1;
      }) {}

bool WindowHelper::Join(DWORD timeoutMs) { return PumpUntil([&] { return state_ != 0; }, timeoutMs) && state_ == 2; }

void CreateMainWindowForTest() {
    WindowHelper splash(IsSplash, [](HWND w) { PostMessageA(w, WM_LBUTTONDOWN, 0, 0); });
    CreateMainWindow();
    splash.Join();
}

bool DestroyMainWindowForTest() {
    HWND window = g_app.mainWindow;
    g_app.mainWindow = nullptr;
    if (!window || !IsWindow(window)) return false;
    DestroyWindow(window);
    MSG msg;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (msg.message == WM_QUIT) return msg.wParam == 0;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

void Command(int id) { SendMessageA(g_app.mainWindow, WM_COMMAND, id, 0); }

bool WaitForJobEnd() {
    if (!PumpUntil([] { return !IsJobRunning(); }, 30000)) return false;
    // The lists are filled from a message the job's end posted.
    PumpPending();
    return true;
}

std::string MakeSandboxFolder(const std::string& name) {
    CreateDirectoryA("C:\\brisola-tests", nullptr);
    std::string path = "C:\\brisola-tests\\" + name;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool MakeFile(const std::string& path, unsigned long long size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD ignored = 0;
    if (size > 1024 * 1024) DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    bool ok = size == 0 || (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
    // From the Unix side: rm never follows links, while Win32 calls under
    // Wine resolve them. Only the tests' own folders, or what they planted
    // in the sandbox's application data, may be removed.
    char local[MAX_PATH] = {}, roaming[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, roaming);
    bool allowed = false;
    for (std::string root : {std::string("C:\\brisola-tests"), std::string("E:\\brisola-tests"), std::string(local),
                             std::string(roaming)}) {
        root += "\\";
        allowed |= root.size() > 3 && path.size() > root.size() && _strnicmp(path.c_str(), root.c_str(), root.size()) == 0;
    }
    std::string unix = UnixPath(path);
    if (allowed && path.find("..") == std::string::npos && !unix.empty()) RunShell("rm -rf -- " + Quote(unix));
}

// Wine starts the Unix program but neither waits for it nor hands back its
// exit code, so the shell writes its status into a marker file that we
// wait for.
bool RunShell(const std::string& command) {
    CreateDirectoryA("C:\\brisola-tests", nullptr);
    char marker[MAX_PATH];
    static LONG counter = 0;
    snprintf(marker, sizeof marker, "C:\\brisola-tests\\.status-%lu-%ld", GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    std::string unixMarker = UnixPath(marker), partial = unixMarker + ".part";
    if (unixMarker.empty()) return false;
    RunUnix("\\\\?\\unix\\bin\\sh -c \"" + command + "; echo $? > '" + partial + "'; mv '" + partial + "' '" +
            unixMarker + "'\"");
    if (!PollUntil([&] { return GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES; })) return false;
    std::string status = ReadWholeFile(marker);
    DeleteFileA(marker);
    return status.compare(0, 1, "0") == 0;
}

std::string UnixPath(const std::string& windowsPath) {
    static auto unixName = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH * 2];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2)) return "";
    char* result = unixName(wide);
    std::string out = result ? result : "";
    HeapFree(GetProcessHeap(), 0, result);
    return out;
}

bool MakeUnixSymlink(const std::string& targetWindowsPath, const std::string& linkWindowsPath) {
    std::string target = UnixPath(targetWindowsPath), link = UnixPath(linkWindowsPath);
    if (target.empty() || link.empty()) return false;
    RunShell("ln -s " + Quote(target) + " " + Quote(link));
    return PollUntil([&] { return GetFileAttributesA(linkWindowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; }, 2000);
}

bool IsUnixSymlink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    return !path.empty() && RunShell("test -L " + Quote(path));
}

void RemoveUnixLink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    if (!path.empty()) RunShell("test -L " + Quote(path) + " && rm -f " + Quote(path));
}

bool MapUnixDrive(char letter, const std::string& targetWindowsPath) {
    std::string link = std::string("\"$WINEPREFIX/dosdevices/") + static_cast<char>(tolower(letter)) + ":\"";
    if (targetWindowsPath.empty()) return RunShell("test -L " + link + " && rm -f " + link);
    std::string target = UnixPath(targetWindowsPath), root = std::string(1, letter) + ":\\";
    return !target.empty() && RunShell("test -n \"$WINEPREFIX\" && ln -sfn " + Quote(target) + " " + link) &&
           PollUntil([&] { return GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES; }, 3000);
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    fclose(file);
    return text;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string FiltersFilePath() { return ProgramDataFile("datafilters.txt").shared; }

std::string KeptCookiesFilePath() { return ProgramDataFile("datacookies.txt").shared; }

std::string CookieFolder() {
    char folder[256];
    return GetSpecialFolder(CSIDL_COOKIES, folder) ? folder : "";
}

void ResetProgramState() {
    ClearDriveCleaner();
    ClearCookieLists();
    ResetSweepTableForTest();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    for (const char* name : {"datafilters.txt", "datacookies.txt", "datasites.txt"}) {
        DataFilePaths paths = ProgramDataFile(name);
        for (const std::string& path : {paths.shared, paths.user})
            for (const char* suffix : {"", ".bak", ".tmp"}) DeleteFileA((path + suffix).c_str());
    }
}

void ClearDriveCleaner() {
    ClearFilterTable();
    ClearFoundFiles();
    ClearDiskScanReport();
}

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    return text;
}

int RowCount(HWND list) { return ListView_GetItemCount(list); }

int StateImage(HWND list, int row) { return static_cast<int>(ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12); }

void SetStateImage(HWND list, int row, int image) {
    ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

int FindRow(HWND list, const std::string& name) {
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void ToggleRow(HWND list, int row) {
    int before = StateImage(list, row);
    ListView_SetItemState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
    PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    for (int i = 0; i < 200 && StateImage(list, row) == before; ++i) Sleep(10);
}
