// Start-up and the message loop.
#pragma once

#include <windows.h>

// Start-up steps 1 to 4: Windows directory, common controls, shfolder.dll.
void InitShell();
void CreateMainWindow();
// The message loop, with the one-time start of the system-information scan.
int RunMessageLoop();
// The whole program: start-up, optional Tips dialog, message loop.
int RunBrisola();
