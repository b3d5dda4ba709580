// The drive table: the fixed drives, their sizes and their ticks for the
// disk scan. The drive list (drives/drive_view.h) shows it.
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

// Lists and measures the drives again, every fixed one ticked.
void EnumerateDrives();
// Measures the fixed drives again; their ticks stay.
void RefreshDriveTable();
// Ticks or unticks the `fixedIndex`-th fixed drive, in slot order.
void SetFixedDriveTick(int fixedIndex, unsigned char ticked);

// The roots ("C:") of every fixed drive, in slot order; returns how many.
// Thread-safe.
int GetFixedDriveRoots(char roots[16][16]);
// A copy of every slot, taken in one go. Thread-safe.
void CopyDriveTable(DriveSlot (&out)[kDriveSlots]);
// A copy of one slot (0..15). Thread-safe.
DriveSlot GetDriveSlot(int slot);
