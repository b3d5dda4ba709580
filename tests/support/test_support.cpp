#include "support/test_support.h"

#include "support/test_files.h"

#include <commctrl.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <cctype>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "cookies/cookies.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "resource.h"
#include "settings/settings.h"
#include "sweep/progress.h"
#include "sweep/results_list.h"

namespace {
std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Dispatches this thread's messages for about `ms` milliseconds.
void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        PumpMessages(10);
    }
    return true;
}

bool PollUntil(const std::function<bool()>& done, DWORD ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

namespace {
struct FindState {
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && (*state->match)(window)) {
        state->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(const std::function<bool(HWND)>& match) {
    FindState state{&match, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

bool HasControls(HWND window, std::initializer_list<int> ids) {
    for (int id : ids)
        if (!GetDlgItem(window, id)) return false;
    return true;
}

WindowHelper::WindowHelper(std::function<bool(HWND)> match, std::function<void(HWND)> action, DWORD timeoutMs)
    : match_(std::move(match)), action_(std::move(action)), timeoutMs_(timeoutMs) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

WindowHelper::~WindowHelper() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
}

DWORD WINAPI WindowHelper::Run(LPVOID param) {
    auto* self = static_cast<WindowHelper*>(param);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < self->timeoutMs_) {
        HWND window = FindProcessWindow(self->match_);
        if (window && IsWindowVisible(window)) {
            InterlockedExchange(&self->found_, 1);
            self->action_(window);
            return 0;
        }
        Sleep(20);
    }
    return 0;
}

bool WindowHelper::Join(DWORD timeoutMs) {
    bool finished = PumpUntil([&] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, timeoutMs);
    return finished && found_ != 0;
}

namespace {
// The splash dialog: one SS_BITMAP static, owned by the main window.
bool IsSplash(HWND window) {
    HWND child = GetWindow(window, GW_CHILD);
    return child && GetWindow(child, GW_HWNDNEXT) == nullptr && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
           GetWindow(window, GW_OWNER) != nullptr;
}
}  // namespace

void CreateMainWindowForTest() {
    WindowHelper splash(IsSplash, [](HWND w) { PostMessageA(w, WM_LBUTTONDOWN, 0, 0); });
    CreateMainWindow();
    splash.Join();
}

bool DestroyMainWindowForTest() {
    if (g_app.mainWindow && IsWindow(g_app.mainWindow)) DestroyWindow(g_app.mainWindow);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 5000) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return msg.wParam == 0;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            Sleep(5);
        }
    }
    return false;
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
    bool ok = true;
    if (size > 0) {
        DWORD ignored = 0;
        if (size > 1024 * 1024) DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size);
        ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    }
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
    // Wine resolve them. Only the tests' own folder, or what they planted
    // in the sandbox's local application data, may be removed.
    char local[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
    bool allowed = false;
    for (std::string root : {std::string("C:\\brisola-tests"), std::string(local)}) {
        root += "\\";
        if (root.size() > 3 && path.size() > root.size() && _strnicmp(path.c_str(), root.c_str(), root.size()) == 0)
            allowed = true;
    }
    if (!allowed || path.find("..") != std::string::npos) return;
    std::string unix = UnixPath(path);
    if (!unix.empty()) RunShell("rm -rf -- " + Quote(unix));
}

namespace {
typedef char*(CDECL* UnixNameFunction)(LPCWSTR);

// Runs a Unix program (Wine starts ELF binaries natively) and waits.
int RunUnix(const std::string& commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return static_cast<int>(code);
}

}  // namespace

// Wine starts the Unix program but neither waits for it nor hands back its
// exit code, so the shell writes its status into a marker file that we
// wait for.
bool RunShell(const std::string& command) {
    CreateDirectoryA("C:\\brisola-tests", nullptr);
    char marker[MAX_PATH];
    static LONG counter = 0;
    snprintf(marker, sizeof marker, "C:\\brisola-tests\\.status-%lu-%ld", GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty()) return false;
    std::string partial = unixMarker + ".part";
    RunUnix("\\\\?\\unix\\bin\\sh -c \"" + command + "; echo $? > '" + partial + "'; mv '" + partial + "' '" +
            unixMarker + "'\"");
    DWORD start = GetTickCount();
    while (GetFileAttributesA(marker) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 10000) return false;
        Sleep(2);
    }
    char status[16] = {};
    HANDLE file = CreateFileA(marker, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, status, sizeof status - 1, &got, nullptr);
        CloseHandle(file);
    }
    DeleteFileA(marker);
    return status[0] == '0';
}

// The Unix path of a Windows path of this prefix, for making symlinks.
std::string UnixPath(const std::string& windowsPath) {
    static auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::string();
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2)) return std::string();
    char* result = unixName(wide);
    if (!result) return std::string();
    std::string out = result;
    HeapFree(GetProcessHeap(), 0, result);
    return out;
}

bool MakeUnixSymlink(const std::string& targetWindowsPath, const std::string& linkWindowsPath) {
    std::string target = UnixPath(targetWindowsPath), link = UnixPath(linkWindowsPath);
    if (target.empty() || link.empty()) return false;
    return RunShell("ln -s " + Quote(target) + " " + Quote(link));
}

bool IsUnixSymlink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    return !path.empty() && RunShell("test -L " + Quote(path));
}

void RemoveUnixLink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    if (!path.empty()) RunShell("test -L " + Quote(path) + " && rm -f " + Quote(path));
}

void ResetProgramState() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    if (!g_app.folderPath) InitShell();  // a main window's end let shfolder.dll go
    for (const char* name : {"datafilters.txt", "datacookies.txt"}) {
        DataFilePaths paths = ProgramDataFile(name);
        for (const std::string& path : {paths.shared, paths.user})
            for (const char* suffix : {"", ".bak", ".tmp"}) DeleteFileA((path + suffix).c_str());
    }
}

void ClearDriveCleaner() {
    ClearFilterTable();
    ClearFoundFiles();
    SetFoundFilesTotals(0, 0);
}

std::string SizeText(unsigned long long bytes) {
    char text[64];
    FormatSize(bytes, text, sizeof text);
    return text;
}

void CloseMainWindowForTest() {
    if (g_app.mainWindow && IsWindow(g_app.mainWindow)) DestroyMainWindowForTest();
    g_app.mainWindow = nullptr;
}

void Command(int id) { SendMessageA(g_app.mainWindow, WM_COMMAND, id, 0); }

bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(g_app.mainWindow, id)) != FALSE; }

bool WaitForJobEnd() { return PumpUntil([] { return !IsJobRunning(); }, 30000); }

void QuietJobSettings::Apply() {
    askDel_ = g_settings.askDel;
    sound_ = g_settings.enableSnd;
    g_settings.askDel = 0;
    g_settings.enableSnd = 0;
}

void QuietJobSettings::Restore() const {
    g_settings.askDel = askDel_;
    g_settings.enableSnd = sound_;
}

void ResetCookieLists() {
    ClearCookieLists();
    DeleteFileA(KeptCookiesFilePath().c_str());
}

bool MapUnixDrive(char letter, const std::string& targetWindowsPath) {
    std::string target = UnixPath(targetWindowsPath);
    if (target.empty()) return false;
    std::string link = std::string("\"$WINEPREFIX/dosdevices/") + static_cast<char>(tolower(letter)) + ":\"";
    return RunShell("test -n \"$WINEPREFIX\" && ln -sfn " + Quote(target) + " " + link);
}

void UnmapUnixDrive(char letter) {
    std::string link = std::string("\"$WINEPREFIX/dosdevices/") + static_cast<char>(tolower(letter)) + ":\"";
    RunShell("test -L " + link + " && rm -f " + link);
}
