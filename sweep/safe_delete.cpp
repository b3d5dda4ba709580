// The link-safe delete. A walk sees a name; before anything is deleted the
// entry is opened without following reparse points, and the handle's final
// path must be the walked path resolved the same way (the final path of the
// walked parent folder plus the walked name). A link, or an entry swapped
// for a link after the walk, resolves elsewhere and is left alone. The
// delete then goes through that same handle, so nothing else can be hit.
#include "sweep/safe_delete.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

HANDLE OpenNoFollow(const char* path, DWORD access) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Attributes through the handle. The basic query is one cheap call, where
// GetFileInformationByHandle also asks the volume for its serial number.
bool Attributes(HANDLE h, DWORD& attributes) {
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return false;
    attributes = basic.FileAttributes;
    return true;
}

bool FinalPath(HANDLE h, std::string& out) {
    char buffer[1024];
    DWORD n = GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof buffer) return false;
    out.assign(buffer, n);
    return true;
}

// Splits "folder\name"; false for anything that is not a plain child path.
bool SplitPath(const char* path, std::string& folder, std::string& name) {
    size_t len = strnlen(path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return false;  // never act on a cut path
    const char* slash = strrchr(path, '\\');
    if (!slash || slash == path || slash[1] == '\0') return false;
    folder.assign(path, slash - path);
    name.assign(slash + 1);
    if (name == "." || name == ".." || name.find('/') != std::string::npos) return false;
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // "C:" alone means the current folder
    return true;
}

// True when the folder, as listed in its own parent, is a junction or a
// symbolic link. A walk never enters such a folder, so no walked entry can
// lie directly in one. (Wine resolves links when they are opened, so the
// listing is the only place where they show.)
bool IsLinkedFolder(const std::string& folder) {
    if (folder.size() <= 3) return false;  // a drive root
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(folder.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return true;
    FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The walked folder's final path, cached per thread: deletes come in runs
// from one folder. A folder swapped for a link later still fails the
// comparison, because the cached value is what the walk saw.
bool ExpectedFinalPath(const std::string& folder, const std::string& name, std::string& out) {
    thread_local std::string cachedFolder;
    thread_local std::string cachedFinal;
    if (folder != cachedFolder || cachedFinal.empty()) {
        if (IsLinkedFolder(folder)) return false;
        Handle dir(OpenNoFollow(folder.c_str(), FILE_READ_ATTRIBUTES));
        if (!dir.valid()) return false;
        DWORD attributes = 0;
        if (!Attributes(dir.get(), attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        std::string final;
        if (!FinalPath(dir.get(), final)) return false;
        cachedFolder = folder;
        cachedFinal = final;
    }
    out = cachedFinal;
    if (out.empty() || out.back() != '\\') out += '\\';
    out += name;
    return true;
}

bool DeleteNoFollow(const char* path, bool wantDirectory) {
    std::string folder, name, expected, actual;
    if (!path || !SplitPath(path, folder, name)) return false;
    Handle entry(OpenNoFollow(path, DELETE | FILE_READ_ATTRIBUTES));
    if (!entry.valid()) return false;
    DWORD attributes = 0;
    if (!Attributes(entry.get(), attributes)) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    bool isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isDirectory != wantDirectory) return false;
    if (!FinalPath(entry.get(), actual) || !ExpectedFinalPath(folder, name, expected)) return false;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, actual.c_str(), -1, expected.c_str(), -1) != CSTR_EQUAL)
        return false;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

}  // namespace

bool DeleteFileNoFollow(const char* path) { return DeleteNoFollow(path, false); }

bool RemoveDirectoryNoFollow(const char* path) { return DeleteNoFollow(path, true); }
