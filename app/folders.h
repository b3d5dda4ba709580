// Small pieces shared by every walk over folders: the listing's owner, the
// fast listing, path joining that refuses to cut, and the real-folder check.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>

// Closes a directory listing when it goes out of scope.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Starts a listing of `pattern` without short names where the system allows
// (much cheaper on large folders and under Wine), else the plain way.
HANDLE StartListing(const char* pattern, WIN32_FIND_DATAA& data);

// "%s\%s" of folder and name; false when it does not fit, so that a cut
// path is never used.
template <size_t N>
bool JoinPath(char (&out)[N], const char* folder, const char* name) {
    int n = snprintf(out, N, "%s\\%s", folder, name);
    return n > 0 && static_cast<size_t>(n) < N;
}

// "C:\..." or "\\server\...".
bool IsAbsolutePath(const char* path);

// An absolute path to an existing folder that is not a junction or a link:
// the only kind of folder the program walks or empties.
bool IsRealFolder(const char* path);
