// The start-up splash.
#pragma once

#include <windows.h>

void ShowSplash(HWND owner);
