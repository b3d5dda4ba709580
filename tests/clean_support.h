// Shared helpers of the cleaning tests (header-only, included by them).
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <string>

#include "support/test_support.h"
#include "sweep/clean_context.h"
#include "sweep/cleaning.h"
#include "sweep/sweep.h"

namespace cleantest {

// Points GetTempPathA at `folder` for the life of the object.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::string& folder) {
        for (int i = 0; i < 2; ++i) {
            DWORD n = GetEnvironmentVariableA(kNames[i], saved_[i], sizeof saved_[i]);
            had_[i] = n > 0 && n < sizeof saved_[i];
            SetEnvironmentVariableA(kNames[i], folder.c_str());
        }
    }
    ~TempFolderOverride() {
        for (int i = 0; i < 2; ++i) SetEnvironmentVariableA(kNames[i], had_[i] ? saved_[i] : nullptr);
    }
    TempFolderOverride(const TempFolderOverride&) = delete;
    TempFolderOverride& operator=(const TempFolderOverride&) = delete;

private:
    static constexpr const char* kNames[2] = {"TMP", "TEMP"};
    char saved_[2][1024] = {};
    bool had_[2] = {};
};

// A clean of `ticks` as brisolac runs one, asking `confirm`, if given.
inline void Clean(const CategoryTicks& ticks, CleanConfirmer confirm = nullptr) {
    CleanContext context;
    context.confirm = confirm;
    CleanCategoriesWithTicks(ticks, context);
}

inline CategoryTicks Only(int row) {
    CategoryTicks ticks = {};
    ticks[row] = 1;
    return ticks;
}

// A URL cache entry with a file of `size` bytes; `type` as committed.
inline bool AddCacheEntry(const std::string& url, DWORD size, DWORD type) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), size, "txt", file, 0) || !MakeFile(file, size)) return false;
    FILETIME zero = {};
    return CommitUrlCacheEntryA(url.c_str(), file, zero, zero, type, nullptr, 0, nullptr, nullptr) != FALSE;
}

inline bool CacheEntryExists(const std::string& url) {
    DWORD size = 0;
    GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// A directory link as Wine shows it (a Unix symlink to a folder).
inline bool IsDirectoryLink(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Sets a value under root\path, making the key; true when it was set.
inline bool SetRegValue(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG set = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

inline bool SetRegDword(HKEY root, const std::string& path, const char* name, DWORD value) {
    return SetRegValue(root, path, name, REG_DWORD, &value, sizeof value);
}

inline bool KeyExists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Moves a file to the Recycle Bin without any user interface.
inline bool RecycleFile(const std::string& path) {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0;
}

inline std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    return FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? std::string() : path;
}

}  // namespace cleantest
