// Which folder a handle is, independent of the name it was reached by:
// the volume and the file ID. Protected folders are recognised this way,
// so an 8.3 name, a "\\?\" prefix, another drive letter or a junction
// above the folder makes no difference.
#pragma once

#include <windows.h>

#include <cstdint>

struct FileIdentity {
    uint32_t volume = 0;
    uint64_t file = 0;
};

// The volume serial of the handle's volume; false when it cannot be read.
bool VolumeOf(HANDLE handle, uint32_t& volume);
// The file ID of the handle's file; false when it cannot be read.
bool FileIdOf(HANDLE handle, uint64_t& file);
bool IdentityOf(HANDLE handle, FileIdentity& identity);

// True for a folder that no walk may enter and no category may have as its
// root: a drive root, the Windows and system directories (both views under
// WOW64), the Program Files folders, ProgramData, every user profile and
// the profile's Documents, Desktop, Pictures, Music, Videos and Downloads,
// and every folder that holds one of them. The set is built once, on
// first use.
bool IsProtectedIdentity(const FileIdentity& identity);

