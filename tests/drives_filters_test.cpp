// The filter table: datafilters.txt read and written, hand-edited and
// corrupt files, the filter list, Remove and the Add Filters dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <random>
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

bool FieldsTerminated(const FilterEntry& e) {
    return memchr(e.filter, 0, sizeof e.filter) && memchr(e.description, 0, sizeof e.description);
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

TEST_F(FilterFileTest, ReadsWordsByTheRulesOfTheFile) {
    auto table = LoadFrom(".log a   b $ true\r\n.tmp\tTemporary\nfiles $ false .bak Backups $ TRUE\r\n[end]");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_STREQ(table[0].filter, ".log");
    EXPECT_STREQ(table[0].description, "a b ");  // words joined, each with one space
    EXPECT_EQ(table[0].enabled, 1);
    EXPECT_STREQ(table[1].description, "Temporary files ");
    EXPECT_EQ(table[1].enabled, 0);
    EXPECT_EQ(table[2].enabled, 0);  // only the exact word "true" ticks

    table = LoadFrom(".log $ true\r\n[end]");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].description, "");

    // A word holding "$" anywhere ends the description and is dropped.
    table = LoadFrom(".x one tw$o true [end]");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].description, "one ");
    EXPECT_EQ(table[0].enabled, 1);
}

TEST_F(FilterFileTest, EndOfTheTable) {
    EXPECT_TRUE(LoadFrom("[end]").empty());
    EXPECT_TRUE(LoadFrom("").empty());
    EXPECT_TRUE(LoadFrom("   \r\n  ").empty());
    // The first word of a record ends the file when it merely holds "[end]".
    auto table = LoadFrom(".a A $ true\r\nx[end] .b B $ true\r\n");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].filter, ".a");
    // Without "[end]": every complete record, and not an incomplete last one.
    table = LoadFrom(".a A $ true\r\n.b B $ false\r\n.c half");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[1].filter, ".b");
    EXPECT_EQ(LoadFrom(".a A $ true .b B $").size(), 1u);  // no flag word
    // Loading appends to what the table holds.
    WriteFilterFile(".z Z $ true [end]");
    LoadFilterTable();
    EXPECT_EQ(CopyFilterTable().size(), 2u);
}

TEST_F(FilterFileTest, MissingFileGivesAnEmptyTableAndSavesOnlyEnd) {
    LoadFilterTable();
    EXPECT_TRUE(CopyFilterTable().empty());
    SaveFilterTable();
    EXPECT_EQ(ReadFilterFile(), "[end]");
}

TEST_F(FilterFileTest, SavesTheExactFormatAndReadsItBack) {
    LoadFrom(".tmp Temporary files $ true\r\n[end]");
    ASSERT_TRUE(AppendFilter(".bak", "Backup copies", 0));
    SaveFilterTable();
    // The loaded description keeps its trailing space: two before "$".
    EXPECT_EQ(ReadFilterFile(), ".tmp Temporary files  $ true\r\n.bak Backup copies $ false\r\n[end]");
    EXPECT_FALSE(FileExists(FiltersFilePath() + ".tmp"));

    ClearFilterTable();
    LoadFilterTable();
    auto table = CopyFilterTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].description, "Temporary files ");
    EXPECT_STREQ(table[1].description, "Backup copies ");
    EXPECT_EQ(table[0].enabled, 1);
    EXPECT_EQ(table[1].enabled, 0);
}

TEST_F(FilterFileTest, AFailedSaveLeavesTheOldFileWhole) {
    WriteFilterFile(".old Old $ true\r\n[end]");
    // A folder where the temporary file would go: it cannot be written.
    std::string blocker = FiltersFilePath() + ".tmp";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    AppendFilter(".new", "New", 1);
    SaveFilterTable();
    RemoveDirectoryA(blocker.c_str());
    EXPECT_EQ(ReadFilterFile(), ".old Old $ true\r\n[end]");
}

TEST_F(FilterFileTest, OverLongWordsSkipTheRecordOrAreCut) {
    std::string longWord(300, 'x');
    // A filter word over 255 characters: that record is skipped, the rest read.
    auto table = LoadFrom("." + longWord + " Long $ true\r\n.ok Fine $ true\r\n[end]");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].filter, ".ok");
    // Exactly 255 fits.
    table = LoadFrom(std::string(255, 'f') + " D $ true [end]");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(strlen(table[0].filter), 255u);
    // A description over 255 characters is cut at 255.
    table = LoadFrom(".d " + longWord + " more words $ true\r\n.e " + std::string(100, 'w') + " " +
                     std::string(100, 'v') + " " + std::string(100, 'u') + " $ false [end]");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(strlen(table[0].description), 255u);
    EXPECT_EQ(strlen(table[1].description), 255u);
    EXPECT_EQ(table[0].enabled, 1);
    EXPECT_EQ(table[1].enabled, 0);
    // A "$" or "[end]" far into an over-long word still counts.
    table = LoadFrom(".f " + longWord + "$ true " + longWord + "[end] .g G $ true");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].filter, ".f");
}

TEST_F(FilterFileTest, BinaryGarbageNeverOverrunsAField) {
    std::mt19937 random(12345);
    for (int round = 0; round < 8; ++round) {
        std::string bytes(200000, '\0');
        for (char& c : bytes) {
            unsigned r = random() % 300;
            // Mostly bytes, often separators and the file's markers.
            c = r < 256 ? static_cast<char>(r) : (r < 280 ? ' ' : (r < 290 ? '$' : '\n'));
        }
        if (round % 2) bytes += " [end]";
        auto table = LoadFrom(bytes);
        for (const FilterEntry& entry : table) {
            ASSERT_TRUE(FieldsTerminated(entry));
            EXPECT_LE(strlen(entry.filter), 255u);
            EXPECT_LE(strlen(entry.description), 255u);
            EXPECT_LE(entry.enabled, 1);
        }
    }
}

TEST_F(FilterFileTest, AHundredThousandRecords) {
    std::string bytes;
    bytes.reserve(100000 * 30);
    for (int i = 0; i < 100000; ++i) bytes += ".e" + std::to_string(i) + " Filter number " + std::to_string(i) + " $ " + (i % 3 ? "true" : "false") + "\r\n";
    bytes += "[end]";
    auto table = LoadFrom(bytes);
    ASSERT_EQ(table.size(), 100000u);
    EXPECT_STREQ(table[99999].filter, ".e99999");
    EXPECT_STREQ(table[99999].description, "Filter number 99999 ");
    EXPECT_EQ(table[99999].enabled, 0);
    EXPECT_EQ(table[1].enabled, 1);
}

TEST(AddFilterRules, RefusesTextThatWouldNotSurviveTheFile) {
    EXPECT_EQ(RejectExtension("tmp"), nullptr);
    EXPECT_EQ(RejectExtension("*.tmp"), nullptr);  // kept as typed; matches no file
    EXPECT_NE(RejectExtension("tar gz"), nullptr);
    EXPECT_NE(RejectExtension("tar\tgz"), nullptr);
    EXPECT_NE(RejectExtension("x[end]"), nullptr);
    EXPECT_EQ(RejectDescription("Backup copies"), nullptr);
    EXPECT_NE(RejectDescription("costs $5"), nullptr);
}

// The filter list and the dialogs, on the real main window.
class FilterListTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ClearFilterTable();
    }
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
        ClearFilterTable();
        ResetProgramState();
    }
    int Rows() { return RowCount(list); }

    HWND list = nullptr;
};

TEST_F(FilterListTest, ShowsTheTableWithItsTicks) {
    StartWith(".tmp Temporary files $ true\r\n.bak Backups $ false\r\n[end]");
    EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x124);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)), RGB(245, 255, 245));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0)), RGB(245, 255, 245));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)), RGB(0, 0, 0));
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    ListColumn column = ReadColumn(list, 0);
    ASSERT_TRUE(column.read);
    EXPECT_EQ(column.header, "Filter");
    EXPECT_EQ(column.width, 100);
    column = ReadColumn(list, 1);
    ASSERT_TRUE(column.read);
    EXPECT_EQ(column.header, "Description");
    EXPECT_EQ(column.width, 345);

    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(list, 0, 0), ".tmp");
    EXPECT_EQ(Cell(list, 0, 1), "Temporary files ");
    EXPECT_EQ(Cell(list, 1, 0), ".bak");
    EXPECT_EQ(StateImage(list, 0), 2);
    EXPECT_EQ(StateImage(list, 1), 1);
}

TEST_F(FilterListTest, TicksReachTheTableOnlyAtTheirMoments) {
    StartWith(".a A $ true\r\n.b B $ true\r\n[end]");
    SetStateImage(list, 0, 1);
    // Adding refills the list from the table: the untick is lost.
    AppendFilter(".c", "C", 1);
    FillFilterListView();
    EXPECT_EQ(StateImage(list, 0), 2);
    EXPECT_EQ(CopyFilterTable()[0].enabled, 1);

    // Quick Refresh in the Drive Cleaner view reads the ticks first.
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
    // Nothing selected: nothing removed.
    EXPECT_FALSE(RemoveSelectedFilter());
    EXPECT_EQ(Rows(), 3);

    SelectRow(list, 1, true);
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_REMOVE_FILTER, 0);
    auto table = CopyFilterTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].filter, ".a");
    EXPECT_STREQ(table[1].filter, ".c");
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(list, 1, 0), ".c");
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);

    SelectRow(list, 0, true);
    EXPECT_TRUE(RemoveSelectedFilter());
    SelectRow(list, 0, true);
    EXPECT_TRUE(RemoveSelectedFilter());
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(RemoveSelectedFilter());
    ASSERT_TRUE(DestroyMainWindowForTest());
    EXPECT_EQ(ReadFilterFile(), "[end]");
}

TEST_F(FilterListTest, StartsSaneWithAHundredThousandFilters) {
    std::string bytes;
    for (int i = 0; i < 100000; ++i) bytes += ".x" + std::to_string(i) + " D $ true\r\n";
    StartWith(bytes + "[end]");
    EXPECT_EQ(Rows(), 100000);
    EXPECT_EQ(Cell(list, 99999, 0), ".x99999");
}

bool IsAddFilters(HWND window) {
    return HasControls(window, {IDC_AF_EXTENSION, IDC_AF_DESCRIPTION, IDC_AF_CLOSE});
}

HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        HWND window = FindProcessWindow(match);
        if (window && IsWindowVisible(window)) return window;
        Sleep(20);
    }
    return nullptr;
}

bool IsWarning(HWND window) {
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return strcmp(caption, "Add Filters") == 0;
}

void Type(HWND dialog, const char* extension, const char* description) {
    SetDlgItemTextA(dialog, IDC_AF_EXTENSION, extension);
    SetDlgItemTextA(dialog, IDC_AF_DESCRIPTION, description);
}

TEST_F(FilterListTest, AddFiltersDialogAddsUntilClosed) {
    StartWith("[end]");
    WindowHelper helper(IsAddFilters, [](HWND dialog) {
        Type(dialog, "tmp", "Temporary files");
        SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        // Empty fields do nothing.
        Type(dialog, "", "No extension");
        SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        Type(dialog, "log", "");
        SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        // Escape acts as Add; the edits keep their text.
        Type(dialog, "*.bak", "Backups");
        PostMessageA(GetDlgItem(dialog, IDC_AF_EXTENSION), WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(300);
        PostMessageA(dialog, WM_COMMAND, IDC_AF_CLOSE, 0);
    });
    EXPECT_EQ(SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_ADD_FILTER, 0), FALSE);
    ASSERT_TRUE(helper.Join());
    auto table = CopyFilterTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].filter, ".tmp");
    EXPECT_STREQ(table[0].description, "Temporary files");
    EXPECT_EQ(table[0].enabled, 1);
    EXPECT_STREQ(table[1].filter, ".*.bak");
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(StateImage(list, 1), 2);
}

TEST_F(FilterListTest, AddFiltersRefusesTextTheFileWouldCorrupt) {
    StartWith("[end]");
    std::string firstWarning, secondWarning;
    WindowHelper helper(IsAddFilters, [&](HWND dialog) {
        auto answer = [](std::string& text) {
            HWND box = WaitForWindow(IsWarning);
            if (!box) return;
            char buffer[256] = {};
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            text = buffer;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            Sleep(200);
        };
        Type(dialog, "tar gz", "Archives");
        PostMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        answer(firstWarning);
        Type(dialog, "usd", "Prices in $");
        PostMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        answer(secondWarning);
        Type(dialog, "tgz", "Archives");
        SendMessageA(dialog, WM_COMMAND, IDC_AF_ADD, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_AF_CLOSE, 0);
    });
    SendMessageA(g_app.mainWindow, WM_COMMAND, IDC_ADD_FILTER, 0);
    ASSERT_TRUE(helper.Join());
    EXPECT_NE(firstWarning.find("spaces"), std::string::npos) << firstWarning;
    EXPECT_NE(secondWarning.find("$"), std::string::npos) << secondWarning;
    auto table = CopyFilterTable();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_STREQ(table[0].filter, ".tgz");
}

}  // namespace
