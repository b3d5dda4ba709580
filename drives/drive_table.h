// The drive table and the drive list (1019).
#pragma once

#include <windows.h>

// The drive table has 16 slots; only fixed drives (DRIVE_FIXED, 3) are used.
const int kDriveSlots = 16;

struct DriveSlot {
    char root[16];                    // "C:", no backslash
    int type;                         // GetDriveTypeA of the root; 3 = fixed
    unsigned long long freeToCaller;
    unsigned long long totalBytes;    // column "Size"
    unsigned long long freeBytes;     // column "Free"
    unsigned char selected;           // 1 = ticked for the disk scan
};

void EnumerateDrives();
// Sets the main window's drive list up; the fills below write to it.
void SetUpDriveListView(HWND list);
void FillDriveListView();
void RefreshDriveTable();

// The roots ("C:") of every fixed drive, in slot order; returns how many.
// Thread-safe.
int GetFixedDriveRoots(char roots[16][16]);
// A copy of one slot (0..15). Thread-safe.
DriveSlot GetDriveSlot(int slot);
