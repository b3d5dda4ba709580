#include "support/test_support.h"

#include <commctrl.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "resource.h"
#include "settings/settings.h"

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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        PumpMessages(10);
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

bool IsSplash(HWND window) {
    HWND child = GetWindow(window, GW_CHILD);
    return child && GetWindow(child, GW_HWNDNEXT) == nullptr && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
           GetWindow(window, GW_OWNER) != nullptr;
}

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
    // Links are removed by name from the Unix side, never walked into.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveUnixLink(path);
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Wine shows a file symlink as a plain file and DeleteFileA would
        // delete its target: remove links from the Unix side.
        if (IsUnixSymlink(path)) {
            RemoveUnixLink(path);
            return;
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
            std::string child = path + "\\" + data.cFileName;
            RemoveTree(child);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
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

std::string Quote(const std::string& s) { return "\"" + s + "\""; }
}  // namespace

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
    return RunUnix("\\\\?\\unix\\bin\\ln -s " + Quote(target) + " " + Quote(link)) == 0;
}

bool IsUnixSymlink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    if (path.empty()) return false;
    return RunUnix("\\\\?\\unix\\usr\\bin\\test -L " + Quote(path)) == 0;
}

void RemoveUnixLink(const std::string& windowsPath) {
    std::string path = UnixPath(windowsPath);
    if (!path.empty()) RunUnix("\\\\?\\unix\\bin\\rm -f " + Quote(path));
}

void ResetProgramState() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProgramKey);
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    std::string dir = path;
    DeleteFileA((dir + "\\datafilters.txt").c_str());
    DeleteFileA((dir + "\\datacookies.txt").c_str());
}
