// Data files: capped reads, atomic replacement with a .bak, and the choice
// between the shared copy and the user's own.
#include "fs/data_file.h"

#include "fs/tree.h"

#include <windows.h>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool IsAbsentError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The write time of a file that exists but cannot be opened; when even that
// is unknown it counts as the newest, so that it is never passed over.
unsigned long long WriteTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return ~0ULL;
    return Ticks(data.ftLastWriteTime);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES || !IsAbsentError(GetLastError());
}

bool WriteNewFile(const std::string& path, const std::string& bytes, bool removeLeftover = true) {
    // Never written through whatever stands at the name (a link, a stale
    // leftover of ours): it goes first, and the file must be new.
    if (removeLeftover) DeleteOwnFile(path.c_str());
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - done < (1u << 20) ? bytes.size() - done : (1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
        done += chunk;
    }
    return FlushFileBuffers(file.get()) != FALSE;
}

// Creates the folders leading to `path` that do not exist yet.
void MakeParentFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

}  // namespace

DataFileStatus ReadDataFile(const std::string& path, size_t maxBytes, std::string& bytes, bool& cut,
                            unsigned long long& writeTime) {
    bytes.clear();
    cut = false;
    writeTime = 0;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (IsAbsentError(GetLastError())) return DataFileStatus::kAbsent;
        writeTime = WriteTimeOf(path);
        return DataFileStatus::kUnreadable;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) {
        writeTime = ~0ULL;
        return DataFileStatus::kUnreadable;
    }
    writeTime = Ticks(info.ftLastWriteTime);
    unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    bytes.reserve(static_cast<size_t>(size < maxBytes ? size : maxBytes));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            bytes.clear();
            return DataFileStatus::kUnreadable;
        }
        if (got == 0) break;
        if (bytes.size() + got > maxBytes) {
            bytes.append(buffer, maxBytes - bytes.size());
            cut = true;
            break;
        }
        bytes.append(buffer, got);
    }
    if (cut) {
        // A cut word could read as a different name or filter: only whole
        // lines are kept.
        size_t end = bytes.find_last_of('\n');
        bytes.resize(end == std::string::npos ? 0 : end + 1);
    }
    return DataFileStatus::kRead;
}

bool ReplaceDataFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    std::string current;
    bool cut = false;
    unsigned long long time = 0;
    DataFileStatus status = ReadDataFile(path, kDataFileMaxBytes, current, cut, time);
    if (status == DataFileStatus::kRead && !cut && current == bytes) return true;
    std::string temp = path + ".tmp", backup = path + ".bak";
    if (!WriteNewFile(temp, bytes)) {
        DeleteOwnFile(temp.c_str());
        return false;
    }
    // The previous file stays where it is until the new one is moved over
    // it, so that there is never a moment without one.
    bool kept = status == DataFileStatus::kAbsent ||
                ((DeleteOwnFile(backup.c_str()) || !Exists(backup)) && CopyFileA(path.c_str(), backup.c_str(), TRUE));
    if (!kept || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteOwnFile(temp.c_str());
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    // A name of this process's own: a file the user keeps beside the report
    // is never taken for a leftover of ours.
    std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    if (Exists(temp)) return false;
    if (!WriteNewFile(temp, bytes, false) ||
        !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteOwnFile(temp.c_str());
        return false;
    }
    return true;
}

bool RetireDataFile(const std::string& path) {
    if (path.empty() || !Exists(path)) return true;
    std::string backup = path + ".bak";
    return MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool DataFile::Load(const DataFilePaths& paths, std::string& bytes) {
    *this = DataFile();
    bytes.clear();
    std::string userBytes;
    bool sharedCut = false, userCut = false;
    unsigned long long sharedTime = 0, userTime = 0;
    DataFileStatus shared = DataFileStatus::kAbsent, user = DataFileStatus::kAbsent;
    if (!paths.shared.empty()) shared = ReadDataFile(paths.shared, kDataFileMaxBytes, bytes, sharedCut, sharedTime);
    if (!paths.user.empty()) user = ReadDataFile(paths.user, kDataFileMaxBytes, userBytes, userCut, userTime);
    sharedWritable_ = shared != DataFileStatus::kUnreadable;
    userWritable_ = user != DataFileStatus::kUnreadable;
    bool useUser = user != DataFileStatus::kAbsent && (shared == DataFileStatus::kAbsent || userTime > sharedTime);
    DataFileStatus chosen = useUser ? user : shared;
    if (useUser) bytes.swap(userBytes);
    if (chosen == DataFileStatus::kAbsent) return false;
    if (chosen == DataFileStatus::kUnreadable || (useUser ? userCut : sharedCut)) refused_ = true;
    return chosen == DataFileStatus::kRead;
}

bool DataFile::WriteUserCopy(const DataFilePaths& paths, const std::string& bytes) const {
    if (!userWritable_ || paths.user.empty()) return false;
    MakeParentFolders(paths.user);
    return ReplaceDataFile(paths.user, bytes);
}

bool DataFile::Save(const DataFilePaths& paths, const std::string& bytes) {
    if (refused_) return false;
    if (sharedWritable_ && ReplaceDataFile(paths.shared, bytes)) return true;
    return WriteUserCopy(paths, bytes);
}

bool DataFile::Remove(const DataFilePaths& paths) {
    if (refused_) return false;
    if (sharedWritable_ && RetireDataFile(paths.shared)) {
        if (!userWritable_ || RetireDataFile(paths.user)) return true;
    }
    return WriteUserCopy(paths, std::string());
}
