// The cleaning engine: the work of each cleaning step on its own store,
// what lies behind a link in one, a failed folder lookup, and caches that
// are in use, and the confirmations. (Links and roots on every delete path: fs_tree_test.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "fs/shell_folders.h"
#include "drives/disk_scan.h"
#include "drives/drive_table.h"
#include "clean_support.h"
#include "settings/settings.h"
#include "fs/tree.h"
#include "sweep/browser_rows.h"
#include "sweep/categories.h"
#include "sweep/clean_report.h"
#include "sweep/cleaning.h"
#include "sweep/measure.h"
#include "sweep/preview.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

LONGLONG RecycleBinItems() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    return FAILED(SHQueryRecycleBinA(nullptr, &info)) ? -1 : info.i64NumItems;
}

class CleanEngineTest : public testing::Test {
protected:
    void SetUp() override {
        g_settings.askDel = 0;  // the confirmation case turns it on
    }
};

// A temp folder that cannot be opened: the step must not fall back to the
// Recent folder looked up before. (Protected temp folders are in the file
// layer's root table.)
TEST_F(CleanEngineTest, AFailedTempLookupSkipsTheStep) {
    std::string recent = SpecialFolder(CSIDL_RECENT);
    ASSERT_FALSE(recent.empty());
    MakeFile(recent + "\\brisola-previous-step.lnk", 1);
    {
        TempFolderOverride temp("C:\\" + std::string(300, 't'));
        Clean(Only(SWEEP_TEMP));
    }
    EXPECT_TRUE(FileExists(recent + "\\brisola-previous-step.lnk"));
    DeleteFileA((recent + "\\brisola-previous-step.lnk").c_str());
}

// With AskDel on, every ticked category asks once and only a yes cleans it.
std::vector<std::string> g_asked, g_yes;
bool AskAndAnswer(const char* subject) {
    g_asked.push_back(subject);
    return std::find(g_yes.begin(), g_yes.end(), subject) != g_yes.end();
}

TEST_F(CleanEngineTest, EachConfirmationDecidesItsOwnCategory) {
    std::string temp = MakeSandboxFolder("confirm-temp");
    std::string recent = SpecialFolder(CSIDL_RECENT);
    TempFolderOverride override(temp);
    char shown[MAX_PATH] = {};
    GetTempPathA(sizeof shown, shown);
    MakeFile(temp + "\\junk.tmp", 10);
    MakeFile(recent + "\\brisola-job.lnk", 3);
    g_settings.askDel = 1;
    g_yes = {shown};  // a yes to the history would open the shell's own question
    g_asked.clear();
    CategoryTicks all;
    all.fill(1);
    Clean(all, AskAndAnswer);
    EXPECT_EQ(g_asked.size(), static_cast<size_t>(SWEEP_CATEGORIES));
    for (const std::string& yes : g_yes) EXPECT_EQ(std::count(g_asked.begin(), g_asked.end(), yes), 1) << yes;
    EXPECT_FALSE(FileExists(temp + "\\junk.tmp"));
    EXPECT_TRUE(FileExists(recent + "\\brisola-job.lnk"));
    DeleteFileA((recent + "\\brisola-job.lnk").c_str());
    RemoveTree(temp);
}

// --- every category of the table ----------------------------------------

std::string LocalAppData() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }
std::string g_tableTemp;  // the temporary folder of the table test

// What a test put into a category's store, and what must become of it.
struct Planted {
    std::vector<std::string> junk, kept, removeAfter;
    std::vector<std::function<bool()>> gone, stays;
    ScanCounters counted;      // what the measurement adds
    ScanCounters countedKept;  // counted, yet left by the clean

    void Dir(const std::string& path) {
        SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
        ++counted.folders;
        junk.push_back(path);
    }
    void File(std::vector<std::string>& list, const std::string& path, unsigned long long size) {
        SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
        MakeFile(path, size);
        list.push_back(path);
    }
    void Junk(const std::string& path, unsigned long long size) {
        File(junk, path, size);
        ++counted.files;
        counted.bytes += size;
    }
    // Deleted by the clean, left out of the figures.
    void Uncounted(const std::string& path, unsigned long long size) { File(junk, path, size); }
    void Keep(const std::string& path, unsigned long long size = 3, bool isCounted = false) {
        File(kept, path, size);
        for (ScanCounters* c : {&counted, &countedKept}) {
            c->files += isCounted;
            c->bytes += isCounted ? size : 0;
        }
    }
};

// A Chromium profile: its four caches and, beside them, what is precious.
void PlantChromiumProfile(Planted& p, const std::string& profile) {
    p.Dir(profile + "\\Cache\\Cache_Data");
    p.Junk(profile + "\\Cache\\Cache_Data\\data_0", 8192);
    p.Junk(profile + "\\Cache\\Cache_Data\\f_000001", 1000);
    p.Dir(profile + "\\Code Cache\\js");
    p.Junk(profile + "\\Code Cache\\js\\index", 24);
    p.Junk(profile + "\\Code Cache\\js\\0a1b2c3d_0", 500);
    p.Junk(profile + "\\GPUCache\\data_1", 2048);
    p.Dir(profile + "\\Service Worker\\CacheStorage\\4f2e");
    p.Junk(profile + "\\Service Worker\\CacheStorage\\4f2e\\index.txt", 100);
    for (const char* precious : {"Cookies", "Network\\Cookies", "History", "Bookmarks", "Login Data", "Preferences",
                                 "Current Session", "Sessions\\Session_13", "Local Storage\\leveldb\\000003.log",
                                 "Extensions\\abcdef\\1.0\\manifest.json", "Service Worker\\Database\\MANIFEST-1"})
        p.Keep(profile + "\\" + precious);
}

void PlantBrowsers(Planted& p) {
    std::string local = LocalAppData();
    PlantChromiumProfile(p, local + "\\Google\\Chrome\\User Data\\Default");
    PlantChromiumProfile(p, local + "\\Microsoft\\Edge\\User Data\\Default");
    PlantChromiumProfile(p, local + "\\Microsoft\\Edge\\User Data\\Profile 1");
    p.Keep(local + "\\Microsoft\\Edge\\User Data\\Local State");
    p.Keep(local + "\\Microsoft\\Edge\\User Data\\System Profile\\Cache\\data_0");  // not a user's profile
    std::string firefox = local + "\\Mozilla\\Firefox\\Profiles\\x1y2z3.default-release";
    p.Dir(firefox + "\\cache2\\entries");
    p.Junk(firefox + "\\cache2\\entries\\0A1B2C3D4E5F", 4000);
    p.Junk(firefox + "\\cache2\\index", 64);
    for (const char* precious : {"places.sqlite", "cookies.sqlite", "key4.db", "logins.json", "sessionstore.jsonlz4",
                                 "storage\\default\\site\\ls\\data.sqlite", "startupCache\\scriptCache.bin"})
        p.Keep(firefox + "\\" + precious);
    for (const char* top : {"\\Google", "\\Microsoft\\Edge", "\\Mozilla"}) p.removeAfter.push_back(local + top);
}

void PlantThumbnails(Planted& p) {
    std::string explorer = LocalAppData() + "\\Microsoft\\Windows\\Explorer";
    p.Junk(explorer + "\\thumbcache_256.db", 3000);
    p.Junk(explorer + "\\iconcache_32.db", 700);
    p.Junk(explorer + "\\ThumbCache_IDX.DB", 50);
    p.Keep(explorer + "\\ExplorerStartupLog.etl");
    p.Keep(explorer + "\\thumbcache_256.db.bak");
    p.Keep(explorer + "\\NotifyIcon\\thumbcache_1.db");  // only the folder's own files
    p.removeAfter.push_back(explorer);
}

void PlantCrashDumps(Planted& p) {
    std::string local = LocalAppData(), wer = local + "\\Microsoft\\Windows\\WER";
    p.Junk(local + "\\CrashDumps\\app.exe.4242.dmp", 90000);
    p.Dir(wer + "\\ReportArchive\\AppCrash_app.exe_1");
    p.Junk(wer + "\\ReportArchive\\AppCrash_app.exe_1\\Report.wer", 900);
    p.Dir(wer + "\\ReportQueue\\Kernel_2");
    p.Junk(wer + "\\ReportQueue\\Kernel_2\\memory.dat", 512);
    p.Keep(wer + "\\Temp\\in-progress.xml");
    p.Keep(local + "\\CrashDumpsSettings.txt");
    p.removeAfter.push_back(local + "\\CrashDumps");
    p.removeAfter.push_back(wer);
}

// One plant per category row, in table order; the label checks that the
// row is the category meant.
struct CategoryCase {
    const char* label;
    void (*plant)(Planted& p);
};

const CategoryCase kCategoryCases[SWEEP_CATEGORIES] = {
    {"Sweep Temporary Internet Files",
     [](Planted& p) {
         ASSERT_TRUE(AddCacheEntry("http://junk.example/page.html", 100, NORMAL_CACHE_ENTRY));
         ASSERT_TRUE(AddCacheEntry("http://junk.example/empty", 0, NORMAL_CACHE_ENTRY));  // not counted, deleted
         ASSERT_TRUE(AddCacheEntry("Cookie:user@junk.example/", 50, COOKIE_CACHE_ENTRY));
         p.counted.files = 1;
         p.counted.bytes = 100;
         for (const char* url : {"http://junk.example/page.html", "http://junk.example/empty"})
             p.gone.push_back([url] { return !CacheEntryExists(url); });
         p.stays.push_back([] { return CacheEntryExists("Cookie:user@junk.example/"); });
     }},
    // The clean deletes only what the Cookies Manager listed: nothing here.
    {"Sweep Internet cookies", [](Planted& p) { p.Keep(CookieFolder() + "\\brisola@table.txt", 40, true); }},
    // A folder link among the documents: its target's canary stays.
    {"Sweep Start menu Documents",
     [](Planted& p) {
         std::string recent = SpecialFolder(CSIDL_RECENT), outside = MakeSandboxFolder("table-outside");
         p.Junk(recent + "\\brisola-doc.lnk", 12);
         p.Keep(outside + "\\canary.txt");
         RemoveUnixLink(recent + "\\brisola-link");
         ASSERT_TRUE(MakeUnixSymlink(outside, recent + "\\brisola-link"));
         p.stays.push_back([recent] { return IsDirectoryLink(recent + "\\brisola-link"); });
     }},
    {"Sweep Temporary Windows file",
     [](Planted& p) {
         std::string temp = g_tableTemp;
         p.Dir(temp + "\\sub");
         p.Junk(temp + "\\sub\\b.tmp", 20);
         p.Junk(temp + "\\a.tmp", 10);
         p.Uncounted(temp + "\\index.dat", 30);
         p.Uncounted(temp + "\\Content.IE5\\cached.bin", 40);
     }},
    {"Sweep Internet History",
     [](Planted& p) {
         std::string history = SpecialFolder(CSIDL_HISTORY);
         p.Dir(history + "\\brisola-day");
         p.Junk(history + "\\brisola-day\\visit.url", 12);
         p.Uncounted(history + "\\index.dat", 12);
         ASSERT_TRUE(SetRegValue(HKEY_CURRENT_USER, kTypedUrls, "url1", REG_SZ, "http://typed.example/", 22));
         p.gone.push_back([] { return !KeyExists(HKEY_CURRENT_USER, kTypedUrls); });
     }},
    {"Sweep Other temporary files", [](Planted&) {}},  // only the disk scan fills it
    {"Sweep Recycle Bin",
     [](Planted& p) {
         std::string file = MakeSandboxFolder("table-recycle") + "\\binned.txt";
         MakeFile(file, 64);
         ASSERT_TRUE(RecycleFile(file));
         p.counted.files = 1;
         p.counted.bytes = 64;
         p.gone.push_back([] { return RecycleBinItems() == 0; });
     }},
    {"Sweep Browser caches", PlantBrowsers},
    {"Sweep Thumbnail cache", PlantThumbnails},
    {"Sweep Crash dumps and error reports", PlantCrashDumps},
    // The browsers' stores have tests of their own (browsers_test); here
    // they must leave the other rows' files, and the stand-ins above, alone.
    {"Sweep Browser cookies", [](Planted&) {}},
    {"Sweep Browser history", [](Planted&) {}},
    {"Sweep Browser sessions", [](Planted&) {}},
    {"Sweep Browser form history", [](Planted&) {}},
};



ScanCounters MeasureRow(int row) {
    CategoryMeasurement measured;
    MeasureCategory(row, measured);
    return measured.counters;
}

// Every category's junk is planted and measured; a clean with nothing
// ticked leaves all of it; then each category alone is previewed and
// cleaned, and the clean's report has what the preview listed.
TEST_F(CleanEngineTest, EveryCategoryMeasuresAndCleansItsOwnJunkOnly) {
    EnumerateDrives();  // the Recycle Bin is measured over the fixed drives
    std::string temp = g_tableTemp = MakeSandboxFolder("table-temp");
    TempFolderOverride override(temp + "\\");
    Planted planted[SWEEP_CATEGORIES];
    ScanCounters before[SWEEP_CATEGORIES];
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) {
        const CategoryCase& c = kCategoryCases[row];
        SCOPED_TRACE(c.label);
        EXPECT_STREQ(CategoryAt(row).label, c.label);
        before[row] = MeasureRow(row);
        c.plant(planted[row]);
        ScanCounters measured = MeasureRow(row);
        EXPECT_EQ(measured.files - before[row].files, planted[row].counted.files);
        EXPECT_EQ(measured.folders - before[row].folders, planted[row].counted.folders);
        EXPECT_EQ(measured.bytes - before[row].bytes, planted[row].counted.bytes);
        // The browser rows name the 3-byte stand-ins of the caches row,
        // which are no databases.
        if (!IsBrowserStoreRow(row)) {
            EXPECT_EQ(measured.note, "");
        }
    }

    Clean(CategoryTicks{});
    for (const Planted& p : planted) {
        for (const std::string& path : p.junk) EXPECT_TRUE(FileExists(path) || DirExists(path)) << path;
        for (auto& gone : p.gone) EXPECT_FALSE(gone());
    }

    for (int row = 0; row < SWEEP_CATEGORIES; ++row) {
        const Planted& p = planted[row];
        SCOPED_TRACE(kCategoryCases[row].label);
        // The preview lists exactly what the clean then deletes.
        PreviewList preview;
        ASSERT_TRUE(PreviewCategory(row, preview)) << preview.reason;
        Clean(Only(row));
        const CleanReport report = CopyLastCleanReport();
        if (!IsBrowserStoreRow(row) && row != SWEEP_HISTORY) {
            EXPECT_EQ(report.itemsDeleted, preview.size());
            EXPECT_EQ(report.bytesFreed, preview.bytes);
        }
        for (const std::string& path : p.junk) EXPECT_FALSE(FileExists(path) || DirExists(path)) << path;
        for (const std::string& path : p.kept) EXPECT_TRUE(FileExists(path)) << path;
        for (auto& gone : p.gone) EXPECT_TRUE(gone());
        for (auto& stays : p.stays) EXPECT_TRUE(stays());
        ScanCounters after = MeasureRow(row);
        if (before[row].files + before[row].folders == 0) {
            EXPECT_EQ(after.files, p.countedKept.files);
            EXPECT_EQ(after.bytes, p.countedKept.bytes);
        }
        for (const std::string& path : p.kept) DeleteFileA(path.c_str());
        for (const std::string& path : p.removeAfter) RemoveTree(path);
    }
    DeleteUrlCacheEntryA("Cookie:user@junk.example/");
    RemoveTree(temp);
    RemoveTree("C:\\brisola-tests\\table-recycle");
    RemoveTree("C:\\brisola-tests\\table-outside");
    RemoveUnixLink(SpecialFolder(CSIDL_RECENT) + "\\brisola-link");
}

// A held profile lock means the browser runs: its caches are neither
// counted nor cleaned, and the row names it.
TEST_F(CleanEngineTest, RunningBrowsersAreLeftAndNamed) {
    Planted browsers;
    PlantBrowsers(browsers);
    std::string local = LocalAppData();
    std::string chrome = local + "\\Google\\Chrome\\User Data";
    std::string firefox = local + "\\Mozilla\\Firefox\\Profiles\\x1y2z3.default-release";
    // As Chrome and Firefox hold them.
    HANDLE chromeLock = CreateFileA((chrome + "\\lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE firefoxLock = CreateFileA((firefox + "\\parent.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(chromeLock, INVALID_HANDLE_VALUE);
    ASSERT_NE(firefoxLock, INVALID_HANDLE_VALUE);

    ScanCounters measured = MeasureRow(SWEEP_BROWSER_CACHES);
    EXPECT_EQ(measured.files, 2u * 6u) << "the two Edge profiles only";
    EXPECT_EQ(measured.bytes, 2u * (8192 + 1000 + 24 + 500 + 2048 + 100));
    EXPECT_EQ(measured.note, "Google Chrome, Firefox running, skipped");

    Clean(Only(SWEEP_BROWSER_CACHES));
    EXPECT_TRUE(FileExists(chrome + "\\Default\\Cache\\Cache_Data\\data_0"));
    EXPECT_TRUE(FileExists(firefox + "\\cache2\\index"));
    EXPECT_FALSE(FileExists(local + "\\Microsoft\\Edge\\User Data\\Profile 1\\GPUCache\\data_1"));
    for (const std::string& path : browsers.kept) EXPECT_TRUE(FileExists(path)) << path;

    CloseHandle(chromeLock);
    CloseHandle(firefoxLock);
    EXPECT_EQ(MeasureRow(SWEEP_BROWSER_CACHES).note, "");
    for (const std::string& path : browsers.removeAfter) RemoveTree(path);
}

// --- a hostile tree ---------------------------------------------------------

// A chain of `levels` folders "d" below `folder`, made on the Unix side one
// level at a time, each from the last (no path this long could be named at
// once): mid.tmp (7 bytes) in the 500th, leaf.tmp (9 bytes) in the last.
bool MakeDeepChain(const std::string& folder, int levels) {
    std::string unix = UnixPath(folder);
    return !unix.empty() &&
           RunShell("cd '" + unix + "' && perl -e 'for my $i (1.." + std::to_string(levels) +
                    ") { mkdir q(d) or die; chdir q(d) or die; if ($i == 500) { open my $f, q(>), q(mid.tmp) or die; "
                    "print $f q(x) x 7; close $f } } open my $f, q(>), q(leaf.tmp) or die; print $f q(x) x 9; close $f'");
}

// Bottom up, the same way: rm's own walk takes many seconds at this depth.
void RemoveDeepChain(const std::string& folder) {
    std::string unix = UnixPath(folder);
    if (!unix.empty())
        RunShell("cd '" + unix + "' && perl -e 'my $n = 0; while (-d q(d)) { chdir q(d) or die; $n++ } "
                 "for (1..$n) { chdir q(..) or die; unlink glob q(d/*.tmp); rmdir q(d) or die }'");
}

// 4,000 levels: a walk that recursed once a level, at some 700 bytes of
// stack each, would need 2.8 MB and overflow the 2 MB stack of a thread. The walks go
// down to their depth limit; the clean deletes what lies above it, leaves
// the folder at the limit as nested too deep, and goes on to the next
// ticked category. (Wine resolves each open's whole path, so these walks
// take seconds here.)
TEST_F(CleanEngineTest, AHostileDeepTreeIsWalkedToItsLimitAndTheCleanGoesOn) {
    const int kLevels = 4000;
    std::string temp = MakeSandboxFolder("deep-temp");
    TempFolderOverride override(temp + "\\");
    ASSERT_TRUE(MakeFile(temp + "\\top.tmp", 5));
    ASSERT_TRUE(CreateDirectoryA((temp + "\\deep").c_str(), nullptr));
    ASSERT_TRUE(MakeDeepChain(temp + "\\deep", kLevels));
    std::string dumps = LocalAppData() + "\\CrashDumps";
    CreateDirectoryA(dumps.c_str(), nullptr);
    ASSERT_TRUE(MakeFile(dumps + "\\brisola-deep.dmp", 3));
    // "deep" and the chain down to the limit; the folder at the limit is
    // counted as listed but never entered.
    const unsigned long long folders = 1 + kMaxWalkDepth;

    ScanCounters measured = MeasureRow(SWEEP_TEMP);
    EXPECT_EQ(measured.files, 2u);
    EXPECT_EQ(measured.folders, folders);
    EXPECT_EQ(measured.bytes, 12u);
    PreviewList preview;
    ASSERT_TRUE(PreviewCategory(SWEEP_TEMP, preview)) << preview.reason;
    EXPECT_EQ(preview.files, 2u);
    EXPECT_EQ(preview.folderItems, folders);

    CategoryTicks ticks = {};
    ticks[SWEEP_TEMP] = ticks[SWEEP_CRASH_DUMPS] = 1;
    Clean(ticks);
    EXPECT_FALSE(FileExists(temp + "\\top.tmp"));
    EXPECT_FALSE(FileExists(dumps + "\\brisola-deep.dmp")) << "a later category was cleaned";
    CleanReport report = CopyLastCleanReport();
    ASSERT_EQ(report.categories.size(), 2u);
    const CategoryReport& cleaned = report.categories[0];
    EXPECT_EQ(cleaned.row, SWEEP_TEMP);
    EXPECT_EQ(cleaned.itemsDeleted, 2u);
    ASSERT_EQ(cleaned.left.size(), 1u);
    EXPECT_EQ(cleaned.left[0].reason, LeftReason::TooDeep);
    EXPECT_EQ(cleaned.left[0].path.size(), temp.size() + 5 + 2 * kMaxWalkDepth);

    RemoveDeepChain(temp + "\\deep");
    RemoveTree(temp);
}

// Measurements that overlap each other and the disk scan's publishing never
// show a half-written table. Without shfolder.dll no folder is walked (an
// empty path would list the drive's root).
TEST_F(CleanEngineTest, OverlappingMeasurementsPublishWholeTables) {
    std::string tree = MakeSandboxFolder("cat-temp");
    TempFolderOverride override(tree + "\\");
    for (int i = 0; i < 16; ++i) {  // 16 files of 1..16 bytes in 4 + 16 folders
        std::string leaf = tree + "\\f" + std::to_string(i / 4) + "\\g" + std::to_string(i % 4);
        SHCreateDirectoryExA(nullptr, leaf.c_str(), nullptr);
        MakeFile(leaf + "\\x.tmp", i + 1);
    }
    ResetSweepTableForTest();
    std::vector<std::thread> runs;
    for (int i = 0; i < 3; ++i) runs.emplace_back([] { MeasureCategories(); });
    runs.emplace_back([] {
        for (int i = 1; i <= 50; ++i) PublishDiskScanResult(i, i, 100ULL * i);
    });
    // The totals come published with the rows; a copy never makes them up.
    auto whole = [](const SweepCategory (&t)[SWEEP_COUNT]) {
        SweepCategory sum = {};
        for (int k = 0; k < SWEEP_CATEGORIES; ++k) {
            sum.files += t[k].files;
            sum.folders += t[k].folders;
            sum.bytes += t[k].bytes;
        }
        return sum.files == t[SWEEP_TOTALS].files && sum.folders == t[SWEEP_TOTALS].folders &&
               sum.bytes == t[SWEEP_TOTALS].bytes && (t[SWEEP_TEMP].files == 0 || t[SWEEP_TEMP].files == 16);
    };
    bool consistent = true;
    SweepCategory t[SWEEP_COUNT];
    for (int i = 0; i < 200; ++i) {
        GetSweepTable(t);
        consistent &= whole(t);
    }
    for (std::thread& run : runs) run.join();
    GetSweepTable(t);
    EXPECT_TRUE(consistent && whole(t));
    EXPECT_EQ(t[SWEEP_TEMP].files, 16u);
    EXPECT_EQ(t[SWEEP_TEMP].folders, 20u);
    EXPECT_EQ(t[SWEEP_TEMP].bytes, 136u);
    EXPECT_EQ(t[SWEEP_OTHER].files, 50u);
    EXPECT_EQ(t[SWEEP_OTHER].bytes, 5000u);

    SetShellFoldersMissingForTest(true);
    MeasureCategories();
    SetShellFoldersMissingForTest(false);
    GetSweepTable(t);
    for (int row : {SWEEP_COOKIES, SWEEP_RECENT, SWEEP_HISTORY}) EXPECT_EQ(t[row].files + t[row].folders, 0u) << row;
    ResetSweepTableForTest();
    RemoveTree(tree);
}

}  // namespace
