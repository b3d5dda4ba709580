// The filter table, its file datafilters.txt and the filter list.
// (The file's format and what is made of a hand-edited one:
// filter_file.cpp.)
#include "drives/filters.h"

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <string>

#include "drives/drives_state.h"
#include "fs/shell_folders.h"
#include "resource.h"
#include "ui/list_view.h"
#include "ui/skin.h"

namespace {

const char kFilterFile[] = "datafilters.txt";

DataFile g_filterFile;
// The main window's filter list, handed over at set-up; the scan thread
// reads its ticks too.
std::atomic<HWND> g_filterList{nullptr};

void CopyField(char (&field)[256], const char* text) {
    size_t n = strlen(text);
    memcpy(field, text, n + 1);
}

}  // namespace

bool AppendFilter(const char* filter, const char* description, BYTE enabled) {
    if (strlen(filter) > kFilterFieldMax || strlen(description) > kFilterFieldMax) return false;
    FilterEntry entry = {};
    CopyField(entry.filter, filter);
    CopyField(entry.description, description);
    entry.enabled = enabled;
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.push_back(entry);
    ++g_drives.filterGeneration;
    return true;
}

std::vector<FilterEntry> CopyFilterTable() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return g_drives.filters;
}

void ClearFilterTable() {
    g_filterFile.Forget();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.clear();
    ++g_drives.filterGeneration;
}

void LoadFilterTable() {
    std::string bytes;
    if (!g_filterFile.Load(ProgramDataFile(kFilterFile), bytes)) return;
    std::vector<FilterEntry> loaded;
    if (!ReadFilterRecords(bytes, loaded)) g_filterFile.MarkIncomplete();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.insert(g_drives.filters.end(), loaded.begin(), loaded.end());
    ++g_drives.filterGeneration;
}

void SaveFilterTable() {
    ReadFilterTicks();
    g_filterFile.Save(ProgramDataFile(kFilterFile), FilterFileBytes(CopyFilterTable()));
}

void ReadFilterTicks() {
    HWND list = g_filterList;
    if (!list) return;
    // The list is read without the lock (on the scan thread these are
    // messages to the main thread); the ticks are written only when no
    // filter was added or removed meanwhile, else read again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        unsigned generation;
        size_t count;
        {
            std::lock_guard<std::mutex> hold(g_drives.lock);
            generation = g_drives.filterGeneration;
            count = g_drives.filters.size();
        }
        if (static_cast<size_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) != count) continue;
        std::vector<BYTE> ticks(count);
        for (size_t i = 0; i < count; ++i) ticks[i] = IsListRowTicked(list, static_cast<int>(i)) ? 1 : 0;
        std::lock_guard<std::mutex> hold(g_drives.lock);
        if (generation != g_drives.filterGeneration || count != g_drives.filters.size()) continue;
        for (size_t i = 0; i < count; ++i) g_drives.filters[i].enabled = ticks[i];
        return;
    }
}

void SetUpFilterListView(HWND list) {
    g_filterList = list;
    if (!list) return;
    SetListLook(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    HIMAGELIST images = CreateIconImageList(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FILTER)));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    InsertListColumn(list, 0, "Filter", 100, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Description", 345, LVCFMT_LEFT);
    FillFilterListView();
}

void FillFilterListView() {
    HWND list = g_filterList;
    if (!list) return;
    std::vector<FilterEntry> table = CopyFilterTable();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, table.size(), 0);
    for (size_t i = 0; i < table.size(); ++i) {
        int row = InsertListRow(list, static_cast<int>(i), table[i].filter);
        if (row < 0) continue;
        LVITEMA sub = {};
        sub.iSubItem = 1;
        sub.pszText = table[i].description;
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
        SetListRowTick(list, row, table[i].enabled == 1);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

bool RemoveSelectedFilter() {
    HWND list = g_filterList;
    if (!list) return false;
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        if (g_drives.filters.empty()) return false;
    }
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return false;
    // The refill below shows the table's ticks: the list's must be in it.
    ReadFilterTicks();
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        if (row < 0 || static_cast<size_t>(row) >= g_drives.filters.size()) return false;
        g_drives.filters.erase(g_drives.filters.begin() + row);
        ++g_drives.filterGeneration;
    }
    FillFilterListView();
    return true;
}
