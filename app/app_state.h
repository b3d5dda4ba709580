// Process-wide state of the application shell: the handles and values that
// start-up captures and the main window owns. Other subsystems read them.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "fs/data_file.h"

// The folder-path function resolved from shfolder.dll at start-up; its type
// comes from the declaration, so the i686 calling convention cannot drift.
using FolderPathFunction = decltype(&SHGetFolderPathA);

// Views of the main window.
enum : int { VIEW_INTERNET = 0, VIEW_DRIVES = 1, VIEW_INFO = 4 };

struct AppState {
    HINSTANCE instance = nullptr;       // module of the .exe, for every dialog
    HWND mainWindow = nullptr;
    HWND statusBar = nullptr;
    HWND resultsList = nullptr;         // 1010
    HWND filterList = nullptr;          // 1013
    HWND driveList = nullptr;           // 1019
    HWND infoList = nullptr;            // 1020
    HWND totalsList = nullptr;          // 1015
    HWND sysInfoDialog = nullptr;       // template 157
    HANDLE sysInfoThread = nullptr;     // never waited for
    DWORD sysInfoThreadId = 0;
    HMODULE shellFolderLib = nullptr;   // shfolder.dll, or null
    FolderPathFunction folderPath = nullptr;
    int currentView = VIEW_INTERNET;
};

extern AppState g_app;

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
