// The words of datafilters.txt and the filter records they make, and the
// file written back; no Windows call, so the native unit tests build it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A filter's or a description's longest text.
const size_t kFilterFieldMax = 255;

// One extension filter. Text fields hold at most 255 characters and a NUL.
struct FilterEntry {
    char filter[256];       // compared with file names by the disk scan
    char description[256];
    unsigned char enabled;  // 1 = used by the disk scan
};

// Reads records until "[end]" or the end of the input, appending them to
// `out`. False when the input holds more records than the table takes.
bool ReadFilterRecords(const std::string& bytes, std::vector<FilterEntry>& out);
// The file's bytes for `table`, as SaveFilterTable writes them.
std::string FilterFileBytes(const std::vector<FilterEntry>& table);

// Why an extension or a description typed into Add Filters cannot be
// stored, or nullptr when it can: the file separates fields with white
// space, ends a description at a word holding "$" and ends the whole file
// at a first word holding "[end]", so such text would come back corrupted.
const char* RejectExtension(const char* extension);
const char* RejectDescription(const char* description);
