// The shell's special folders through shfolder.dll, the Windows directory,
// and the paths of the program's own data files built from them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "fs/data_file.h"

// The folder-path function resolved from shfolder.dll; its type comes from
// the declaration, so the i686 calling convention cannot drift.
using FolderPathFunction = decltype(&SHGetFolderPathA);

// Loads shfolder.dll and resolves the folder-path function, once, on the
// first call from any thread (every lookup below calls it, so neither
// program has to); true when the function is there.
bool LoadShellFolders();
// Lets the library go (the GUI's ending, once its threads have ended); a
// later lookup loads it again. Waits for a lookup that is under way.
void FreeShellFolders();
// Tests: lookups behave as without shfolder.dll while `missing` is true.
void SetShellFoldersMissingForTest(bool missing);

// Looks up a special folder (a CSIDL number) through the folder-path
// function. Returns false, with `out` empty, when the function is missing,
// reports failure or gives an empty path, so that a caller never works on a
// path left over from an earlier lookup.
bool GetSpecialFolder(int csidl, char (&out)[256]);

// "%s\%s" of the Windows directory and a file name; false if it does not fit.
bool WindowsDirFile(const char* name, char (&out)[256]);

// The two copies of one of the program's data files: "%s\%s" of the Windows
// directory and the name, and the user's own under the application-data
// folder ("...\VOSK Software\Brisola\NAME"), for a user who cannot write
// the Windows directory. A path that is unknown or does not fit is empty.
DataFilePaths ProgramDataFile(const char* name);
