// The protected folders, by identity. Under Wine every drive letter has a
// serial of its own, even letters that lead into one Unix file system, so
// there the file ID alone decides; a false match can only refuse.
#include "fs/identity.h"

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fs/nt.h"
#include "fs/redirection.h"

namespace {

struct ProtectedSet {
    bool anyVolume = false;             // match on the file ID alone (Wine)
    std::vector<FileIdentity> folders;  // the folders and every folder above them
};

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

nt::Handle OpenFolderByPath(const std::wstring& path) {
    nt::Count(nt::Call::Open);
    return nt::Handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

void AddIdentity(std::vector<FileIdentity>& out, HANDLE handle) {
    FileIdentity id;
    if (IdentityOf(handle, id)) out.push_back(id);
}

// Adds the folder and each folder above it, as the folder really lies (its
// final path, links resolved).
void AddFolderAndParents(std::vector<FileIdentity>& out, const std::wstring& path) {
    if (path.empty()) return;
    nt::Handle folder = OpenFolderByPath(path);
    if (!folder) return;
    AddIdentity(out, folder.get());
    std::vector<wchar_t> finalPath(32768);
    DWORD n = GetFinalPathNameByHandleW(folder.get(), finalPath.data(), 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= 32768) return;
    std::wstring real(finalPath.data(), n);
    // "\\?\C:\a\b": the root "\\?\C:\", then "\\?\C:\a"; the folder itself is in.
    size_t start = real.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
    size_t rootEnd = real.find(L'\\', start);
    if (rootEnd == std::wstring::npos) return;
    if (nt::Handle root = OpenFolderByPath(real.substr(0, rootEnd + 1))) AddIdentity(out, root.get());
    for (size_t i = real.find(L'\\', rootEnd + 1); i != std::wstring::npos; i = real.find(L'\\', i + 1)) {
        if (nt::Handle parent = OpenFolderByPath(real.substr(0, i))) AddIdentity(out, parent.get());
    }
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return std::wstring();
    return path;
}

std::wstring Downloads(const std::wstring& profile) {
    // SHGetKnownFolderPath arrived with Vista; resolved at run time.
    static const GUID kDownloads = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
    std::wstring out;
    if (HMODULE shell = GetModuleHandleA("shell32.dll")) {
        if (FARPROC proc = GetProcAddress(shell, "SHGetKnownFolderPath")) {
            auto known = reinterpret_cast<decltype(&SHGetKnownFolderPath)>(reinterpret_cast<void*>(proc));
            PWSTR path = nullptr;
            if (SUCCEEDED(known(kDownloads, 0, nullptr, &path)) && path) out = path;
            CoTaskMemFree(path);
        }
    }
    if (out.empty() && !profile.empty()) out = profile + L"\\Downloads";
    return out;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

// Every profile the machine knows of.
std::vector<std::wstring> UserProfiles() {
    std::vector<std::wstring> out;
    HKEY list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                      KEY_READ, &list) != ERROR_SUCCESS)
        return out;
    wchar_t sid[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(list, i, sid, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        wchar_t raw[MAX_PATH] = {}, expanded[MAX_PATH] = {};
        DWORD size = sizeof raw - sizeof(wchar_t);
        if (RegGetValueW(list, sid, L"ProfileImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                         nullptr, raw, &size) != ERROR_SUCCESS)
            continue;
        DWORD n = ExpandEnvironmentStringsW(raw, expanded, MAX_PATH);
        if (n > 0 && n <= MAX_PATH) out.emplace_back(expanded);
    }
    RegCloseKey(list);
    return out;
}

std::vector<std::wstring> ProtectedPaths() {
    std::vector<std::wstring> paths;
    wchar_t path[MAX_PATH];
    if (GetWindowsDirectoryW(path, MAX_PATH)) paths.emplace_back(path);
    if (GetSystemDirectoryW(path, MAX_PATH)) paths.emplace_back(path);
    if (GetSystemWow64DirectoryW(path, MAX_PATH)) paths.emplace_back(path);
    const int csidls[] = {CSIDL_WINDOWS,          CSIDL_SYSTEM,       CSIDL_SYSTEMX86,
                          CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                          CSIDL_COMMON_APPDATA,   CSIDL_PROFILE,      CSIDL_PERSONAL,
                          CSIDL_DESKTOPDIRECTORY, CSIDL_MYPICTURES,   CSIDL_MYMUSIC,
                          CSIDL_MYVIDEO};
    for (int csidl : csidls) paths.push_back(KnownFolder(csidl));
    // A 32-bit program is told the x86 folders; the native ones come from here.
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData",
                                L"SystemRoot", L"windir", L"USERPROFILE"})
        paths.push_back(Environment(name));
    paths.push_back(Downloads(KnownFolder(CSIDL_PROFILE)));
    for (std::wstring& profile : UserProfiles()) paths.push_back(std::move(profile));
    return paths;
}

// Built once, on first use, and never changed: walks on any thread read it
// without a lock.
const ProtectedSet& Protected() {
    static const ProtectedSet set = [] {
        FsRedirectionOff redirection;
        ProtectedSet built;
        for (const std::wstring& path : ProtectedPaths()) AddFolderAndParents(built.folders, path);
        built.anyVolume = RunningOnWine();
        return built;
    }();
    return set;
}

}  // namespace

bool VolumeOf(HANDLE handle, uint32_t& volume) {
    BYTE buffer[sizeof(FILE_FS_VOLUME_INFORMATION) + 64 * sizeof(WCHAR)];
    IO_STATUS_BLOCK io;
    nt::Count(nt::Call::Volume);
    NTSTATUS status = NtQueryVolumeInformationFile(handle, &io, buffer, sizeof buffer, nt::kFileFsVolumeInformation);
    if (status != nt::kSuccess && status != nt::kBufferOverflow) return false;
    volume = reinterpret_cast<FILE_FS_VOLUME_INFORMATION*>(buffer)->VolumeSerialNumber;
    return true;
}

bool FileIdOf(HANDLE handle, uint64_t& file) {
    FILE_INTERNAL_INFORMATION info;
    IO_STATUS_BLOCK io;
    nt::Count(nt::Call::Query);
    if (NtQueryInformationFile(handle, &io, &info, sizeof info, nt::kFileInternalInformation) != nt::kSuccess)
        return false;
    file = static_cast<uint64_t>(info.IndexNumber.QuadPart);
    return true;
}

// Wine answers the volume query through its mount manager, which can be
// slow to answer under load; an unknown volume (0) then matches any.
bool IdentityOf(HANDLE handle, FileIdentity& identity) {
    if (!VolumeOf(handle, identity.volume)) identity.volume = 0;
    return FileIdOf(handle, identity.file);
}

bool IsProtectedIdentity(const FileIdentity& identity) {
    const ProtectedSet& set = Protected();
    return std::any_of(set.folders.begin(), set.folders.end(), [&](const FileIdentity& p) {
        return p.file == identity.file &&
               (set.anyVolume || p.volume == identity.volume || p.volume == 0 || identity.volume == 0);
    });
}
