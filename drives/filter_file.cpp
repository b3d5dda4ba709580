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
#include "drives/filter_file.h"

#include <cstring>

namespace {

// A hand-made file of a few megabytes could hold millions of one-letter
// records; the table takes this many and leaves the file alone.
const size_t kMaxFilters = 100000;

// One word of the file: at most 255 characters kept, the markers tested
// over the whole word.
struct Word {
    char text[kFilterFieldMax + 1];
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
            if (word.length < kFilterFieldMax) word.text[word.length] = c;
            ++word.length;
            if (c == '$') word.hasDollar = true;
            memmove(window, window + 1, 4);
            window[4] = c;
            if (memcmp(window, "[end]", 5) == 0) word.hasEnd = true;
        }
        word.text[word.length < kFilterFieldMax ? word.length : kFilterFieldMax] = '\0';
        return true;
    }

private:
    static bool IsSeparator(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\0' || c == '\x1A';
    }

    const std::string& bytes_;
    size_t pos_ = 0;
};

}  // namespace

bool ReadFilterRecords(const std::string& bytes, std::vector<FilterEntry>& out) {
    WordReader reader(bytes);
    Word word;
    for (;;) {
        if (!reader.Read(word) || word.hasEnd) return true;
        if (out.size() >= kMaxFilters) return false;
        FilterEntry entry = {};
        bool filterFits = word.length <= kFilterFieldMax;
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
            if (take > kFilterFieldMax - used) take = kFilterFieldMax - used;
            memcpy(entry.description + used, word.text, take);
            used += take;
            if (used < kFilterFieldMax) entry.description[used++] = ' ';
        }
        entry.description[used] = '\0';
        if (!ended || !reader.Read(word)) return true;
        entry.enabled = (word.length == 4 && strcmp(word.text, "true") == 0) ? 1 : 0;
        if (filterFits) out.push_back(entry);
    }
}

std::string FilterFileBytes(const std::vector<FilterEntry>& table) {
    std::string bytes;
    for (const FilterEntry& entry : table) {
        bytes += entry.filter;
        bytes += ' ';
        bytes += entry.description;
        bytes += entry.enabled == 1 ? " $ true\r\n" : " $ false\r\n";
    }
    return bytes + "[end]";
}

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
