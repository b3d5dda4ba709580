// The readers of the program's data files as hand edits and damage leave
// them: the lines of a stored list and the words of datafilters.txt.
// (The files on disk, locks, denial and failed saves: data_files_test.)
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "drives/filter_file.h"
#include "fs/data_lines.h"
#include "unit.h"

namespace {

std::string Lines(const std::string& bytes) {
    std::string out;
    DataLines lines(bytes);
    for (std::string_view line; lines.Next(line);) out += "[" + std::string(line) + "]";
    return out;
}

UNIT_TEST(StoredListLines) {
    const struct {
        std::string bytes;
        const char* lines;
    } cases[] = {
        {"a.txt\r\nb.txt\r\n", "[a.txt][b.txt]"},
        {"\xEF\xBB\xBF" "a.txt \r\n\r\n\tb.txt\x1A", "[a.txt][][b.txt]"},  // mark, blank line, Ctrl+Z
        {"john smith@site[1].txt\n", "[john smith@site[1].txt]"},       // blanks inside stay
        {std::string("a\0b\nc", 5), "[a][b][c]"},                       // a NUL ends a line
        {"\xEF\xBB", "[\xEF\xBB]"},                                       // half a mark is text
        {"\n\n", "[][]"},
        {"", ""},
    };
    for (const auto& c : cases) CHECK_EQ(Lines(c.bytes), c.lines, c.bytes);
}

// The table as "filter|description|enabled;" per entry.
std::string Records(const std::string& bytes, bool* whole = nullptr) {
    std::vector<FilterEntry> table;
    bool all = ReadFilterRecords(bytes, table);
    if (whole) *whole = all;
    if (table.size() > 5) return std::to_string(table.size()) + " ... " + table.back().filter;
    std::string out;
    for (const FilterEntry& e : table)
        out += std::string(e.filter) + "|" + e.description + "|" + std::to_string(e.enabled) + ";";
    return out;
}

UNIT_TEST(FilterFileWordsFollowTheRulesOfTheFile) {
    const std::string longWord(300, 'x'), w100(100, 'w');
    std::string many;
    for (int i = 0; i < 100001; ++i) many += ".x" + std::to_string(i) + " D $ true\r\n";
    const struct {
        std::string file, table;
        bool whole;
    } cases[] = {
        // Words joined, each with one space; only the exact word "true" ticks.
        {".log a   b $ true\r\n.tmp\tTemporary\nfiles $ false .bak Backups $ TRUE\r\n[end]",
         ".log|a b |1;.tmp|Temporary files |0;.bak|Backups |0;", true},
        {".log $ true\r\n[end]", ".log||1;", true},
        {".x one tw$o true [end]", ".x|one |1;", true},  // a word holding "$" ends the description
        {"   \r\n  ", "", true},
        {".a A $ true\r\nx[end] .b B $ true\r\n", ".a|A |1;", true},  // a first word holding "[end]" ends the file
        {".a A $ true\r\n.b B $ false\r\n.c half", ".a|A |1;.b|B |0;", true},  // no incomplete last record
        {".a A $ true .b B $", ".a|A |1;", true},
        {"\xEF\xBB\xBF.a A $ true\x1A", ".a|A |1;", true},  // byte-order mark, Ctrl+Z
        {std::string(".a\0A $ true", 11), ".a|A |1;", true},  // a NUL separates words
        {"." + longWord + " Long $ true\r\n.ok Fine $ true\r\n[end]", ".ok|Fine |1;", true},  // over-long filter: skipped
        {std::string(255, 'f') + " D $ true [end]", std::string(255, 'f') + "|D |1;", true},
        {".f " + longWord + "$ true " + longWord + "[end] .g G $ true", ".f||1;", true},  // markers deep in long words
        // A description is cut at 255 characters.
        {".e " + w100 + " " + w100 + " " + w100 + " $ false [end]",
         ".e|" + w100 + " " + w100 + " " + w100.substr(0, 53) + "|0;", true},
        {many + "[end]", "100000 ... .x99999", false},  // more records than the table takes
    };
    for (const auto& c : cases) {
        bool whole = false;
        CHECK_EQ(Records(c.file, &whole), c.table, c.file.substr(0, 60));
        CHECK_EQ(whole, c.whole, c.file.substr(0, 60));
    }
}

// What is saved reads back as it was, whatever Add Filters let through.
// (The saved bytes themselves: data_files_test's table.)
UNIT_TEST(SavedFiltersReadBackTheSame) {
    std::vector<FilterEntry> table(4);
    const char* const fields[][2] = {{".tmp", "Temporary files"}, {"*.bak", ""}, {"thumbs.db", "a  b"}, {".x", "t"}};
    for (size_t i = 0; i < table.size(); ++i) {
        strcpy(table[i].filter, fields[i][0]);
        strcpy(table[i].description, fields[i][1]);
        table[i].enabled = i % 2;
    }
    CHECK_EQ(Records(FilterFileBytes(table)), ".tmp|Temporary files |0;*.bak||1;thumbs.db|a b |0;.x|t |1;", "read back");
}

// Add Filters refuses text that would not survive the file.
UNIT_TEST(AddFiltersRefusesTextThatWouldNotSurviveTheFile) {
    const struct {
        const char* text;
        bool extension, refused;
    } cases[] = {
        {"tmp", true, false},   {"*.tmp", true, false}, {"tar gz", true, true},          {"tar\tgz", true, true},
        {"x[end]", true, true}, {"a\nb", true, true},   {"Backup copies", false, false}, {"costs $5", false, true},
    };
    for (const auto& c : cases)
        CHECK_EQ((c.extension ? RejectExtension(c.text) : RejectDescription(c.text)) != nullptr, c.refused, c.text);
}

// Random bytes, heavy in separators and markers, never overrun a field or
// make a line with a NUL, a line end or a blank at either end.
UNIT_TEST(BinaryGarbageNeverOverrunsAField) {
    std::mt19937 random(12345);
    for (int round = 0; round < 8; ++round) {
        std::string bytes(200000, '\0');
        for (char& c : bytes) {
            unsigned r = random() % 300;
            c = r < 256 ? static_cast<char>(r) : (r < 280 ? ' ' : (r < 290 ? '$' : '\n'));
        }
        if (round % 2) bytes += " [end]";
        std::vector<FilterEntry> table;
        ReadFilterRecords(bytes, table);
        for (const FilterEntry& e : table) {
            CHECK_EQ(memchr(e.filter, 0, sizeof e.filter) && memchr(e.description, 0, sizeof e.description) &&
                         e.enabled <= 1 && e.filter[0] != '\0',
                     true, "filter record of round " + std::to_string(round));
        }
        DataLines lines(bytes);
        for (std::string_view line; lines.Next(line);) {
            bool clean = line.find_first_of(std::string("\n\0", 2)) == std::string_view::npos &&
                         (line.empty() || (line.front() != ' ' && line.back() != ' ' && line.back() != '\r'));
            CHECK_EQ(clean, true, "line of round " + std::to_string(round));
        }
    }
}

}  // namespace
