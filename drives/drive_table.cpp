// The drive table: the logical drives in GetLogicalDriveStringsA order, the
// fixed ones measured and listed with a tick each.
#include "drives/drive_table.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "drives/drives_state.h"
#include "drives/filters.h"
#include "fs/text.h"
#include "resource.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

// The main window's drive list, handed over at set-up.
std::atomic<HWND> g_driveList{nullptr};

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
// up the other threads) and stores the counts, ticking each drive.
void MeasureFixedDrives() {
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
        slot.selected = 1;
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
    MeasureFixedDrives();
}

void SetUpDriveListView(HWND list) {
    g_driveList = list;
    if (list) {
        SetListLook(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
        HIMAGELIST images = CreateIconImageList(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_DISK)));
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    EnumerateDrives();
    if (list) {
        InsertListColumn(list, 0, "Disks", 80, LVCFMT_LEFT);
        InsertListColumn(list, 1, "Size", 80, LVCFMT_RIGHT);
        InsertListColumn(list, 2, "Free", 80, LVCFMT_RIGHT);
    }
}

void FillDriveListView() {
    HWND list = g_driveList;
    if (!list) return;
    DriveSlot slots[kDriveSlots];
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        for (int i = 0; i < kDriveSlots; ++i) slots[i] = g_drives.drives[i];
    }
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const DriveSlot& slot : slots) {
        if (slot.type != DRIVE_FIXED) continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<char*>(slot.root);
        int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (index < 0) continue;
        char size[64];
        LVITEMA sub = {};
        sub.pszText = size;
        sub.iSubItem = 1;
        FormatSize(slot.totalBytes, size, sizeof size);
        SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
        sub.iSubItem = 2;
        FormatSize(slot.freeBytes, size, sizeof size);
        SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
        SetListRowTick(list, index, slot.selected == 1);
        ++row;
    }
}

void RefreshDriveTable() {
    MeasureFixedDrives();
    HWND list = g_driveList;
    if (list) {
        // Row r is the r-th fixed slot. The list is read without the lock
        // (from the scan thread these are messages to the main thread).
        int fixedCount = 0;
        {
            std::lock_guard<std::mutex> hold(g_drives.lock);
            for (const DriveSlot& slot : g_drives.drives) fixedCount += slot.type == DRIVE_FIXED;
        }
        BYTE ticks[kDriveSlots] = {};
        for (int row = 0; row < fixedCount; ++row) ticks[row] = IsListRowTicked(list, row) ? 1 : 0;
        std::lock_guard<std::mutex> hold(g_drives.lock);
        int row = 0;
        for (DriveSlot& slot : g_drives.drives) slot.selected = slot.type == DRIVE_FIXED ? ticks[row++] : 0;
    }
    ReadFilterTicks();
}

int GetFixedDriveRoots(char roots[16][16]) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    int count = 0;
    for (const DriveSlot& slot : g_drives.drives)
        if (slot.type == DRIVE_FIXED) memcpy(roots[count++], slot.root, 16);
    return count;
}

DriveSlot GetDriveSlot(int slot) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (slot < 0 || slot >= kDriveSlots) return DriveSlot{};
    return g_drives.drives[slot];
}
