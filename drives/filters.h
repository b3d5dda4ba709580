// The filter table and datafilters.txt. The filter list
// (drives/filter_view.h) shows it.
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
// Sets one filter's `enabled` byte: the user's tick, as the filter list
// reports it.
void SetFilterTick(size_t index, BYTE enabled);
// Removes one filter; false when there is none at `index`.
bool RemoveFilter(size_t index);

// Appends a filter as the Add Filters dialog does (no list refresh).
// Returns false, storing nothing, when a text does not fit its field.
bool AppendFilter(const char* filter, const char* description, BYTE enabled);
// A copy of the whole table.
std::vector<FilterEntry> CopyFilterTable();
// Empties the table (start of a test; the program loads it once).
void ClearFilterTable();
