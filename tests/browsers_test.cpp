// The browser stores: real databases with the browsers' own layouts, made
// here through the built-in SQLite, in a Chrome, an Edge and a Firefox
// profile of the sandbox. Each row removes exactly its own data; bookmarks,
// passwords and settings stay byte for byte; locks, links, broken and
// unknown databases leave everything as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "browsers/cookie_hosts.h"
#include "browsers/json_scan.h"
#include "browsers/profiles.h"
#include "browsers/site_list.h"
#include "browsers/sqlite_db.h"
#include "browsers/stores.h"
#include "browser_support.h"
#include "clean_support.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/clean_report.h"
#include "sweep/cleaning.h"
#include "sweep/sweep.h"

using namespace browsertest;
using namespace cleantest;

namespace {

std::string FirefoxCookie(const std::string& host, const std::string& origin, const std::string& name) {
    return "INSERT INTO moz_cookies(originAttributes,name,value,host,path,expiry,lastAccessed,creationTime,isSecure,"
           "isHttpOnly) VALUES('" + origin + "','" + name + "','v','" + host + "','/',1900000000,1,1,1,0);";
}

const char kBookmarks[] =
    "{\"checksum\":\"0\",\"roots\":{\"bookmark_bar\":{\"children\":[{\"id\":\"5\",\"name\":\"Inbox\",\"type\":\"url\","
    "\"url\":\"https://mail.example.com/inbox\"}],\"name\":\"Bookmarks bar\",\"type\":\"folder\"},"
    "\"other\":{\"children\":[],\"name\":\"Other\",\"type\":\"folder\"}},\"version\":1}";

// --- the profiles -------------------------------------------------------

std::string Local() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }
std::string Roaming() { return SpecialFolder(CSIDL_APPDATA); }
std::string ChromeData() { return Local() + "\\Google\\Chrome\\User Data"; }
std::string EdgeData() { return Local() + "\\Microsoft\\Edge\\User Data"; }
std::string Chrome() { return ChromeData() + "\\Default"; }
std::string Edge() { return EdgeData() + "\\Profile 1"; }
std::string FirefoxData() { return Roaming() + "\\Mozilla\\Firefox"; }
std::string Firefox() { return FirefoxData() + "\\Profiles\\ab12cd34.default-release"; }

void Write(const std::string& path, const std::string& bytes) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
    WriteWholeFile(path, bytes);
}

void PlantChromium(const std::string& profile) {
    SHCreateDirectoryExA(nullptr, (profile + "\\Network").c_str(), nullptr);
    Sql(profile + "\\Network\\Cookies",
        std::string(kChromeCookies) + ChromeCookie(".example.com", "", "SID") + ChromeCookie("mail.example.com", "", "x") +
            ChromeCookie("tracker.example.net", "https://example.com", "id") + ChromeCookie(".example.net", "", "ad"));
    Sql(profile + "\\History", std::string(layout::chrome_history) + layout::chrome_history_rows);
    Sql(profile + "\\Favicons", layout::chrome_favicons);
    Sql(profile + "\\Web Data", kChromeWebData);
    Write(profile + "\\Bookmarks", kBookmarks);
    Write(profile + "\\Bookmarks.bak", kBookmarks);
    Write(profile + "\\Login Data", "SQLite format 3 (a password store, never touched)");
    Write(profile + "\\Preferences", "{\"profile\":{\"name\":\"Person\"}}");
    Write(profile + "\\Secure Preferences", "{}");
    Write(profile + "\\Top Sites", "top sites");
    Write(profile + "\\Top Sites-journal", "journal");
    Write(profile + "\\Shortcuts", "shortcuts");
    Write(profile + "\\Visited Links", "links");
    Write(profile + "\\Sessions\\Session_13350000000000000", std::string(300, 's'));
    Write(profile + "\\Sessions\\Tabs_13350000000000000", std::string(200, 't'));
    Write(profile + "\\Current Session", std::string(100, 'c'));
    Write(profile + "\\Local Extension Settings\\abc\\000003.log", "extension data");
}

void PlantFirefox() {
    std::string p = Firefox();
    SHCreateDirectoryExA(nullptr, p.c_str(), nullptr);
    Write(FirefoxData() + "\\profiles.ini",
          "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
          "Path=Profiles/ab12cd34.default-release\r\nDefault=1\r\n");
    Sql(p + "\\cookies.sqlite", std::string(layout::firefox_cookies) + FirefoxCookie(".example.com", "", "SID") +
                                    FirefoxCookie("example.com", "^userContextId=2", "c") +
                                    FirefoxCookie(".example.net", "", "ad") +
                                    FirefoxCookie("www.example.org", "^partitionKey=%28https%2Cexample.com%29", "p"));
    Sql(p + "\\places.sqlite", layout::firefox_places);
    Sql(p + "\\favicons.sqlite", layout::firefox_favicons);
    Sql(p + "\\formhistory.sqlite", layout::firefox_formhistory);
    Write(p + "\\sessionstore.jsonlz4", std::string("mozLz40\0", 8) + std::string(50, 'x'));
    Write(p + "\\sessionstore-backups\\recovery.jsonlz4", std::string(60, 'r'));
    Write(p + "\\sessionstore-backups\\previous.jsonlz4", std::string(40, 'p'));
    Write(p + "\\key4.db", "key store");
    Write(p + "\\cert9.db", "certificates");
    Write(p + "\\logins.json", "{\"logins\":[]}");
    Write(p + "\\prefs.js", "user_pref(\"a\", 1);");
}

void PlantAll() {
    PlantChromium(Chrome());
    Write(ChromeData() + "\\Local State", "{\"profile\":{\"info_cache\":{\"Default\":{\"name\":\"Person\"}}}}");
    PlantChromium(Edge());
    // Edge lists its profile in Local State; the guest and a deleted one are skipped.
    Write(EdgeData() + "\\Local State",
          "{\"os_crypt\":{\"encrypted_key\":\"RFBBUEk=\"},\"profile\":{\"info_cache\":{\"Profile 1\":{\"name\":\"Work\"},"
          "\"Guest Profile\":{},\"Profile 9\":{}},\"profiles_deleted\":[\"C:\\\\x\\\\Profile 9\"]}}");
    PlantChromium(EdgeData() + "\\Profile 9");
    PlantChromium(EdgeData() + "\\Guest Profile");
    PlantFirefox();
}

void RemoveAll() {
    RemoveTree(Local() + "\\Google");
    RemoveTree(Local() + "\\Microsoft\\Edge");
    RemoveTree(Roaming() + "\\Mozilla");
}

// Every file below the browsers' folders, with its bytes.
using Snapshot = std::map<std::string, std::string>;

void AddFiles(const std::string& folder, Snapshot& out) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            AddFiles(path, out);
        else
            out[path] = ReadWholeFile(path);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

Snapshot FilesBelow(std::initializer_list<std::string> folders) {
    Snapshot out;
    for (const std::string& folder : folders) AddFiles(folder, out);
    return out;
}

Snapshot TakeSnapshot() { return FilesBelow({ChromeData(), EdgeData(), FirefoxData()}); }

// Whether a line of what a clean left names `text`.
bool Names(const std::vector<std::string>& left, const std::string& text) {
    for (const std::string& line : left)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

bool Ends(const std::string& path, const std::string& end) {
    return path.size() >= end.size() && _stricmp(path.c_str() + path.size() - end.size(), end.c_str()) == 0;
}

// Records what a clean reports.
class Recorder : public StoreVisitor {
public:
    void OnDeleted(const TreeEntry& e) override { deleted.push_back(std::string(e.name.begin(), e.name.end())); }
    void OnRowsDeleted(const std::wstring&, const std::string& what, unsigned long long count,
                       unsigned long long) override {
        rows += count;
        whats.push_back(what);
    }
    void OnStoreLeft(const std::wstring& store, const std::string& why) override {
        left.push_back(std::string(store.begin(), store.end()) + ": " + why);
    }
    std::vector<std::string> deleted, whats, left;
    unsigned long long rows = 0;
};

KeepSites Keep(std::vector<std::string> sites) {
    KeepSites keep;
    keep.sites = std::move(sites);
    return keep;
}

std::string Integrity(const std::string& db) { return Query(db, "PRAGMA integrity_check"); }

class BrowserStores : public testing::Test {
protected:
    void SetUp() override {
        RemoveAll();
        PlantAll();
    }
    void TearDown() override { RemoveAll(); }
};

// --- each row alone -----------------------------------------------------

struct RowCase {
    const char* name;
    BrowserRow row;
    // Files the row may change or delete (by their ends); everything else
    // stays byte for byte.
    std::vector<std::string> touches;
    // Checks after the clean, for each Chromium profile and Firefox.
    void (*chromium)(const std::string& profile);
    void (*firefox)(const std::string& profile);
};

const RowCase kRows[] = {
    {"cookies", BrowserRow::Cookies, {"\\Network\\Cookies", "\\cookies.sqlite"},
     [](const std::string& p) {
         EXPECT_EQ(Column(p + "\\Network\\Cookies", "SELECT host_key FROM cookies"),
                   (std::set<std::string>{".example.com", "mail.example.com"}));
     },
     [](const std::string& p) {
         EXPECT_EQ(Column(p + "\\cookies.sqlite", "SELECT host || originAttributes FROM moz_cookies"),
                   (std::set<std::string>{".example.com", "example.com^userContextId=2"}));
     }},
    {"history", BrowserRow::History,
     {"\\History", "\\Favicons", "\\Top Sites", "\\Top Sites-journal", "\\Shortcuts", "\\Visited Links", "\\places.sqlite",
      "\\favicons.sqlite"},
     [](const std::string& p) {
         std::string h = p + "\\History";
         EXPECT_EQ(Column(h, "SELECT url FROM urls"), (std::set<std::string>{"https://mail.example.com/inbox"}));
         for (const char* table : {"visits", "keyword_search_terms", "downloads", "downloads_url_chains", "segments",
                                   "segment_usage", "visited_links"})
             EXPECT_EQ(Query(h, std::string("SELECT COUNT(*) FROM ") + table), "0") << table;
         EXPECT_EQ(Query(h, "SELECT visit_count || '/' || last_visit_time FROM urls"), "0/0");
         std::string f = p + "\\Favicons";
         EXPECT_EQ(Column(f, "SELECT page_url FROM icon_mapping"), (std::set<std::string>{"https://mail.example.com/inbox"}));
         EXPECT_EQ(Column(f, "SELECT url FROM favicons"), (std::set<std::string>{"https://mail.example.com/favicon.ico"}));
         EXPECT_EQ(Query(f, "SELECT COUNT(*) FROM favicon_bitmaps"), "1");
         for (const char* gone : {"\\Top Sites", "\\Top Sites-journal", "\\Shortcuts", "\\Visited Links"})
             EXPECT_FALSE(FileExists(p + gone)) << gone;
     },
     [](const std::string& p) {
         std::string places = p + "\\places.sqlite";
         EXPECT_EQ(Column(places, "SELECT url FROM moz_places"), (std::set<std::string>{"https://mail.example.com/inbox"}));
         EXPECT_EQ(Query(places, "SELECT visit_count || '/' || IFNULL(last_visit_date, 'none') FROM moz_places"), "0/none");
         for (const char* table : {"moz_historyvisits", "moz_inputhistory", "moz_annos", "moz_places_metadata",
                                   "moz_places_metadata_search_queries"})
             EXPECT_EQ(Query(places, std::string("SELECT COUNT(*) FROM ") + table), "0") << table;
         EXPECT_EQ(Column(places, "SELECT host FROM moz_origins"), (std::set<std::string>{"mail.example.com"}));
         EXPECT_EQ(Query(places, "SELECT COUNT(*) FROM moz_bookmarks"), "2");
         std::string icons = p + "\\favicons.sqlite";
         EXPECT_EQ(Column(icons, "SELECT icon_url FROM moz_icons"),
                   (std::set<std::string>{"https://mail.example.com/i.png", "https://mail.example.com/favicon.ico"}));
         EXPECT_EQ(Column(icons, "SELECT page_url FROM moz_pages_w_icons"),
                   (std::set<std::string>{"https://mail.example.com/inbox"}));
     }},
    {"sessions", BrowserRow::Sessions,
     {"\\Session_13350000000000000", "\\Tabs_13350000000000000", "\\Current Session", "\\sessionstore.jsonlz4",
      "\\recovery.jsonlz4", "\\previous.jsonlz4"},
     [](const std::string& p) {
         EXPECT_FALSE(FileExists(p + "\\Current Session"));
         EXPECT_TRUE(DirExists(p + "\\Sessions"));
         EXPECT_FALSE(FileExists(p + "\\Sessions\\Session_13350000000000000"));
     },
     [](const std::string& p) {
         EXPECT_FALSE(FileExists(p + "\\sessionstore.jsonlz4"));
         EXPECT_FALSE(FileExists(p + "\\sessionstore-backups\\recovery.jsonlz4"));
     }},
    {"forms", BrowserRow::Forms, {"\\Web Data", "\\formhistory.sqlite"},
     [](const std::string& p) {
         std::string w = p + "\\Web Data";
         EXPECT_EQ(Query(w, "SELECT COUNT(*) FROM autofill"), "0");
         for (const char* table : {"keywords", "token_service", "local_addresses", "credit_cards"})
             EXPECT_EQ(Query(w, std::string("SELECT COUNT(*) FROM ") + table), "1") << table;
     },
     [](const std::string& p) { EXPECT_EQ(Query(p + "\\formhistory.sqlite", "SELECT COUNT(*) FROM moz_formhistory"), "0"); }},
};

TEST_F(BrowserStores, EachRowRemovesExactlyItsOwnData) {
    for (const RowCase& c : kRows) {
        SCOPED_TRACE(c.name);
        RemoveAll();
        PlantAll();
        KeepSites keep = Keep({"example.com"});
        Snapshot snapshot = TakeSnapshot();
        StoreFigures before = MeasureBrowserRow(c.row, keep);
        EXPECT_GT(before.entries, 0u);
        EXPECT_EQ(before.note, "");
        EXPECT_EQ(TakeSnapshot(), snapshot) << "measuring changed a file";
        Recorder recorder;
        CleanBrowserRow(c.row, keep, recorder);
        EXPECT_EQ(recorder.left, std::vector<std::string>());
        EXPECT_EQ(MeasureBrowserRow(c.row, keep).entries, 0u) << "a clean leaves nothing to measure";
        Snapshot after = TakeSnapshot();
        for (const auto& file : snapshot) {
            bool touched = false;
            for (const std::string& end : c.touches) touched = touched || Ends(file.first, end);
            bool skippedProfile = file.first.find("\\Profile 9\\") != std::string::npos ||
                                  file.first.find("\\Guest Profile\\") != std::string::npos;
            if (!touched || skippedProfile) {
                auto now = after.find(file.first);
                EXPECT_TRUE(now != after.end() && now->second == file.second) << file.first << " changed";
            } else if (after.count(file.first) && file.second.compare(0, 15, "SQLite format 3") == 0) {
                EXPECT_EQ(Integrity(file.first), "ok") << file.first;
            }
        }
        for (const std::string& p : {Chrome(), Edge()}) c.chromium(p);
        c.firefox(Firefox());
    }
}

// The rows through the category table: measured, previewed and cleaned
// with the report and journal; a browser row never ticked at first run.
TEST_F(BrowserStores, RowsRunThroughTheCategoryTable) {
    ResetSweepTableForTest();
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    const int rows[] = {SWEEP_BROWSER_COOKIES, SWEEP_BROWSER_HISTORY, SWEEP_BROWSER_SESSIONS, SWEEP_BROWSER_FORMS};
    const char* names[] = {"browser-cookies", "browser-history", "browser-sessions", "browser-forms"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table[rows[i]].ticked, 0) << names[i];
        EXPECT_EQ(FindCategory(names[i]), rows[i]);
    }

    g_settings.askDel = 0;
    CategoryMeasurement forms;
    MeasureCategory(SWEEP_BROWSER_FORMS, forms);
    EXPECT_EQ(forms.counters.files, 2u * 2u + 2u);  // two Chromium profiles, Firefox
    Clean(Only(SWEEP_BROWSER_FORMS));
    CleanReport report = CopyLastCleanReport();
    ASSERT_EQ(report.categories.size(), 1u);
    EXPECT_EQ(report.categories[0].itemsDeleted, 6u);
    EXPECT_EQ(report.categories[0].itemsLeft, 0u);
    MeasureCategory(SWEEP_BROWSER_FORMS, forms);
    EXPECT_EQ(forms.counters.files, 0u);
}

// --- keep list ----------------------------------------------------------

// The host alone decides, in both cookie layouts, whatever the partition
// or container (the rule itself: tests/unit/site_list_ut.cpp).
TEST_F(BrowserStores, TheKeepListKeepsSitesAndTheirSubdomainsOnly) {
    // Longer than any DNS name, as a hand-made store may hold.
    static const std::string longHost = std::string(1100, 'a') + ".example.com";
    struct HostCase {
        const char* host;
        bool kept;
    } const hosts[] = {
        {"example.com", true},          {".example.com", true},         {"shop.example.com", true},
        {"SHOP.Example.COM", true},     {".a.b.example.com", true},     {"thisisanexample.com", false},
        {"example.com.evil.net", false}, {"shop-example.com", false},   {"example.co", false},
        {".other.org", false},          {"com", false},                 {longHost.c_str(), true},
    };
    std::string chrome = Chrome() + "\\Network\\Cookies", firefox = Firefox() + "\\cookies.sqlite";
    std::string chromeRows = "DELETE FROM cookies;", firefoxRows = "DELETE FROM moz_cookies;";
    int n = 0;
    for (const HostCase& h : hosts) {
        std::string name = "c" + std::to_string(n++);
        chromeRows += ChromeCookie(h.host, "", name) + ChromeCookie(h.host, "https://partition.example.net", name);
        firefoxRows += FirefoxCookie(h.host, "", name) + FirefoxCookie(h.host, "^userContextId=4", name);
    }
    Sql(chrome, chromeRows);
    Sql(firefox, firefoxRows);
    StoreFigures measured = MeasureBrowserRow(BrowserRow::Cookies, Keep({"example.com"}));
    Recorder recorder;
    StoreFigures cleaned = CleanBrowserRow(BrowserRow::Cookies, Keep({"example.com"}), recorder);
    EXPECT_EQ(measured.entries, cleaned.entries);
    std::set<std::string> chromeLeft = Column(chrome, "SELECT host_key FROM cookies");
    std::set<std::string> firefoxLeft = Column(firefox, "SELECT host FROM moz_cookies");
    for (const HostCase& h : hosts) {
        EXPECT_EQ(chromeLeft.count(h.host) == 1, h.kept) << h.host;
        EXPECT_EQ(firefoxLeft.count(h.host) == 1, h.kept) << h.host;
    }
    EXPECT_EQ(Query(chrome, "SELECT COUNT(*) FROM cookies"), "12");  // 6 kept hosts, each partitioned and not
    EXPECT_EQ(Query(firefox, "SELECT COUNT(*) FROM moz_cookies"), "12");
    EXPECT_EQ(Integrity(chrome), "ok");
    EXPECT_EQ(Integrity(firefox), "ok");
}

// An unreadable keep list deletes no cookie anywhere, and the row says why.
TEST_F(BrowserStores, AnUnreadableKeepListDeletesNoCookie) {
    std::string kept = KeptCookiesFilePath();
    std::string sites = kept.substr(0, kept.rfind('\\')) + "\\datasites.txt";
    WriteWholeFile(sites, "example.com\r\n");
    HANDLE held = CreateFileA(sites.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Snapshot before = TakeSnapshot();
    CategoryMeasurement measured;
    MeasureCategory(SWEEP_BROWSER_COOKIES, measured);
    EXPECT_EQ(measured.counters.files, 0u);
    EXPECT_NE(measured.counters.note.find("keep list"), std::string::npos) << measured.counters.note;
    g_settings.askDel = 0;
    Clean(Only(SWEEP_BROWSER_COOKIES));
    EXPECT_EQ(TakeSnapshot(), before);
    CloseHandle(held);
    DeleteFileA(sites.c_str());
}

// --- what is never touched ------------------------------------------------

// A held lockfile or parent.lock: that browser is neither read nor written.
TEST_F(BrowserStores, ARunningBrowserIsLeftWhole) {
    HANDLE chromeLock = CreateFileA((ChromeData() + "\\lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE firefoxLock = CreateFileA((Firefox() + "\\parent.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(chromeLock, INVALID_HANDLE_VALUE);
    ASSERT_NE(firefoxLock, INVALID_HANDLE_VALUE);
    Snapshot before = FilesBelow({ChromeData(), FirefoxData()});
    for (BrowserRow row : {BrowserRow::Cookies, BrowserRow::History, BrowserRow::Sessions, BrowserRow::Forms}) {
        EXPECT_EQ(MeasureBrowserRow(row, Keep({})).note, "Google Chrome, Firefox running, skipped");
        Recorder recorder;
        CleanBrowserRow(row, Keep({}), recorder);
        EXPECT_EQ(recorder.left.size(), 2u);
    }
    EXPECT_EQ(FilesBelow({ChromeData(), FirefoxData()}), before);
    EXPECT_EQ(Query(Edge() + "\\Web Data", "SELECT COUNT(*) FROM autofill"), "0") << "Edge was closed";
    CloseHandle(chromeLock);
    CloseHandle(firefoxLock);
}

// Random bytes and an unknown layout are left byte for byte, and reported.
TEST_F(BrowserStores, BrokenAndUnknownDatabasesAreLeftAndReported) {
    std::string random;
    for (int i = 0; i < 4096; ++i) random += static_cast<char>((i * 7919 + 13) & 0xFF);
    struct Bad {
        BrowserRow row;
        std::string path;
        std::string sql;  // empty: random bytes
    } const bad[] = {
        {BrowserRow::Cookies, Edge() + "\\Network\\Cookies", ""},
        {BrowserRow::History, Chrome() + "\\History", "CREATE TABLE urls(id INTEGER PRIMARY KEY, address TEXT);"},
        {BrowserRow::Forms, Firefox() + "\\formhistory.sqlite", "CREATE TABLE moz_formhistory(id INTEGER, what TEXT);"},
        {BrowserRow::History, Firefox() + "\\places.sqlite", ""},
    };
    for (const Bad& b : bad) {
        DeleteFileA(b.path.c_str());
        if (b.sql.empty())
            WriteWholeFile(b.path, random);
        else
            Sql(b.path, b.sql);
    }
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.path);
        std::string bytes = ReadWholeFile(b.path);
        Recorder recorder;
        CleanBrowserRow(b.row, Keep({"example.com"}), recorder);
        EXPECT_EQ(ReadWholeFile(b.path), bytes);
        EXPECT_TRUE(Names(recorder.left, b.path));
        EXPECT_NE(MeasureBrowserRow(b.row, Keep({"example.com"})).note.find("left"), std::string::npos);
    }
    // Without places, Firefox's icons stay: which pages are bookmarked is unknown.
    EXPECT_EQ(Query(Firefox() + "\\favicons.sqlite", "SELECT COUNT(*) FROM moz_icons"), "4");
}

// Measuring a WAL-mode database that Firefox closed cleanly (no log
// beside it) makes no file appear: it is read as the file stands.
TEST_F(BrowserStores, MeasuringAClosedWalDatabaseAddsNoFile) {
    Sql(Firefox() + "\\places.sqlite", "PRAGMA journal_mode=WAL;");
    ASSERT_FALSE(FileExists(Firefox() + "\\places.sqlite-wal"));
    Snapshot before = FilesBelow({Firefox()});
    // Per Chromium profile 3 pages, a download and 4 history files; Firefox 3 pages.
    EXPECT_EQ(MeasureBrowserRow(BrowserRow::History, Keep({})).entries, 2u * (3u + 1u + 4u) + 3u);
    EXPECT_EQ(FilesBelow({Firefox()}), before);
}

// Changes still in the write-ahead log are cleaned, and the log is the
// browser's: emptied, not deleted.
TEST_F(BrowserStores, AWalDatabaseIsCleanedThroughItsLog) {
    std::string scratch = MakeSandboxFolder("wal") + "\\formhistory.sqlite";
    std::string target = Firefox() + "\\formhistory.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(scratch.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, layout::firefox_formhistory, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "INSERT INTO moz_formhistory(fieldname,value) VALUES('name','only in the log');", nullptr, nullptr,
                 nullptr);
    // The files as a crash leaves them: the log holds every change.
    DeleteFileA(target.c_str());
    ASSERT_TRUE(CopyFileA(scratch.c_str(), target.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((scratch + "-wal").c_str(), (target + "-wal").c_str(), FALSE));
    sqlite3_close(db);
    ASSERT_GT(ReadWholeFile(target + "-wal").size(), 0u);

    EXPECT_EQ(MeasureBrowserRow(BrowserRow::Forms, Keep({})).entries, 2u * 2u + 3u);
    Recorder recorder;
    CleanBrowserRow(BrowserRow::Forms, Keep({}), recorder);
    EXPECT_TRUE(recorder.left.empty());
    EXPECT_TRUE(FileExists(target + "-wal"));
    EXPECT_EQ(Query(target, "SELECT COUNT(*) FROM moz_formhistory"), "0");
    EXPECT_EQ(Integrity(target), "ok");
    EXPECT_EQ(ReadWholeFile(target + "-wal").find("only in the log"), std::string::npos);
    RemoveTree("C:\\brisola-tests\\wal");
}

// A profile or a session folder that is a link: what is behind it stays.
TEST_F(BrowserStores, LinkedProfilesAndFoldersAreNeverUsed) {
    std::string outside = MakeSandboxFolder("linked-profile");
    PlantChromium(outside);
    Write(outside + "\\elsewhere\\Session_1", "canary");
    RemoveTree(Chrome() + "\\Sessions");
    ASSERT_TRUE(MakeUnixSymlink(outside + "\\elsewhere", Chrome() + "\\Sessions"));
    Write(ChromeData() + "\\Local State",
          "{\"profile\":{\"info_cache\":{\"Default\":{},\"Profile 2\":{}}}}");
    ASSERT_TRUE(MakeUnixSymlink(outside, ChromeData() + "\\Profile 2"));
    Snapshot before = FilesBelow({outside});
    for (BrowserRow row : {BrowserRow::Cookies, BrowserRow::History, BrowserRow::Sessions, BrowserRow::Forms}) {
        Recorder recorder;
        CleanBrowserRow(row, Keep({"example.com"}), recorder);
        EXPECT_TRUE(Names(recorder.left, "Profile 2")) << static_cast<int>(row);
    }
    EXPECT_EQ(FilesBelow({outside}), before);
    EXPECT_EQ(ReadWholeFile(outside + "\\elsewhere\\Session_1"), "canary");
    EXPECT_EQ(Query(Chrome() + "\\Web Data", "SELECT COUNT(*) FROM autofill"), "0") << "the real profile is cleaned";
    RemoveUnixLink(Chrome() + "\\Sessions");
    RemoveUnixLink(ChromeData() + "\\Profile 2");
    RemoveTree(outside);
}

// The Cookies Manager's count: every host of every closed profile.
TEST_F(BrowserStores, CookieHostsAreCountedPerBrowser) {
    std::map<std::string, unsigned long long> seen;
    for (const CookieHostCount& c : CountBrowserCookieHosts()) seen[c.browser + " " + c.host] += c.cookies;
    EXPECT_EQ(seen["Google Chrome .example.com"], 1u);
    EXPECT_EQ(seen["Microsoft Edge tracker.example.net"], 1u);
    EXPECT_EQ(seen["Firefox .example.net"], 1u);
    EXPECT_EQ(seen.count("Microsoft Edge .example.com"), 1u);
    EXPECT_EQ(seen.size(), 4u + 4u + 4u);
}

// A clean's journal goes out in large writes. A change that spills pages
// into the file and is then rolled back, or left with its journal as a
// crash would leave it, must give the database back byte for byte.
TEST(BrowserJournal, ARolledBackOrAbandonedChangeGivesTheDatabaseBack) {
    const std::string folder = MakeSandboxFolder("journal");
    for (bool crash : {false, true}) {
        SCOPED_TRACE(crash ? "abandoned" : "rolled back");
        const std::string path = folder + "\\Cookies", copy = folder + "\\Copy";
        for (const std::string& file : {path, path + "-journal", copy, copy + "-journal"}) DeleteFileA(file.c_str());
        browsertest::Sql(path, "CREATE TABLE t(id INTEGER PRIMARY KEY, v BLOB); WITH RECURSIVE n(i) AS (SELECT 1 "
                               "UNION ALL SELECT i + 1 FROM n WHERE i < 3000) INSERT INTO t SELECT i, randomblob(900) FROM n");
        const std::string before = ReadWholeFile(path);
        SqliteDb db;
        ASSERT_TRUE(db.Open(path, DbOpen::ReadWrite));
        // A cache of a few pages: the change spills into the file, which
        // SQLite does only once the journal is synced.
        ASSERT_TRUE(db.Exec("PRAGMA cache_size = 2") && db.Exec("BEGIN IMMEDIATE") &&
                    db.Exec("UPDATE t SET v = zeroblob(900)"));
        ASSERT_TRUE(ReadWholeFile(path) != before);
        if (crash) {
            WriteWholeFile(copy, ReadWholeFile(path));
            WriteWholeFile(copy + "-journal", ReadWholeFile(path + "-journal"));
        }
        ASSERT_TRUE(db.Exec("ROLLBACK"));
        db.Close();
        const std::string& check = crash ? copy : path;
        browsertest::Sql(check, "SELECT COUNT(*) FROM t");  // rolls a crash's journal back
        EXPECT_TRUE(ReadWholeFile(check) == before) << "the database differs from before the change";
        EXPECT_EQ(browsertest::Query(check, "PRAGMA integrity_check"), "ok");
    }
}

// --- the small readers ------------------------------------------------------

TEST(BrowserFiles, LocalStateListsOnlyPlainLiveProfiles) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<std::string> names;
    } const cases[] = {
        {"{\"profile\":{\"info_cache\":{\"Default\":{},\"Profile 3\":{\"name\":\"x\"}}}}", true, {"Default", "Profile 3"}},
        {"{\"profile\":{\"info_cache\":{\"Guest Profile\":{},\"System Profile\":{},\"Default\":{}}}}", true, {"Default"}},
        {"{\"profile\":{\"info_cache\":{\"Profile 1\":{},\"Profile 2\":{}},\"profiles_deleted\":[\"C:\\\\u\\\\Profile 2\"]}}",
         true, {"Profile 1"}},
        {"{\"profile\":{\"info_cache\":{\"..\":{},\"a\\\\b\":{},\"C:\":{},\"../up\":{},\"Default\":{}}}}", true, {"Default"}},
        {"{\"profile\":{\"info_cache\":{\"Default\":{}}", false, {}},
        {"{\"profile\":{}}", false, {}},
        {"\xEF\xBB\xBF{\"profile\":{\"info_cache\":{\"Prof\\u00e9\":{}}}}", true, {"Prof\xC3\xA9"}},
        {"", false, {}},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[",
         false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        EXPECT_EQ(ParseLocalStateProfiles(c.text, names), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(names, c.names) << c.text;
        }
    }
    std::string deep(100000, '[');
    std::vector<std::string> names;
    EXPECT_FALSE(ParseLocalStateProfiles(deep, names));
}

TEST(BrowserFiles, ProfilesIniKeepsRelativePathsInside) {
    std::vector<FirefoxIniProfile> got = ParseProfilesIni(
        "[General]\nStartWithLastProfile=1\n[Profile0]\nPath=Profiles/a.default\nIsRelative=1\n"
        "[Profile1]\r\nIsRelative=0\r\nPath=D:\\Firefox\\b\r\n[Install1234]\nDefault=Profiles/a.default\n"
        "[Profile2]\nPath=../../Windows\nIsRelative=1\n[Profile3]\nIsRelative=0\nPath=relative\\but\\absolute\n"
        "[Profile4]\nName=no path\n");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].path, "Profiles\\a.default");
    EXPECT_TRUE(got[0].relative);
    EXPECT_EQ(got[1].path, "D:\\Firefox\\b");
    EXPECT_FALSE(got[1].relative);
}

}  // namespace
