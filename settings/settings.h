// The four settings and their registry store; the Settings dialog is
// settings_dialog.h.
#pragma once

#include <windows.h>

#include <atomic>

// The flags are written on the user-interface thread and read by the
// worker threads, hence atomic. Stored as 1 for on and 0 for off; a stored
// value is on only when it is exactly 1.
struct Settings {
    std::atomic<bool> neverUpdate{false};
    std::atomic<bool> askDel{false};
    std::atomic<bool> enableSnd{true};
    std::atomic<bool> enableTips{true};
};

extern Settings g_settings;

// The program's key, under HKEY_LOCAL_MACHINE. When that cannot be opened
// and written (a standard user without registry virtualization), the four
// settings live under the same path in HKEY_CURRENT_USER instead.
extern const char kProgramKey[];

// A named 0/1 value of the program's key (4-byte REG_BINARY).
struct ProgramFlag {
    const char* name;
    BYTE value;
};

// Opens the program's key for reading: the machine-wide key, or for a user
// who cannot write it the user's own copy under HKEY_CURRENT_USER, else the
// machine-wide values read-only. Null when there is no key.
HKEY OpenProgramKeyForReading();
// Reads one 0/1 value; false when it is missing or not 4 bytes of
// REG_BINARY or REG_DWORD.
bool ReadProgramFlag(HKEY key, const char* name, BYTE& value);
// Writes the values to the machine-wide key, or to the user's copy when the
// machine-wide key cannot be written.
void WriteProgramFlags(const ProgramFlag* flags, size_t count);
// The Explorer policy key under HKEY_CURRENT_USER and its value.
extern const char kExplorerPolicyKey[];
extern const char kNoRecentDocsMenu[];

void LoadSettings();
void SaveSettings();
// Puts every flag back to its built-in default (0, 0, 1, 1).
void ResetSettings();
void ToggleFlag(std::atomic<bool>& flag);
// Toggles NeverUpdate and writes the Explorer policy that goes with it.
void ToggleNeverUpdate();
