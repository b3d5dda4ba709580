// Process-wide state of the application shell: the handles that start-up
// captures and the main window owns. The other subsystems are handed what
// they need at set-up and never read this.
#pragma once

#include <windows.h>

#include "fs/shell_folders.h"

// Views of the main window.
enum : int { VIEW_INTERNET = 0, VIEW_DRIVES = 1, VIEW_INFO = 4 };

struct AppState {
    HINSTANCE instance = nullptr;       // module of the .exe, for every dialog
    HWND mainWindow = nullptr;
    HWND statusBar = nullptr;
    HWND resultsList = nullptr;         // 1010
    HWND infoList = nullptr;            // 1020
    HANDLE sysInfoThread = nullptr;     // the start-up scan, ended with the window
    int currentView = VIEW_INTERNET;
};

extern AppState g_app;
