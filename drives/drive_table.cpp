// The drive table: the logical drives in GetLogicalDriveStringsA order, the
// fixed ones measured, each with its tick.
#include "drives/drive_table.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "drives/drives_state.h"

namespace {

struct Measure {
    unsigned long long freeToCaller, totalBytes, freeBytes;
};

// Byte counts of a drive; zero when the drive cannot be measured.
Measure MeasureDrive(const char* root) {
    char path[8];
    snprintf(path, sizeof path, "%.2s\\", root);
    ULARGE_INTEGER freeToCaller = {}, total = {}, totalFree = {};
    if (!GetDiskFreeSpaceExA(path, &freeToCaller, &total, &totalFree)) return {0, 0, 0};
    return {freeToCaller.QuadPart, total.QuadPart, totalFree.QuadPart};
}

// Measures every fixed drive (outside the lock: a slow disk must not hold
// up the other threads) and stores the counts, ticking each drive when
// `tickAll`.
void MeasureFixedDrives(bool tickAll) {
    char roots[kDriveSlots][16];
    bool fixed[kDriveSlots] = {};
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        for (int i = 0; i < kDriveSlots; ++i) {
            fixed[i] = g_drives.drives[i].type == DRIVE_FIXED;
            memcpy(roots[i], g_drives.drives[i].root, sizeof roots[i]);
        }
    }
    Measure measured[kDriveSlots] = {};
    for (int i = 0; i < kDriveSlots; ++i)
        if (fixed[i]) measured[i] = MeasureDrive(roots[i]);
    std::lock_guard<std::mutex> hold(g_drives.lock);
    for (int i = 0; i < kDriveSlots; ++i) {
        DriveSlot& slot = g_drives.drives[i];
        if (slot.type != DRIVE_FIXED) continue;
        slot.freeToCaller = measured[i].freeToCaller;
        slot.totalBytes = measured[i].totalBytes;
        slot.freeBytes = measured[i].freeBytes;
        if (tickAll) slot.selected = 1;
    }
}

}  // namespace

void EnumerateDrives() {
    DriveSlot slots[kDriveSlots] = {};
    char strings[256] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof strings, strings);
    // A result as long as the buffer means the list did not fit.
    if (length > 0 && length < sizeof strings) {
        int slot = 0;
        for (const char* root = strings; *root && slot < kDriveSlots; root += strlen(root) + 1, ++slot) {
            snprintf(slots[slot].root, sizeof slots[slot].root, "%.2s", root);
            slots[slot].type = static_cast<int>(GetDriveTypeA(root));
        }
    }
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        for (int i = 0; i < kDriveSlots; ++i) g_drives.drives[i] = slots[i];
    }
    MeasureFixedDrives(true);
}

void RefreshDriveTable() { MeasureFixedDrives(false); }

void SetFixedDriveTick(int fixedIndex, unsigned char ticked) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    int row = 0;
    for (DriveSlot& slot : g_drives.drives) {
        if (slot.type != DRIVE_FIXED) continue;
        if (row++ == fixedIndex) {
            slot.selected = ticked;
            return;
        }
    }
}

int GetFixedDriveRoots(char roots[16][16]) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    int count = 0;
    for (const DriveSlot& slot : g_drives.drives)
        if (slot.type == DRIVE_FIXED) memcpy(roots[count++], slot.root, 16);
    return count;
}

void CopyDriveTable(DriveSlot (&out)[kDriveSlots]) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    for (int i = 0; i < kDriveSlots; ++i) out[i] = g_drives.drives[i];
}

DriveSlot GetDriveSlot(int slot) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (slot < 0 || slot >= kDriveSlots) return DriveSlot{};
    return g_drives.drives[slot];
}
