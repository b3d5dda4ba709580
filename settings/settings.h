// The four settings, their registry store and the Settings dialog (130).
#pragma once

#include <windows.h>

struct Settings {
    BYTE neverUpdate = 0;
    BYTE askDel = 0;
    BYTE enableSnd = 1;
    BYTE enableTips = 1;
};

extern Settings g_settings;

// The program's key under HKEY_LOCAL_MACHINE.
extern const char kProgramKey[];

void LoadSettings();
void SaveSettings();
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
