// The drive list: row r is the r-th fixed drive of the drive table.
#include "drives/drive_view.h"

#include <commctrl.h>

#include "drives/drive_table.h"
#include "fs/text.h"
#include "resource.h"
#include "ui/list_view.h"

namespace {

TickList g_driveList;  // the main window's, handed over at set-up

}  // namespace

void SetUpDriveListView(HWND list) {
    g_driveList.list = list;
    if (list) SetTickListLook(list, IDI_DISK);
    if (list) {
        InsertListColumn(list, 0, "Disks", 80, LVCFMT_LEFT);
        InsertListColumn(list, 1, "Size", 80, LVCFMT_RIGHT);
        InsertListColumn(list, 2, "Free", 80, LVCFMT_RIGHT);
    }
}

void FillDriveListView() {
    HWND list = g_driveList.list;
    if (!list) return;
    DriveSlot slots[kDriveSlots];
    CopyDriveTable(slots);
    g_driveList.filling = true;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const DriveSlot& slot : slots) {
        if (slot.type != DRIVE_FIXED) continue;
        int index = InsertListRow(list, row, slot.root);
        if (index < 0) continue;
        char size[64];
        FormatSize(slot.totalBytes, size, sizeof size);
        SetListCell(list, index, 1, size);
        FormatSize(slot.freeBytes, size, sizeof size);
        SetListCell(list, index, 2, size);
        SetListRowTick(list, index, slot.selected == 1);
        ++row;
    }
    g_driveList.filling = false;
}

void OnDriveListNotify(const NMHDR* header) {
    int ticked = UserTickOf(g_driveList, header);
    if (ticked >= 0)
        SetFixedDriveTick(reinterpret_cast<const NMLISTVIEW*>(header)->iItem, static_cast<unsigned char>(ticked));
}
