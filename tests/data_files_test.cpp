// datafilters.txt and datacookies.txt as the user's files meet them: the
// filter file's word rules, hand edits, locks, denial, huge files, failed
// saves and the per-user copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "cookies/cookies.h"
#include "drives/filters.h"
#include "support/test_support.h"

namespace {

enum Kind { kFilters, kCookies };
enum Obstacle { kNone, kLocked, kDenied, kSaveFails };
enum Change { kAddOne, kEmpty };

const char* FileName(Kind kind) { return kind == kFilters ? "datafilters.txt" : "datacookies.txt"; }

void Load(Kind kind) {
    ClearFilterTable();
    ClearCookieLists();  // also a fresh start of each file
    if (kind == kFilters) LoadFilterTable();
    else LoadKeptCookies();
}

// What was loaded: "filter|description|enabled;" or "name;" per entry; a
// long list by its size and last entry.
std::string Loaded(Kind kind) {
    std::vector<std::string> rows;
    if (kind == kFilters) {
        for (const FilterEntry& e : CopyFilterTable())
            rows.push_back(std::string(e.filter) + "|" + e.description + "|" + std::to_string(e.enabled) + ";");
    } else {
        for (const std::string& name : CookieNames(KEPT_COOKIES)) rows.push_back(name + ";");
    }
    if (rows.size() > 5) return std::to_string(rows.size()) + " ... " + rows.back();
    std::string out;
    for (const std::string& row : rows) out += row;
    return out;
}

void ChangeAndSave(Kind kind, Change change) {
    if (kind == kFilters) {
        if (change == kAddOne) AppendFilter(".new", "New", 1);
        SaveFilterTable();
        return;
    }
    std::vector<std::string> names = CookieNames(KEPT_COOKIES);
    if (change == kAddOne) names.push_back("new.txt");
    else names.clear();
    SetCookieNames(KEPT_COOKIES, names);
    SaveKeptCookies();
}

// Bytes as a failure can print them: a long file by its size and start.
std::string Brief(const std::string& bytes) {
    return bytes.size() <= 200 ? bytes : std::to_string(bytes.size()) + " bytes: " + bytes.substr(0, 40);
}

std::string State(const std::string& path) {
    if (DirExists(path)) return "<folder>";
    return FileExists(path) ? Brief(ReadWholeFile(path)) : "<missing>";
}

std::string Records(const char* record, int count, const std::string& tail = "") {
    std::string out;
    for (int i = 0; i < count; ++i) out += std::string(record) + std::to_string(i) + (*record == '.' ? " D $ true\r\n" : "\r\n");
    return out + tail;
}

class DataFilesTest : public testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override {
        ClearFilterTable();
        ClearCookieLists();
        ResetProgramState();
    }
};

// The table as "filter|description|enabled;" per entry, loaded from `bytes`.
std::string LoadedFrom(const std::string& bytes) {
    WriteWholeFile(FiltersFilePath(), bytes);
    Load(kFilters);
    return Loaded(kFilters);
}

TEST_F(DataFilesTest, FilterFileWordsFollowTheRulesOfTheFile) {
    const std::string longWord(300, 'x'), w100(100, 'w');
    const struct {
        std::string file, table;
    } cases[] = {
        // Words joined, each with one space; only the exact word "true" ticks.
        {".log a   b $ true\r\n.tmp\tTemporary\nfiles $ false .bak Backups $ TRUE\r\n[end]",
         ".log|a b |1;.tmp|Temporary files |0;.bak|Backups |0;"},
        {".log $ true\r\n[end]", ".log||1;"},
        {".x one tw$o true [end]", ".x|one |1;"},  // a word holding "$" ends the description
        {"   \r\n  ", ""},
        {".a A $ true\r\nx[end] .b B $ true\r\n", ".a|A |1;"},  // a first word holding "[end]" ends the file
        {".a A $ true\r\n.b B $ false\r\n.c half", ".a|A |1;.b|B |0;"},  // no incomplete last record
        {".a A $ true .b B $", ".a|A |1;"},
        {"." + longWord + " Long $ true\r\n.ok Fine $ true\r\n[end]", ".ok|Fine |1;"},  // over-long filter: skipped
        {std::string(255, 'f') + " D $ true [end]", std::string(255, 'f') + "|D |1;"},
        {".f " + longWord + "$ true " + longWord + "[end] .g G $ true", ".f||1;"},  // markers deep in long words
        // A description is cut at 255 characters.
        {".e " + w100 + " " + w100 + " " + w100 + " $ false [end]", ".e|" + w100 + " " + w100 + " " + w100.substr(0, 53) + "|0;"},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadedFrom(c.file), c.table) << c.file.substr(0, 80);

    // No file: an empty table, saved as "[end]" alone.
    ResetProgramState();
    Load(kFilters);
    SaveFilterTable();
    EXPECT_EQ(ReadWholeFile(FiltersFilePath()), "[end]");
}

// Add Filters refuses text that would not survive the file.
TEST(AddFilterRules, RefusesTextThatWouldNotSurviveTheFile) {
    for (const char* ok : {"tmp", "*.tmp"}) EXPECT_EQ(RejectExtension(ok), nullptr) << ok;
    for (const char* bad : {"tar gz", "tar\tgz", "x[end]"}) EXPECT_NE(RejectExtension(bad), nullptr) << bad;
    EXPECT_EQ(RejectDescription("Backup copies"), nullptr);
    EXPECT_NE(RejectDescription("costs $5"), nullptr);
}

TEST_F(DataFilesTest, UsersFilesAreReadSafelyAndNeverLost) {
    const std::string filters = ".a A $ true\r\n[end]";
    const char* savedFilters = ".a A  $ true\r\n.new New $ true\r\n[end]";
    const std::string big = ".a A $ true\r\n" + std::string(16u << 20, ' ') + "\r\n.late L $ true\r\n[end]";
    const std::string longList = Records(".x", 100001, "[end]"), longCookies = Records("c", 100001);
    const struct {
        const char* what;
        Kind kind;
        std::string content;
        Obstacle obstacle;
        Change change;
        const char *loaded, *saved, *backup, *reloaded;  // nullptr: the content as it was
        bool userCopy;
    } cases[] = {
        {"a save keeps the old file", kFilters, filters, kNone, kAddOne, ".a|A |1;", savedFilters, filters.c_str(),
         ".a|A |1;.new|New |1;", false},
        {"byte-order mark", kFilters, "\xEF\xBB\xBF.a A $ true\r\n[end]", kNone, kAddOne, ".a|A |1;", savedFilters,
         nullptr, ".a|A |1;.new|New |1;", false},
        {"Ctrl+Z", kFilters, ".a A $ true\x1A", kNone, kAddOne, ".a|A |1;", savedFilters, nullptr,
         ".a|A |1;.new|New |1;", false},
        {"locked", kFilters, filters, kLocked, kAddOne, "", nullptr, "<missing>", ".a|A |1;", false},
        {"denied", kFilters, filters, kDenied, kAddOne, "", nullptr, "<missing>", "", false},
        {"too many records", kFilters, longList, kNone, kAddOne, "100000 ... .x99999|D |1;", nullptr, "<missing>",
         "100000 ... .x99999|D |1;", false},
        {"too many bytes", kFilters, big, kNone, kAddOne, ".a|A |1;", nullptr, "<missing>", ".a|A |1;", false},
        {"a failed save, then a restart", kFilters, filters, kSaveFails, kAddOne, ".a|A |1;", nullptr, "<missing>",
         ".a|A |1;.new|New |1;", true},
        {"a blank in a name", kCookies, "john smith@site[1].txt\r\nplain.txt\r\n", kNone, kAddOne,
         "john smith@site[1].txt;plain.txt;", "john smith@site[1].txt\r\nplain.txt\r\nnew.txt\r\n",
         "john smith@site[1].txt\r\nplain.txt\r\n", "john smith@site[1].txt;plain.txt;new.txt;", false},
        {"mark, Ctrl+Z and blank ends", kCookies, "\xEF\xBB\xBF" "a.txt \r\n\r\n\tb.txt\x1A", kNone, kAddOne,
         "a.txt;b.txt;", "a.txt\r\nb.txt\r\nnew.txt\r\n", nullptr, "a.txt;b.txt;new.txt;", false},
        {"emptied", kCookies, "a.txt\r\n", kNone, kEmpty, "a.txt;", "<missing>", "a.txt\r\n", "", false},
        {"locked, emptied", kCookies, "a.txt\r\n", kLocked, kEmpty, "", nullptr, "<missing>", "a.txt;", false},
        {"denied", kCookies, "a.txt\r\n", kDenied, kEmpty, "", nullptr, "<missing>", "", false},
        {"too many names", kCookies, longCookies, kNone, kAddOne, "100000 ... c99999;", nullptr, "<missing>",
         "100000 ... c99999;", false},
        {"a failed save, then a restart", kCookies, "a.txt\r\n", kSaveFails, kAddOne, "a.txt;", nullptr, "<missing>",
         "a.txt;new.txt;", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(FileName(c.kind)) + ": " + c.what);
        ResetProgramState();
        DataFilePaths paths = ProgramDataFile(FileName(c.kind));
        ASSERT_FALSE(paths.user.empty());
        const std::string& shared = paths.shared;
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.obstacle == kDenied) ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));  // cannot be opened
        else WriteWholeFile(shared, c.content);
        if (c.obstacle == kLocked)
            lock = CreateFileA(shared.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (c.obstacle == kSaveFails) {
            ASSERT_TRUE(CreateDirectoryA((shared + ".tmp").c_str(), nullptr));
        }

        Load(c.kind);
        EXPECT_EQ(Loaded(c.kind), c.loaded);
        ChangeAndSave(c.kind, c.change);
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        RemoveDirectoryA((shared + ".tmp").c_str());
        EXPECT_EQ(State(shared), c.saved ? c.saved : c.obstacle == kDenied ? "<folder>" : Brief(c.content));
        EXPECT_EQ(State(shared + ".bak"), c.backup ? c.backup : Brief(c.content));
        EXPECT_EQ(FileExists(paths.user), c.userCopy);
        RemoveDirectoryA(shared.c_str());
        Load(c.kind);
        EXPECT_EQ(Loaded(c.kind), c.reloaded);
    }
}

// Once the shared file can be written again it is used, and it is newer.
TEST_F(DataFilesTest, TheSharedFileIsUsedAgainOnceItCanBeWritten) {
    std::string shared = FiltersFilePath();
    ASSERT_TRUE(CreateDirectoryA((shared + ".tmp").c_str(), nullptr));
    AppendFilter(".user", "U", 1);
    SaveFilterTable();  // into the user's copy
    RemoveDirectoryA((shared + ".tmp").c_str());
    Load(kFilters);
    ChangeAndSave(kFilters, kAddOne);
    EXPECT_EQ(ReadWholeFile(shared), ".user U  $ true\r\n.new New $ true\r\n[end]");
    Load(kFilters);
    EXPECT_EQ(Loaded(kFilters), ".user|U |1;.new|New |1;");
}

TEST_F(DataFilesTest, BinaryGarbageNeverOverrunsAField) {
    std::mt19937 random(12345);
    for (int round = 0; round < 8; ++round) {
        std::string bytes(200000, '\0');
        for (char& c : bytes) {
            unsigned r = random() % 300;
            // Mostly bytes, often separators and the filter file's markers.
            c = r < 256 ? static_cast<char>(r) : (r < 280 ? ' ' : (r < 290 ? '$' : '\n'));
        }
        if (round % 2) bytes += " [end]";
        Kind kind = round < 4 ? kFilters : kCookies;
        WriteWholeFile(ProgramDataFile(FileName(kind)).shared, bytes);
        Load(kind);
        for (const FilterEntry& entry : CopyFilterTable()) {
            ASSERT_TRUE(memchr(entry.filter, 0, sizeof entry.filter) && memchr(entry.description, 0, sizeof entry.description));
            EXPECT_LE(entry.enabled, 1);
        }
        for (const CookieEntry& entry : CopyCookieList(KEPT_COOKIES)) {
            size_t length = strnlen(entry.name, sizeof entry.name);
            ASSERT_GT(length, 0u);
            ASSERT_LT(length, sizeof entry.name);
            EXPECT_EQ(strchr("\r\n \t", entry.name[length - 1]), nullptr);
        }
    }
}

}  // namespace
