#include "fs/shell_folders.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

ShellFolders g_shellFolders;

bool GetSpecialFolder(int csidl, char (&out)[256]) {
    out[0] = '\0';
    if (!g_shellFolders.folderPath) return false;
    char path[MAX_PATH + 1] = {};
    if (FAILED(g_shellFolders.folderPath(nullptr, csidl, nullptr, 0, path))) return false;
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
