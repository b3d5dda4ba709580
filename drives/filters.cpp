// The filter table and its file datafilters.txt.
//
// File format: records of white-space separated words, written as
// "%s %s $ %s\n" (filter, description, "true"/"false"), then "[end]".
// Reading ends at a record whose first word contains "[end]"; a word
// containing "$" ends a description; only the exact word "true" ticks.
//
// A hand-edited file can hold words longer than a field. Our choice:
// - a record whose filter word is longer than 255 characters is read to
//   its end like any other but not added: no file name can equal it, and a
//   cut filter could match files the user never named;
// - a description longer than 255 characters (its words joined, each
//   followed by one space) is cut at 255 characters, since it is only shown;
// - a NUL byte or Ctrl+Z separates words like white space, and a leading
//   UTF-8 byte-order mark is not part of the first word;
// - at most 100,000 records (and 16 MB) are read; the file is then never
//   written back, so the records beyond stay.
#include "drives/filters.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "drives/drives_state.h"
#include "fs/shell_folders.h"

namespace {

const char kFilterFile[] = "datafilters.txt";
const size_t kFieldMax = 255;
// A hand-made file of a few megabytes could hold millions of one-letter
// records; the table takes this many and leaves the file alone.
const size_t kMaxFilters = 100000;

DataFile g_filterFile;

// One word of the file: at most 255 characters kept, the markers tested
// over the whole word.
struct Word {
    char text[kFieldMax + 1];
    size_t length;   // full length, possibly more than kept
    bool hasDollar;
    bool hasEnd;     // contains "[end]"
};

// Words of the file. Ctrl+Z (the old end-of-file mark) and NUL separate
// words like white space; a leading UTF-8 byte-order mark is skipped.
class WordReader {
public:
    explicit WordReader(const std::string& bytes) : bytes_(bytes) {
        if (bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    }

    // Reads the next word; false when the input is exhausted.
    bool Read(Word& word) {
        while (pos_ < bytes_.size() && IsSeparator(bytes_[pos_])) ++pos_;
        if (pos_ == bytes_.size()) return false;
        word.length = 0;
        word.hasDollar = false;
        word.hasEnd = false;
        char window[5] = {};  // the last five characters, for "[end]"
        for (; pos_ < bytes_.size() && !IsSeparator(bytes_[pos_]); ++pos_) {
            char c = bytes_[pos_];
            if (word.length < kFieldMax) word.text[word.length] = c;
            ++word.length;
            if (c == '$') word.hasDollar = true;
            memmove(window, window + 1, 4);
            window[4] = c;
            if (memcmp(window, "[end]", 5) == 0) word.hasEnd = true;
        }
        word.text[word.length < kFieldMax ? word.length : kFieldMax] = '\0';
        return true;
    }

private:
    static bool IsSeparator(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\0' || c == '\x1A';
    }

    const std::string& bytes_;
    size_t pos_ = 0;
};

// Reads records until "[end]" or the end of the input. False when the
// input holds more records than the table takes.
bool ReadRecords(const std::string& bytes, std::vector<FilterEntry>& out) {
    WordReader reader(bytes);
    Word word;
    for (;;) {
        if (!reader.Read(word) || word.hasEnd) return true;
        if (out.size() >= kMaxFilters) return false;
        FilterEntry entry = {};
        bool filterFits = word.length <= kFieldMax;
        memcpy(entry.filter, word.text, strlen(word.text) + 1);

        size_t used = 0;
        bool ended = false;
        while (reader.Read(word)) {
            if (word.hasDollar) {
                ended = true;
                break;
            }
            // Append the word and one space, as far as the field holds.
            size_t take = strlen(word.text);
            if (take > kFieldMax - used) take = kFieldMax - used;
            memcpy(entry.description + used, word.text, take);
            used += take;
            if (used < kFieldMax) entry.description[used++] = ' ';
        }
        entry.description[used] = '\0';
        if (!ended || !reader.Read(word)) return true;
        entry.enabled = (word.length == 4 && strcmp(word.text, "true") == 0) ? 1 : 0;
        if (filterFits) out.push_back(entry);
    }
}

void CopyField(char (&field)[256], const char* text) {
    size_t n = strlen(text);
    memcpy(field, text, n + 1);
}

}  // namespace

const char* RejectExtension(const char* extension) {
    if (strpbrk(extension, " \t\r\n\v\f"))
        return "The extension cannot contain spaces.\n\nType one word, for example tmp.";
    if (strstr(extension, "[end]")) return "The extension cannot contain the text [end].";
    return nullptr;
}

const char* RejectDescription(const char* description) {
    if (strchr(description, '$')) return "The description cannot contain the character $.";
    return nullptr;
}

bool AppendFilter(const char* filter, const char* description, BYTE enabled) {
    if (strlen(filter) > kFieldMax || strlen(description) > kFieldMax) return false;
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
    g_filterFile.Forget();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.clear();
}

void LoadFilterTable() {
    std::string bytes;
    if (!g_filterFile.Load(ProgramDataFile(kFilterFile), bytes)) return;
    std::vector<FilterEntry> loaded;
    if (!ReadRecords(bytes, loaded)) g_filterFile.MarkIncomplete();
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filters.insert(g_drives.filters.end(), loaded.begin(), loaded.end());
}

void SaveFilterTable() {
    std::string bytes;
    for (const FilterEntry& entry : CopyFilterTable()) {
        bytes += entry.filter;
        bytes += ' ';
        bytes += entry.description;
        bytes += entry.enabled == 1 ? " $ true\r\n" : " $ false\r\n";
    }
    bytes += "[end]";
    g_filterFile.Save(ProgramDataFile(kFilterFile), bytes);
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
