// The cleaning engine: folder emptying and its link and path safety, the
// guard on category folders and the work of each cleaning step.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "drives/drive_table.h"
#include "clean_support.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/cleaning.h"
#include "sweep/measure.h"
#include "sweep/sweep.h"

using namespace cleantest;

namespace {

const CategoryTicks kNone = {};
CategoryTicks Only(int row) {
    CategoryTicks ticks = {};
    ticks[row] = 1;
    return ticks;
}
CategoryTicks All() {
    CategoryTicks ticks;
    ticks.fill(1);
    return ticks;
}

class CleanEngineTest : public testing::Test {
protected:
    void SetUp() override {
        ResetCleaningAbort();
        savedAskDel_ = g_settings.askDel;
        g_settings.askDel = 0;
    }
    void TearDown() override { g_settings.askDel = savedAskDel_; }
    BYTE savedAskDel_ = 0;
};

// A category folder with junk, a read-only file, and links to folders and
// a file outside it; beside it a canary and the link targets.
struct LinkedTree {
    std::string root, folder, outside, emptyOutside;
    bool linked = false;
    explicit LinkedTree(const std::string& name) {
        root = MakeSandboxFolder(name);
        folder = root + "\\category";
        outside = root + "\\outside";
        emptyOutside = root + "\\empty-outside";
        for (const std::string& dir : {folder, outside, emptyOutside, folder + "\\sub", folder + "\\sub\\deep",
                                       folder + "\\locked", folder + "\\links"})
            CreateDirectoryA(dir.c_str(), nullptr);
        MakeFile(root + "\\beside.txt", 5);
        MakeFile(outside + "\\canary.txt", 7);
        MakeFile(outside + "\\file-target.txt", 9);
        MakeFile(folder + "\\a.tmp", 10);
        MakeFile(folder + "\\empty.tmp", 0);
        MakeFile(folder + "\\sub\\b.tmp", 20);
        MakeFile(folder + "\\sub\\deep\\c.tmp", 30);
        MakeFile(folder + "\\locked\\readonly.tmp", 40);
        SetFileAttributesA((folder + "\\locked\\readonly.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
        linked = MakeLink(outside, folder + "\\links\\dirlink", true) &&
                 MakeLink(emptyOutside, folder + "\\links\\emptylink", true) &&
                 MakeLink(outside + "\\file-target.txt", folder + "\\links\\filelink.txt", false);
    }
    ~LinkedTree() {
        SetFileAttributesA((folder + "\\locked\\readonly.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveTree(root);
    }
    void ExpectOutsideUntouched() const {
        EXPECT_TRUE(linked) << "the links were not made";
        for (const std::string& file : {root + "\\beside.txt", outside + "\\canary.txt", outside + "\\file-target.txt"})
            EXPECT_TRUE(FileExists(file)) << file;
        EXPECT_TRUE(DirExists(emptyOutside));
        EXPECT_TRUE(IsDirectoryLink(folder + "\\links\\dirlink"));
        EXPECT_TRUE(IsDirectoryLink(folder + "\\links\\emptylink"));
    }
    void ExpectJunkGone() const {
        EXPECT_TRUE(DirExists(folder));
        EXPECT_FALSE(FileExists(folder + "\\a.tmp"));
        EXPECT_FALSE(FileExists(folder + "\\empty.tmp"));
        EXPECT_FALSE(DirExists(folder + "\\sub"));
        EXPECT_TRUE(FileExists(folder + "\\locked\\readonly.tmp"));
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
        CleanCategoriesWithTicks(Only(SWEEP_TEMP));
    }
    EXPECT_TRUE(FileExists(recent + "\\brisola-previous-step.lnk"));
    DeleteFileA((recent + "\\brisola-previous-step.lnk").c_str());
}

TEST_F(CleanEngineTest, EveryCategoryLeavesWhatLiesBesideAndBehindLinksAlone) {
    LinkedTree tree("clean-all");
    TempFolderOverride temp(tree.folder);
    std::string recent = SpecialFolder(CSIDL_RECENT);
    LinkedTree besideRecent("clean-all-2");
    RemoveUnixLink(recent + "\\brisola-recent-link");
    ASSERT_TRUE(MakeLink(besideRecent.outside, recent + "\\brisola-recent-link", true));
    CleanCategoriesWithTicks(All());
    tree.ExpectJunkGone();
    tree.ExpectOutsideUntouched();
    EXPECT_TRUE(FileExists(besideRecent.outside + "\\canary.txt"));
    EXPECT_TRUE(IsDirectoryLink(recent + "\\brisola-recent-link"));
    RemoveUnixLink(recent + "\\brisola-recent-link");
}

// --- every category of the table ----------------------------------------

std::string LocalAppData() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }
std::string g_tableTemp;  // the temporary folder of the table test

// What a test put into a category's store, and what must become of it.
struct Planted {
    std::vector<std::string> junk, kept, removeAfter;
    std::vector<std::function<bool()>> gone, stays;
    ScanCounters counted;  // what the measurement adds
    ScanCounters countedKept;  // counted, yet left by the clean

    void Dir(const std::string& path, bool junkDir = true) {
        SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
        if (!junkDir) return;
        ++counted.folders;
        junk.push_back(path);
    }
    void Junk(const std::string& path, unsigned long long size) {
        SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
        MakeFile(path, size);
        junk.push_back(path);
        ++counted.files;
        counted.bytes += size;
    }
    void Keep(const std::string& path, unsigned long long size = 3, bool isCounted = false) {
        SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
        MakeFile(path, size);
        kept.push_back(path);
        if (!isCounted) return;
        for (ScanCounters* c : {&counted, &countedKept}) {
            ++c->files;
            c->bytes += size;
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

std::string ExplorerFolder() { return LocalAppData() + "\\Microsoft\\Windows\\Explorer"; }

void PlantThumbnails(Planted& p) {
    std::string explorer = ExplorerFolder();
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
    BYTE initialTick;
    void (*plant)(Planted& p);
};

const CategoryCase kCategoryCases[SWEEP_CATEGORIES] = {
    {"Sweep Temporary Internet Files", 1,
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
    {"Sweep Internet cookies", 1, [](Planted& p) { p.Keep(CookieFolder() + "\\brisola@table.txt", 40, true); }},
    {"Sweep Start menu Documents", 1,
     [](Planted& p) { p.Junk(SpecialFolder(CSIDL_RECENT) + "\\brisola-doc.lnk", 12); }},
    {"Sweep Temporary Windows file", 1,
     [](Planted& p) {
         std::string temp = g_tableTemp;
         p.Dir(temp + "\\sub");
         p.Junk(temp + "\\sub\\b.tmp", 20);
         p.Junk(temp + "\\a.tmp", 10);
         p.Keep(temp + "\\index.dat");
     }},
    {"Sweep Internet History", 1,
     [](Planted& p) {
         std::string history = SpecialFolder(CSIDL_HISTORY);
         p.Dir(history + "\\brisola-day");
         p.Junk(history + "\\brisola-day\\visit.url", 12);
         p.Keep(history + "\\index.dat", 12);  // the clean deletes what the measurement counts
         MakeTypedUrls();
         p.gone.push_back([] { return !TypedUrlsExist(); });
     }},
    {"Sweep Other temporary files", 0, [](Planted&) {}},  // only the disk scan fills it
    {"Sweep Recycle Bin", 1,
     [](Planted& p) {
         std::string file = MakeSandboxFolder("table-recycle") + "\\binned.txt";
         MakeFile(file, 64);
         ASSERT_TRUE(RecycleFile(file));
         p.counted.files = 1;
         p.counted.bytes = 64;
         p.gone.push_back([] { return RecycleBinItems() == 0; });
     }},
    {"Sweep Browser caches", 1, PlantBrowsers},
    {"Sweep Thumbnail cache", 1, PlantThumbnails},
    {"Sweep Crash dumps and error reports", 1, PlantCrashDumps},
};

ScanCounters MeasureRow(int row) {
    CategoryMeasurement measured;
    MeasureCategory(row, measured);
    return measured.counters;
}

// Every category's junk is planted and measured; a clean with nothing
// ticked leaves all of it and still takes every step; then each category
// alone is cleaned.
TEST_F(CleanEngineTest, EveryCategoryMeasuresAndCleansItsOwnJunkOnly) {
    EnumerateDrives();  // the Recycle Bin is measured over the fixed drives
    std::string temp = g_tableTemp = MakeSandboxFolder("table-temp");
    TempFolderOverride override(temp + "\\");
    EXPECT_STREQ(CategoryAt(SWEEP_TOTALS).label, "OVERALL GAIN");
    Planted planted[SWEEP_CATEGORIES];
    ScanCounters before[SWEEP_CATEGORIES];
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) {
        const CategoryCase& c = kCategoryCases[row];
        SCOPED_TRACE(c.label);
        EXPECT_STREQ(CategoryAt(row).label, c.label);
        EXPECT_EQ(CategoryAt(row).initialTick, c.initialTick);
        before[row] = MeasureRow(row);
        c.plant(planted[row]);
        ScanCounters measured = MeasureRow(row);
        EXPECT_EQ(measured.files - before[row].files, planted[row].counted.files);
        EXPECT_EQ(measured.folders - before[row].folders, planted[row].counted.folders);
        EXPECT_EQ(measured.bytes - before[row].bytes, planted[row].counted.bytes);
        EXPECT_EQ(measured.note, "");
    }

    DWORD start = timeGetTime();
    CleanCategoriesWithTicks(kNone);
    EXPECT_GE(timeGetTime() - start, SWEEP_CATEGORIES * 120u);
    for (const Planted& p : planted) {
        for (const std::string& path : p.junk) EXPECT_TRUE(FileExists(path) || DirExists(path)) << path;
        for (auto& gone : p.gone) EXPECT_FALSE(gone());
    }

    for (int row = 0; row < SWEEP_CATEGORIES; ++row) {
        const Planted& p = planted[row];
        SCOPED_TRACE(kCategoryCases[row].label);
        CleanCategoriesWithTicks(Only(row));
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
}

// A held profile lock means the browser runs: its caches are neither
// counted nor cleaned, and the row names it. A thumbnail cache held open
// is counted, named, and left.
TEST_F(CleanEngineTest, RunningBrowsersAndBusyThumbnailsAreLeftAndNamed) {
    Planted browsers, thumbnails;
    PlantBrowsers(browsers);
    PlantThumbnails(thumbnails);
    std::string local = LocalAppData();
    std::string chrome = local + "\\Google\\Chrome\\User Data";
    std::string firefox = local + "\\Mozilla\\Firefox\\Profiles\\x1y2z3.default-release";
    // As Chrome and Firefox hold them.
    HANDLE chromeLock = CreateFileA((chrome + "\\lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE firefoxLock = CreateFileA((firefox + "\\parent.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE thumb = CreateFileA((ExplorerFolder() + "\\thumbcache_256.db").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(chromeLock, INVALID_HANDLE_VALUE);
    ASSERT_NE(firefoxLock, INVALID_HANDLE_VALUE);
    ASSERT_NE(thumb, INVALID_HANDLE_VALUE);

    ScanCounters measured = MeasureRow(SWEEP_BROWSER_CACHES);
    EXPECT_EQ(measured.files, 2u * 6u) << "the two Edge profiles only";
    EXPECT_EQ(measured.bytes, 2u * (8192 + 1000 + 24 + 500 + 2048 + 100));
    EXPECT_EQ(measured.note, "Google Chrome, Firefox running, skipped");
    ScanCounters thumbs = MeasureRow(SWEEP_THUMBNAILS);
    EXPECT_EQ(thumbs.files, 3u);
    EXPECT_EQ(thumbs.note, "1 file in use");

    CategoryTicks ticks = Only(SWEEP_BROWSER_CACHES);
    ticks[SWEEP_THUMBNAILS] = 1;
    CleanCategoriesWithTicks(ticks);
    EXPECT_TRUE(FileExists(chrome + "\\Default\\Cache\\Cache_Data\\data_0"));
    EXPECT_TRUE(FileExists(firefox + "\\cache2\\index"));
    EXPECT_FALSE(FileExists(local + "\\Microsoft\\Edge\\User Data\\Profile 1\\GPUCache\\data_1"));
    EXPECT_TRUE(FileExists(ExplorerFolder() + "\\thumbcache_256.db"));
    EXPECT_FALSE(FileExists(ExplorerFolder() + "\\iconcache_32.db"));
    for (const std::string& path : browsers.kept) EXPECT_TRUE(FileExists(path)) << path;

    CloseHandle(chromeLock);
    CloseHandle(firefoxLock);
    CloseHandle(thumb);
    EXPECT_EQ(MeasureRow(SWEEP_BROWSER_CACHES).note, "");
    EXPECT_EQ(MeasureRow(SWEEP_THUMBNAILS).note, "");
    for (Planted* p : {&browsers, &thumbnails})
        for (const std::string& path : p->removeAfter) RemoveTree(path);
}

}  // namespace
