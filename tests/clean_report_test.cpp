// What a clean will delete and what it did: the preview of each kind of
// category lists exactly its junk, the clean then deletes exactly that,
// and the report and the journal say so, item by item.
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

std::set<std::string> Listed(const PreviewList& list, bool byName) {
    std::set<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.insert(Utf8FromWide(byName ? list.NameOf(i) : list.PathOf(i)));
    return out;
}

// A category folder: junk files and a sub-folder, a link to a folder
// outside whose canary must never be listed, and a precious file beside.
struct Planted {
    std::string root, folder;
    std::vector<std::string> junk;  // what the preview must list
    std::vector<std::string> kept;  // what must stay
    void Folder(const std::string& at) {
        folder = at;
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
        for (const char* name : {"\\a.tmp", "\\sub\\b.log"}) {
            MakeFile(folder + name, 100);
            junk.push_back(folder + name);
        }
        junk.push_back(folder + "\\sub");
        std::string outside = root + "\\outside";
        CreateDirectoryA(outside.c_str(), nullptr);
        MakeFile(outside + "\\canary.txt", 7);
        MakeFile(root + "\\precious.doc", 5);
        kept = {outside + "\\canary.txt", root + "\\precious.doc"};
        MakeUnixSymlink(outside, folder + "\\dirlink");
    }
};

class CleanReportTest : public testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(JournalPath().c_str());
        DeleteFileW((JournalPath() + L".1").c_str());
        planted_.root = MakeSandboxFolder("report");
    }
    void TearDown() override {
        SetJournalLimitForTest(0);
        RemoveTree(planted_.root);
    }
    Planted planted_;
};

struct KindCase {
    const char* name;
    int row;
    bool exact;   // the category holds nothing but what was planted
    bool byName;  // items are matched by name (the bin shows original names)
};

const KindCase kKinds[] = {
    {"temporary folder", SWEEP_TEMP, true, false},
    {"crash dumps", SWEEP_CRASH_DUMPS, true, false},
    {"url cache", SWEEP_INTERNET_CACHE, false, false},
    {"recycle bin", SWEEP_RECYCLE_BIN, false, true},
};

TEST_F(CleanReportTest, PreviewListsThePlantedJunkAndTheCleanDeletesExactlyThat) {
    for (const KindCase& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        Planted p;
        p.root = planted_.root + "\\" + std::to_string(kind.row);
        CreateDirectoryA(p.root.c_str(), nullptr);
        std::string crash = AnsiFromWide(LocalAppDataPath()) + "\\CrashDumps";
        TempFolderOverride temp(p.root + "\\temp");
        if (kind.row == SWEEP_TEMP) p.Folder(p.root + "\\temp");
        if (kind.row == SWEEP_CRASH_DUMPS) p.Folder(crash);
        if (kind.row == SWEEP_INTERNET_CACHE) {
            ASSERT_TRUE(AddCacheEntry("http://junk.example/one", 64, NORMAL_CACHE_ENTRY));
            p.junk = {"http://junk.example/one"};
        }
        if (kind.row == SWEEP_RECYCLE_BIN) {
            MakeFile(p.root + "\\recycled.tmp", 50);
            ASSERT_TRUE(RecycleFile(p.root + "\\recycled.tmp"));
            p.junk = {"recycled.tmp"};
        }
        PreviewList preview;
        ASSERT_TRUE(PreviewCategory(kind.row, preview)) << preview.reason;
        std::set<std::string> listed = Listed(preview, kind.byName);
        for (const std::string& junk : p.junk) EXPECT_EQ(listed.count(junk), 1u) << junk;
        if (kind.exact) {
            EXPECT_EQ(listed, std::set<std::string>(p.junk.begin(), p.junk.end()));
        }
        for (const std::string& kept : p.kept) EXPECT_EQ(listed.count(kept), 0u) << kept;

        Clean(Only(kind.row));
        const CleanReport report = CopyLastCleanReport();
        ASSERT_TRUE(report.valid);
        ASSERT_EQ(report.categories.size(), 1u);
        EXPECT_EQ(report.categories[0].row, kind.row);
        EXPECT_EQ(report.itemsDeleted, preview.size());
        EXPECT_EQ(report.bytesFreed, preview.bytes);
        for (const std::string& kept : p.kept) EXPECT_TRUE(FileExists(kept)) << kept;
        for (const std::string& junk : p.junk) {
            EXPECT_TRUE(kind.byName || !(FileExists(junk) || DirExists(junk))) << junk;
        }
        PreviewList after;
        PreviewCategory(kind.row, after);
        for (const std::string& junk : p.junk) EXPECT_EQ(Listed(after, kind.byName).count(junk), 0u) << junk;
        // One journal line per deleted or left item (the link), between the header and the footer.
        std::string journal = Journal();
        size_t lines = std::count(journal.begin(), journal.end(), '\n');
        EXPECT_EQ(lines, preview.size() + report.itemsLeft + 2) << journal;
        for (size_t i = 0; i < preview.size() && !kind.byName; ++i) {
            EXPECT_NE(journal.find("\t" + Utf8FromWide(preview.PathOf(i)) + "\r\n"), std::string::npos);
        }
        DeleteFileW(JournalPath().c_str());
        if (kind.row == SWEEP_CRASH_DUMPS) RemoveTree(crash);
    }
}

// Index names: the row's figure leaves them out, yet the clean deletes
// them with the rest, and the preview lists them, marked.
TEST_F(CleanReportTest, IndexNamesAreNotCountedButListedMarkedAndCleaned) {
    std::string temp = planted_.root + "\\temp";
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
    EXPECT_EQ(before.counters.files, 1u);
    EXPECT_EQ(before.counters.folders, 2u);
    EXPECT_EQ(before.counters.bytes, 23u);

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
    std::string temp = planted_.root + "\\temp";
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
    std::string outside = planted_.root + "\\outside";
    CreateDirectoryA(outside.c_str(), nullptr);
    for (const char* name : {"\\a.tmp", "\\cookie.txt"}) MakeFile(outside + name, 7);
    std::string found = planted_.root + "\\found";
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
    std::string temp = planted_.root + "\\temp";
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
