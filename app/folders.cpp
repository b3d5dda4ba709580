#include "app/folders.h"

#include <atomic>

namespace {
// Cleared once the system refuses the basic listing (older Windows).
std::atomic<bool> g_basicListing{true};
}  // namespace

HANDLE StartListing(const char* pattern, WIN32_FIND_DATAA& data) {
    if (g_basicListing.load(std::memory_order_relaxed)) {
        HANDLE find = FindFirstFileExA(pattern, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return find;
        g_basicListing.store(false, std::memory_order_relaxed);
    }
    return FindFirstFileA(pattern, &data);
}

bool IsAbsolutePath(const char* path) {
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
                 path[2] == '\\';
    bool unc = path[0] == '\\' && path[1] == '\\' && path[2] != '\0' && path[2] != '\\';
    return drive || unc;
}

bool IsRealFolder(const char* path) {
    if (!path || !IsAbsolutePath(path)) return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
