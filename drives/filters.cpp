// The filter table and its file datafilters.txt.
// (The file's format and what is made of a hand-edited one:
// filter_file.cpp.)
#include "drives/filters.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "drives/drives_state.h"
#include "fs/shell_folders.h"

namespace {

const char kFilterFile[] = "datafilters.txt";

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
    return true;
}

std::vector<FilterEntry> CopyFilterTable() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return g_drives.filters;
}

void ClearFilterTable() {
    g_drives.filterFile.Forget();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.clear();
}

void LoadFilterTable() {
    std::string bytes;
    if (!g_drives.filterFile.Load(ProgramDataFile(kFilterFile), bytes)) return;
    std::vector<FilterEntry> loaded;
    if (!ReadFilterRecords(bytes, loaded)) g_drives.filterFile.MarkIncomplete();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.insert(g_drives.filters.end(), loaded.begin(), loaded.end());
}

void SaveFilterTable() {
    g_drives.filterFile.Save(ProgramDataFile(kFilterFile), FilterFileBytes(CopyFilterTable()));
}

void SetFilterTick(size_t index, BYTE enabled) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (index < g_drives.filters.size()) g_drives.filters[index].enabled = enabled;
}

bool RemoveFilter(size_t index) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (index >= g_drives.filters.size()) return false;
    g_drives.filters.erase(g_drives.filters.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}
