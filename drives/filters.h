// The filter table and datafilters.txt. The filter list
// (drives/filter_view.h) shows it.
#pragma once

#include <windows.h>

#include <vector>

// One extension filter. Text fields hold at most 255 characters and a NUL.
struct FilterEntry {
    char filter[256];       // compared with file names by the disk scan
    char description[256];
    BYTE enabled;           // 1 = used by the disk scan
};

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

// Why an extension or a description typed into Add Filters cannot be
// stored, or nullptr when it can: the file separates fields with white
// space, ends a description at a word holding "$" and ends the whole file
// at a first word holding "[end]", so such text would come back corrupted.
const char* RejectExtension(const char* extension);
const char* RejectDescription(const char* description);

// Appends a filter as the Add Filters dialog does (no list refresh).
// Returns false, storing nothing, when a text does not fit its field.
bool AppendFilter(const char* filter, const char* description, BYTE enabled);
// A copy of the whole table.
std::vector<FilterEntry> CopyFilterTable();
// Empties the table (start of a test; the program loads it once).
void ClearFilterTable();
