#include "drives/drives_state.h"

#include <commctrl.h>

DrivesState g_drives;

bool IsListRowTicked(HWND list, int row) {
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) != 1;
}

void SetListRowTick(HWND list, int row, bool ticked) {
    LVITEMA item = {};
    item.stateMask = ticked ? (LVIS_STATEIMAGEMASK | LVIS_SELECTED) : LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
