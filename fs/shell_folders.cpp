#include "fs/shell_folders.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

struct ShellFolderState {
    // Guards the rest, and is held through each lookup so that the library
    // is never freed under a thread that is calling into it.
    std::mutex lock;
    bool loaded = false;
    HMODULE library = nullptr;  // shfolder.dll, or null
    FolderPathFunction folderPath = nullptr;
    bool missingForTest = false;
};
ShellFolderState g_shell;

// With the lock held.
FolderPathFunction LoadedFunction() {
    if (!g_shell.loaded) {
        g_shell.loaded = true;
        g_shell.library = LoadLibraryA("shfolder.dll");
        g_shell.folderPath = g_shell.library ? reinterpret_cast<FolderPathFunction>(reinterpret_cast<void*>(
                                                   GetProcAddress(g_shell.library, "SHGetFolderPathA")))
                                             : nullptr;
    }
    return g_shell.missingForTest ? nullptr : g_shell.folderPath;
}

}  // namespace

bool LoadShellFolders() {
    std::lock_guard<std::mutex> hold(g_shell.lock);
    return LoadedFunction() != nullptr;
}

void FreeShellFolders() {
    std::lock_guard<std::mutex> hold(g_shell.lock);
    if (g_shell.library) FreeLibrary(g_shell.library);
    g_shell.library = nullptr;
    g_shell.folderPath = nullptr;
    g_shell.loaded = false;
}

void SetShellFoldersMissingForTest(bool missing) {
    std::lock_guard<std::mutex> hold(g_shell.lock);
    g_shell.missingForTest = missing;
}

bool GetSpecialFolder(int csidl, char (&out)[256]) {
    out[0] = '\0';
    char path[MAX_PATH + 1] = {};
    {
        std::lock_guard<std::mutex> hold(g_shell.lock);
        FolderPathFunction folderPath = LoadedFunction();
        if (!folderPath || FAILED(folderPath(nullptr, csidl, nullptr, 0, path))) return false;
    }
    size_t len = strnlen(path, sizeof path);
    if (len == 0 || len >= sizeof out) return false;
    memcpy(out, path, len + 1);
    return true;
}

// Asked of Windows each time: the console program has no start-up of the
// GUI's kind, and a data file must never be looked for in the current folder.
bool WindowsDirFile(const char* name, char (&out)[256]) {
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    int n = length > 0 && length < sizeof windows ? snprintf(out, sizeof out, "%s\\%s", windows, name) : -1;
    if (n < 0 || n >= static_cast<int>(sizeof out)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

DataFilePaths ProgramDataFile(const char* name) {
    DataFilePaths paths;
    char path[256];
    if (WindowsDirFile(name, path)) paths.shared = path;
    char appData[256];
    if (GetSpecialFolder(CSIDL_APPDATA, appData)) {
        int n = snprintf(path, sizeof path, "%s\\VOSK Software\\Brisola\\%s", appData, name);
        if (n > 0 && n < static_cast<int>(sizeof path)) paths.user = path;
    }
    return paths;
}
