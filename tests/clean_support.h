// Shared helpers of the cleaning tests (header-only, included by them).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <string>

#include "sweep/safe_delete.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"

namespace cleantest {

// True once the link-safe delete really deletes a plain file. Until then
// the tests that expect deletions have nothing to observe.
inline bool SafeDeleteWorks() {
    std::string folder = MakeSandboxFolder("clean-probe");
    std::string file = folder + "\\probe.txt";
    MakeFile(file, 1);
    bool deleted = DeleteFileNoFollow(file.c_str()) && !FileExists(file);
    RemoveTree(folder);
    return deleted;
}

#define REQUIRE_SAFE_DELETE()                                                       \
    do {                                                                            \
        if (!cleantest::SafeDeleteWorks()) GTEST_SKIP() << "link-safe delete not built in"; \
    } while (0)

// Points GetTempPathA at `folder` for the life of the object.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::string& folder) {
        Save("TMP", tmp_, hadTmp_);
        Save("TEMP", temp_, hadTemp_);
        SetEnvironmentVariableA("TMP", folder.c_str());
        SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    ~TempFolderOverride() {
        SetEnvironmentVariableA("TMP", hadTmp_ ? tmp_ : nullptr);
        SetEnvironmentVariableA("TEMP", hadTemp_ ? temp_ : nullptr);
    }
    TempFolderOverride(const TempFolderOverride&) = delete;
    TempFolderOverride& operator=(const TempFolderOverride&) = delete;

private:
    static void Save(const char* name, char (&out)[1024], bool& had) {
        DWORD n = GetEnvironmentVariableA(name, out, sizeof out);
        had = n > 0 && n < sizeof out;
    }
    char tmp_[1024] = {}, temp_[1024] = {};
    bool hadTmp_ = false, hadTemp_ = false;
};

// A URL cache entry with a file of `size` bytes; `type` as committed.
inline bool AddCacheEntry(const std::string& url, DWORD size, DWORD type) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), size, "txt", file, 0)) return false;
    if (!MakeFile(file, size)) return false;
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

// Makes a Unix symlink and checks it by what Windows calls see (the exit
// code of the Unix helper is not reliable under Wine).
inline bool MakeLink(const std::string& target, const std::string& link, bool directory) {
    MakeUnixSymlink(target, link);
    // The Unix helper may still be running when MakeUnixSymlink returns.
    for (int i = 0; i < 200; ++i) {
        if (directory ? IsDirectoryLink(link) : GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

inline bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline void MakeTypedUrls() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char url[] = "http://typed.example/";
        RegSetValueExA(key, "url1", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url);
        RegCloseKey(key);
    }
}

inline LONGLONG RecycleBinItems() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinA(nullptr, &info))) return -1;
    return info.i64NumItems;
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
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return std::string();
    return path;
}

}  // namespace cleantest

#include <functional>
#include <mutex>
#include <vector>

#include "resource.h"

namespace cleantest {

// Answers confirmation dialogs (149) from a helper thread for as long as it
// lives, recording each subject shown; `answer` gives the command to post
// (IDC_CONF_OK, IDC_CONF_CANCEL, or 0 for WM_CLOSE). Any other message box
// that pops up (Wine's own delete confirmation) is answered Yes.
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
    int OtherBoxes() const { return otherBoxes_; }

private:
    static bool IsConfirm(HWND w) { return HasControls(w, {IDC_CONF_OK, IDC_CONF_CANCEL, IDC_CONF_TEXT}); }
    static bool IsForeignBox(HWND w) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (strcmp(cls, "#32770") != 0 || IsConfirm(w)) return false;
        return GetDlgItem(w, IDYES) != nullptr && GetDlgItem(w, IDC_PROG_BAR) == nullptr;
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
                if (command) PostMessageA(box, WM_COMMAND, command, 0);
                else PostMessageA(box, WM_CLOSE, 0, 0);
                last = box;
            }
            HWND other = FindProcessWindow([](HWND w) { return IsWindowVisible(w) && IsForeignBox(w); });
            if (other) {
                ++self->otherBoxes_;
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
    volatile LONG otherBoxes_ = 0;
    HANDLE thread_ = nullptr;
};

}  // namespace cleantest
