// Shared helpers of the cleaning tests (header-only, included by them).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"

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

// Makes a Unix symlink and waits until Windows calls see it (the helper's
// exit code is not reliable under Wine).
inline bool MakeLink(const std::string& target, const std::string& link, bool directory) {
    MakeUnixSymlink(target, link);
    return PollUntil([&] {
        return directory ? IsDirectoryLink(link) : GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
    }, 2000);
}

const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

inline bool TypedUrlsExist() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrls, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline void MakeTypedUrls() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kTypedUrls, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char url[] = "http://typed.example/";
        RegSetValueExA(key, "url1", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url);
        RegCloseKey(key);
    }
}

inline LONGLONG RecycleBinItems() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    return FAILED(SHQueryRecycleBinA(nullptr, &info)) ? -1 : info.i64NumItems;
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

inline std::string TempShown() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
}

// The confirmations of a CLEAN with every category ticked, in order.
inline std::vector<std::string> AllConfirmSubjects() {
    std::vector<std::string> out;
    for (int csidl : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_RECENT}) {
        std::string path = SpecialFolder(csidl);
        if (!path.empty()) out.push_back(path);
    }
    out.push_back(TempShown());
    out.push_back(SpecialFolder(CSIDL_HISTORY));
    out.push_back("Temporary Files");
    out.push_back("Recycle Bin");
    out.push_back("Browser caches");
    out.push_back(SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Microsoft\\Windows\\Explorer");
    out.push_back("Crash dumps and error reports");
    return out;
}

// Answers confirmation dialogs from a helper thread for as long as it
// lives, recording each subject shown; `answer` gives the command to post
// (IDC_CONF_OK, IDC_CONF_CANCEL, or 0 for WM_CLOSE). Any other message box
// (Wine's own delete confirmation) is answered Yes.
class ConfirmResponder {
public:
    explicit ConfirmResponder(std::function<int(const std::string&)> answer) : answer_(std::move(answer)) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~ConfirmResponder() {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    ConfirmResponder(const ConfirmResponder&) = delete;
    ConfirmResponder& operator=(const ConfirmResponder&) = delete;

    std::vector<std::string> Subjects() {
        std::lock_guard<std::mutex> lock(mutex_);
        return subjects_;
    }

private:
    static bool IsConfirm(HWND w) { return HasControls(w, {IDC_CONF_OK, IDC_CONF_CANCEL, IDC_CONF_TEXT}); }
    static bool IsForeignBox(HWND w) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        return strcmp(cls, "#32770") == 0 && !IsConfirm(w) && GetDlgItem(w, IDYES) && !GetDlgItem(w, IDC_PROG_BAR);
    }
    static DWORD WINAPI Run(LPVOID param) {
        auto* self = static_cast<ConfirmResponder*>(param);
        HWND last = nullptr;
        while (!self->stop_) {
            HWND box = FindProcessWindow([](HWND w) { return IsWindowVisible(w) && IsConfirm(w); });
            if (box && box != last) {
                char text[256] = {};
                GetDlgItemTextA(box, IDC_CONF_TEXT, text, sizeof text);
                {
                    std::lock_guard<std::mutex> lock(self->mutex_);
                    self->subjects_.push_back(text);
                }
                int command = self->answer_(text);
                PostMessageA(box, command ? WM_COMMAND : WM_CLOSE, command, 0);
                last = box;
            }
            if (HWND other = FindProcessWindow([](HWND w) { return IsWindowVisible(w) && IsForeignBox(w); })) {
                PostMessageA(other, WM_COMMAND, IDYES, 0);
                Sleep(200);
            }
            Sleep(10);
        }
        return 0;
    }
    std::function<int(const std::string&)> answer_;
    std::mutex mutex_;
    std::vector<std::string> subjects_;
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
};

}  // namespace cleantest
