// The filter table: datafilters.txt's word rules and format, the filter
// list, Remove and the Add Filters dialog. Damaged, locked and huge files:
// data_files_test.
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
class FilterListTest : public FilterFileTest {
protected:
    void StartWith(const std::string& file) {
        WriteFilterFile(file);
        LoadFilterTable();
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
        list = g_app.filterList;
        Command(IDC_VIEW_DRIVES);
    }
    void TearDown() override {
        CloseMainWindowForTest();
        g_app.filterList = nullptr;
        g_app.driveList = nullptr;
        FilterFileTest::TearDown();
    }
    int Rows() { return RowCount(list); }

    HWND list = nullptr;
};

TEST_F(FilterListTest, TicksReachTheTableOnlyAtTheirMoments) {
    StartWith(".a A $ true\r\n.b B $ true\r\n.x X $ true\r\n[end]");
    SetStateImage(list, 0, 1);
    // Removing another filter refills the list: the untick stays.
    SelectRow(list, 2);
    Command(IDC_REMOVE_FILTER);
    EXPECT_EQ(StateImage(list, 0), 1);
    AppendFilter(".c", "C", 1);
    FillFilterListView();

    // Quick Refresh in the Drive Cleaner view reads the ticks too.
    SetStateImage(list, 0, 1);
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_QUICK_REFRESH, 0);
    EXPECT_EQ(CopyFilterTable()[0].enabled, 0);
    FillFilterListView();
    EXPECT_EQ(StateImage(list, 0), 1);

    // The save at the main window's end reads them too.
    SetStateImage(list, 1, 1);
    ASSERT_TRUE(DestroyMainWindowForTest());
    EXPECT_EQ(ReadFilterFile(), ".a A  $ false\r\n.b B  $ false\r\n.c C $ true\r\n[end]");
}

TEST_F(FilterListTest, RemovesTheSelectedFilter) {
    StartWith(".a A $ true\r\n.b B $ false\r\n.c C $ true\r\n[end]");
    EXPECT_FALSE(RemoveSelectedFilter());  // nothing selected

    SelectRow(list, 1, true);
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_REMOVE_FILTER, 0);
    auto table = CopyFilterTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].filter, ".a");
    EXPECT_STREQ(table[1].filter, ".c");
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(list, 1, 0), ".c");
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);

    for (int i = 0; i < 2; ++i) {
        SelectRow(list, 0, true);
        EXPECT_TRUE(RemoveSelectedFilter());
    }
    EXPECT_FALSE(RemoveSelectedFilter());
    ASSERT_TRUE(DestroyMainWindowForTest());
    EXPECT_EQ(ReadFilterFile(), "[end]");
}

bool IsAddFilters(HWND window) { return HasControls(window, {IDC_AF_EXTENSION, IDC_AF_DESCRIPTION, IDC_AF_CLOSE}); }

bool IsWarning(HWND window) {
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return IsWindowVisible(window) && strcmp(caption, "Add Filters") == 0;
}

TEST_F(FilterListTest, AddFiltersAddsUntilClosedAndRefusesTextTheFileWouldCorrupt) {
    StartWith(".keep K $ true [end]");
    SetStateImage(list, 0, 1);  // an untick that each Add must keep
    std::vector<std::string> warnings;
    WindowHelper helper(IsAddFilters, [&](HWND dialog) {
        auto type = [dialog](const char* extension, const char* description) {
            SetDlgItemTextA(dialog, IDC_AF_EXTENSION, extension);
            SetDlgItemTextA(dialog, IDC_AF_DESCRIPTION, description);
        };
        type("tmp", "Temporary files");
        SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        for (const char* empty : {"", "log"}) {  // an empty field adds nothing
            type(empty, *empty ? "" : "No extension");
            SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        }
        for (const char* refused : {"tar gz", "usd"}) {
            type(refused, *refused == 'u' ? "Prices in $" : "Archives");
            PostMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
            HWND box = nullptr;
            if (!PollUntil([&] { return (box = FindProcessWindow(IsWarning)) != nullptr; })) return;
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            warnings.push_back(text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            Sleep(200);
        }
        // Escape acts as Add; the edits keep their text.
        type("*.bak", "Backups");
        PostMessageA(GetDlgItem(dialog, IDC_AF_EXTENSION), WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(300);
        PostMessageA(dialog, WM_COMMAND, IDC_AF_CLOSE, 0);
    });
    EXPECT_EQ(SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_ADD_FILTER, 0), FALSE);
    ASSERT_TRUE(helper.Join());
    EXPECT_EQ(Render(CopyFilterTable()), ".keep|K |0;.tmp|Temporary files|1;.*.bak|Backups|1;");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("spaces"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("$"), std::string::npos) << warnings[1];
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(StateImage(list, 0), 1);
    EXPECT_EQ(StateImage(list, 2), 2);
}

}  // namespace
