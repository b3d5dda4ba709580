// The filter table and datafilters.txt, and the filter list (1013).
#pragma once

#include <windows.h>

#include <vector>

#include "drives/filter_file.h"  // FilterEntry, the file's rules

// Reads datafilters.txt: the shared file in the Windows directory, or the
// user's own copy when that is newer.
void LoadFilterTable();
// Writes it back (the previous file kept as .bak), to the user's own copy
// when the shared one cannot be written. A file that could not be read, or
// only in part, is left alone.
void SaveFilterTable();
// Sets the main window's filter list up; the calls below use it.
void SetUpFilterListView(HWND list);
void FillFilterListView();
// Copies the filter list's ticks into the table's `enabled` bytes. Safe to
// call from the disk-scan thread (it reads the list by messages).
void ReadFilterTicks();
// Returns true when a filter was removed.
bool RemoveSelectedFilter();

// Appends a filter as the Add Filters dialog does (no list refresh).
// Returns false, storing nothing, when a text does not fit its field.
bool AppendFilter(const char* filter, const char* description, BYTE enabled);
// A copy of the whole table.
std::vector<FilterEntry> CopyFilterTable();
// Empties the table (start of a test; the program loads it once).
void ClearFilterTable();
