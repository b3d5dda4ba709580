// The filter table: datafilters.txt's word rules and format and the text
// Add Filters refuses. Damaged, locked and huge files: data_files_test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "drives/filters.h"
#include "resource.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"

namespace {

void WriteFilterFile(const std::string& bytes) { WriteWholeFile(FiltersFilePath(), bytes); }

std::string ReadFilterFile() { return FileExists(FiltersFilePath()) ? ReadWholeFile(FiltersFilePath()) : "<missing>"; }

std::vector<FilterEntry> LoadFrom(const std::string& bytes) {
    ClearFilterTable();
    WriteFilterFile(bytes);
    LoadFilterTable();
    return CopyFilterTable();
}

class FilterFileTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ClearFilterTable();
    }
    void TearDown() override {
        ClearFilterTable();
        ResetProgramState();
    }
};

// The table as "filter|description|enabled;" per entry.
std::string Render(const std::vector<FilterEntry>& table) {
    std::string out;
    for (const FilterEntry& e : table) out += std::string(e.filter) + "|" + e.description + "|" + std::to_string(e.enabled) + ";";
    return out;
}

TEST_F(FilterFileTest, ReadsWordsByTheRulesOfTheFile) {
    const std::string longWord(300, 'x');
    const struct {
        std::string file, table;
    } cases[] = {
        // Words joined, each with one space; only the exact word "true" ticks.
        {".log a   b $ true\r\n.tmp\tTemporary\nfiles $ false .bak Backups $ TRUE\r\n[end]",
         ".log|a b |1;.tmp|Temporary files |0;.bak|Backups |0;"},
        {".log $ true\r\n[end]", ".log||1;"},
        {".x one tw$o true [end]", ".x|one |1;"},  // a word holding "$" ends the description
        {"[end]", ""},
        {"", ""},
        {"   \r\n  ", ""},
        {".a A $ true\r\nx[end] .b B $ true\r\n", ".a|A |1;"},  // a first word holding "[end]" ends the file
        {".a A $ true\r\n.b B $ false\r\n.c half", ".a|A |1;.b|B |0;"},  // no incomplete last record
        {".a A $ true .b B $", ".a|A |1;"},
        {"." + longWord + " Long $ true\r\n.ok Fine $ true\r\n[end]", ".ok|Fine |1;"},  // over-long filter: skipped
        {std::string(255, 'f') + " D $ true [end]", std::string(255, 'f') + "|D |1;"},
        {".f " + longWord + "$ true " + longWord + "[end] .g G $ true", ".f||1;"},  // markers deep in long words
    };
    for (const auto& c : cases) EXPECT_EQ(Render(LoadFrom(c.file)), c.table) << c.file.substr(0, 80);

    // A description over 255 characters is cut at 255.
    auto table = LoadFrom(".d " + longWord + " more words $ true\r\n.e " + std::string(100, 'w') + " " +
                          std::string(100, 'v') + " " + std::string(100, 'u') + " $ false [end]");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(strlen(table[0].description), 255u);
    EXPECT_EQ(strlen(table[1].description), 255u);
    EXPECT_EQ(table[1].enabled, 0);

    // Loading appends to what the table holds.
    WriteFilterFile(".z Z $ true [end]");
    LoadFilterTable();
    EXPECT_EQ(CopyFilterTable().size(), 3u);
}

TEST_F(FilterFileTest, SavesTheExactFormatAndReadsItBack) {
    LoadFilterTable();  // no file: an empty table, saved as "[end]" alone
    EXPECT_TRUE(CopyFilterTable().empty());
    SaveFilterTable();
    EXPECT_EQ(ReadFilterFile(), "[end]");

    LoadFrom(".tmp Temporary files $ true\r\n[end]");
    ASSERT_TRUE(AppendFilter(".bak", "Backup copies", 0));
    SaveFilterTable();
    // The loaded description keeps its trailing space: two before "$".
    EXPECT_EQ(ReadFilterFile(), ".tmp Temporary files  $ true\r\n.bak Backup copies $ false\r\n[end]");
    EXPECT_FALSE(FileExists(FiltersFilePath() + ".tmp"));
    ClearFilterTable();
    LoadFilterTable();
    EXPECT_EQ(Render(CopyFilterTable()), ".tmp|Temporary files |1;.bak|Backup copies |0;");
}

TEST(AddFilterRules, RefusesTextThatWouldNotSurviveTheFile) {
    for (const char* ok : {"tmp", "*.tmp"}) EXPECT_EQ(RejectExtension(ok), nullptr) << ok;
    for (const char* bad : {"tar gz", "tar\tgz", "x[end]"}) EXPECT_NE(RejectExtension(bad), nullptr) << bad;
    EXPECT_EQ(RejectDescription("Backup copies"), nullptr);
    EXPECT_NE(RejectDescription("costs $5"), nullptr);
}

// The filter list and the dialogs, on the real main window.
}  // namespace
