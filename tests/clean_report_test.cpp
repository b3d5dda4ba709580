// What a clean will delete and what it did: index names listed but not
// counted, files that cannot go, refused folders, and the report and the
// journal saying so, item by item. (That each category's preview lists
// what its clean deletes: clean_engine_test.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "clean_support.h"
#include "cookies/cookies.h"
#include "drives/found_files.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/app_caches.h"
#include "sweep/clean_report.h"
#include "sweep/cleaning.h"
#include "sweep/journal.h"
#include "sweep/preview.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

std::string Journal() { return ReadWholeFile(AnsiFromWide(JournalPath())); }

class CleanReportTest : public testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(JournalPath().c_str());
        DeleteFileW((JournalPath() + L".1").c_str());
        root_ = MakeSandboxFolder("report");
    }
    void TearDown() override {
        SetJournalLimitForTest(0);
        RemoveTree(root_);
    }
    std::string root_;
};

// Index names: the row's figure leaves them out, yet the clean deletes
// them with the rest, and the preview lists them, marked. Sizes past 32
// bits count in full.
TEST_F(CleanReportTest, IndexNamesAreNotCountedButListedMarkedAndCleaned) {
    std::string temp = root_ + "\\temp";
    TempFolderOverride override(temp);
    for (const char* dir : {"", "\\Content.IE5", "\\nest", "\\nest\\XHistory.IE5x", "\\nest\\content.ie5"})
        ASSERT_TRUE(CreateDirectoryA((temp + dir).c_str(), nullptr)) << dir;
    const struct {
        const char* path;
        bool counted;
        unsigned long long size;
    } kItems[] = {
        {"\\x.database", false, 11},
        {"\\index.dat", false, 13},
        {"\\Content.IE5\\cached.bin", false, 17},
        {"\\nest\\XHistory.IE5x\\h.bin", false, 19},
        {"\\nest\\content.ie5\\c.bin", true, 23},  // the rule is case-sensitive
        {"\\nest\\data.DAT", true, 29},
        {"\\huge.bin", true, 5ULL << 30},  // a size past 32 bits
        {"\\Content.IE5", false, 0},
        {"\\nest\\XHistory.IE5x", false, 0},
        {"\\nest", true, 0},
        {"\\nest\\content.ie5", true, 0},
    };
    for (const auto& item : kItems) {
        if (item.size == 0) continue;
        ASSERT_TRUE(MakeFile(temp + item.path, item.size)) << item.path;
    }

    CategoryMeasurement before;
    MeasureCategory(SWEEP_TEMP, before);
    EXPECT_EQ(before.counters.files, 3u);
    EXPECT_EQ(before.counters.folders, 2u);
    EXPECT_EQ(before.counters.bytes, 23u + 29 + (5ULL << 30));

    PreviewList preview;
    ASSERT_TRUE(PreviewCategory(SWEEP_TEMP, preview)) << preview.reason;
    ASSERT_EQ(preview.size(), std::size(kItems));
    for (const auto& item : kItems) {
        size_t i = 0;
        while (i < preview.size() && Utf8FromWide(preview.PathOf(i)) != temp + item.path) ++i;
        ASSERT_LT(i, preview.size()) << item.path;
        EXPECT_EQ(preview.IsCounted(i), item.counted) << item.path;
    }
    EXPECT_EQ(preview.uncounted, 6u);
    EXPECT_EQ(preview.uncountedBytes, 11u + 13 + 17 + 19);

    Clean(Only(SWEEP_TEMP));
    const CleanReport report = CopyLastCleanReport();
    EXPECT_EQ(report.itemsDeleted, preview.size());
    EXPECT_EQ(report.bytesFreed, preview.bytes);
    EXPECT_EQ(report.itemsLeft, 0u);
    for (const auto& item : kItems) EXPECT_FALSE(FileExists(temp + item.path) || DirExists(temp + item.path)) << item.path;
    EXPECT_TRUE(DirExists(temp));
    CategoryMeasurement after;
    MeasureCategory(SWEEP_TEMP, after);
    EXPECT_EQ(after.counters.files + after.counters.folders + after.counters.bytes, 0u);
}

// A file that went between the listing and its delete is neither deleted
// nor left.
std::string g_vanishing;
void RemoveVanishing(const std::wstring&) {
    if (!g_vanishing.empty()) DeleteFileA(g_vanishing.c_str());
    g_vanishing.clear();
}

TEST_F(CleanReportTest, FilesThatCannotGoAreLeftWithTheirReasonsInReportJournalAndSummary) {
    std::string temp = root_ + "\\temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    TempFolderOverride override(temp);
    MakeFile(temp + "\\gone.tmp", 10);
    MakeFile(temp + "\\held.tmp", 20);
    MakeFile(temp + "\\readonly.tmp", 5);
    SetFileAttributesA((temp + "\\readonly.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFile(g_vanishing = temp + "\\vanishing.tmp", 7);
    HANDLE open = CreateFileA((temp + "\\held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    // A Unix name with a newline and a tab must not forge a journal line.
    ASSERT_TRUE(RunShell("cd '" + UnixPath(temp) + "' && IFS= && touch $(printf 'x\\nleft\\tforged')"));
    SetListingHookForTest(RemoveVanishing);
    Clean(Only(SWEEP_TEMP));
    SetListingHookForTest(nullptr);
    CloseHandle(open);
    SetFileAttributesA((temp + "\\readonly.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    CleanReport report = CopyLastCleanReport();
    ASSERT_EQ(report.categories.size(), 1u);
    // The odd name is listed but cannot be opened through Win32: left.
    std::set<std::string> left;
    for (const LeftItem& item : report.categories[0].left)
        left.insert(Utf8FromWide(item.path.substr(item.path.rfind(L'\\') + 1)) + ": " + LeftReasonText(item.reason));
    EXPECT_EQ(left.size(), 3u);
    EXPECT_EQ(left.count("held.tmp: in use"), 1u);
    EXPECT_EQ(left.count("readonly.tmp: read-only"), 1u);
    EXPECT_EQ(report.itemsDeleted, 1u);
    EXPECT_EQ(CleanSummaryText(report), "Cleaned 0.01 KB; 1 file in use was left; 2 other items were left");
    std::string journal = Journal();
    EXPECT_NE(journal.find("deleted\t10\t" + temp + "\\gone.tmp\r\n"), std::string::npos) << journal;
    EXPECT_NE(journal.find("left\tin use\t" + temp + "\\held.tmp\r\n"), std::string::npos) << journal;
    EXPECT_NE(journal.find("=== end: 1 deleted, 10 bytes freed, 3 left"), std::string::npos) << journal;
    EXPECT_NE(journal.find("\\x\\x0Aleft\\x09forged\r\n"), std::string::npos) << journal;
    EXPECT_EQ(journal.find("\nleft\tforged"), std::string::npos) << journal;
}

// A folder refused as a whole (a link put in its place): nothing behind it
// goes, each file that was to go from it is left with the reason in the
// report and the journal, and the list it came from keeps it.
TEST_F(CleanReportTest, RefusedFoldersAreReportedAndTheirListsKept) {
    std::string outside = root_ + "\\outside";
    CreateDirectoryA(outside.c_str(), nullptr);
    for (const char* name : {"\\a.tmp", "\\cookie.txt"}) MakeFile(outside + name, 7);
    std::string found = root_ + "\\found";
    ASSERT_TRUE(MakeUnixSymlink(outside, found));
    FoundFileStore store;
    store.Add(store.AddFolder(found.c_str()), "a.tmp");
    ClearFoundFiles();
    PublishFoundFiles(store);
    std::string cookies = CookieFolder(), aside = cookies + ".aside";
    ASSERT_FALSE(cookies.empty());
    CreateDirectoryA(cookies.c_str(), nullptr);
    ASSERT_TRUE(MoveFileA(cookies.c_str(), aside.c_str()));
    bool linked = MakeUnixSymlink(outside, cookies);
    SetCookieNames(COOKIES_TO_DELETE, {"cookie.txt"});
    CategoryTicks ticks = {};
    ticks[SWEEP_COOKIES] = ticks[SWEEP_OTHER] = 1;
    if (linked) Clean(ticks);
    RemoveUnixLink(cookies);
    ASSERT_TRUE(MoveFileA(aside.c_str(), cookies.c_str()));
    ASSERT_TRUE(linked);

    CleanReport report = CopyLastCleanReport();
    std::set<std::string> left;
    for (const CategoryReport& category : report.categories)
        for (const LeftItem& item : category.left) left.insert(Utf8FromWide(item.path) + ": " + LeftReasonText(item.reason));
    EXPECT_EQ(left, (std::set<std::string>{found + "\\a.tmp: folder is a link", cookies + "\\cookie.txt: folder is a link"}));
    EXPECT_EQ(report.itemsDeleted, 0u);
    for (const char* name : {"\\a.tmp", "\\cookie.txt"}) EXPECT_TRUE(FileExists(outside + name)) << name;
    std::string journal = Journal();
    EXPECT_NE(journal.find("left\tfolder is a link\t" + found + "\\a.tmp\r\n"), std::string::npos) << journal;
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), std::vector<std::string>{"cookie.txt"});
    std::vector<FoundFile> still = CopyFoundFiles();
    ASSERT_EQ(still.size(), 1u);
    EXPECT_TRUE(still[0].checked);
    ClearFoundFiles();
    ClearCookieLists();
}

TEST_F(CleanReportTest, JournalRotatesAtItsLimitKeepingOneOldFile) {
    std::string temp = root_ + "\\temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    TempFolderOverride override(temp);
    std::string log = AnsiFromWide(JournalPath());
    std::string old(900, 'x');
    WriteWholeFile(log, old);
    WriteWholeFile(log + ".1", "older");
    SetJournalLimitForTest(1000);
    for (int i = 0; i < 20; ++i) MakeFile(temp + "\\f" + std::to_string(i) + ".tmp", 1);
    Clean(Only(SWEEP_TEMP));
    std::string rotated = ReadWholeFile(log + ".1"), current = Journal();
    EXPECT_LE(current.size(), 1000u);
    EXPECT_LE(rotated.size(), 1000u);
    EXPECT_NE(current.find("=== end: 20 deleted"), std::string::npos) << current;
    EXPECT_EQ(rotated.find("older"), std::string::npos);  // only one old file is kept
}

}  // namespace
