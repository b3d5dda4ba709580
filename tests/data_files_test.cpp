// The program's stores as the user's files and keys meet them.
// datafilters.txt and datacookies.txt: hand edits, locks, denial, huge
// files, failed saves and the per-user copy. datasites.txt: a file that
// cannot be read whole failing closed and never overwritten. (What the
// readers make of the bytes: tests/unit/data_files_ut.cpp.)
// The cookie catalogue on the prefix's real cookie folder: its scan and the
// safety of the cleaning step. The settings store: the four REG_BINARY
// values, "exactly 1 is on", the per-user store of a user who cannot write
// the machine key, the category ticks and the end of a session past a
// blocked target.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "browsers/site_list.h"
#include "cookies/cookies.h"
#include "clean_support.h"
#include "drives/filters.h"
#include "fs/text.h"
#include "settings/settings.h"
#include "sweep/sweep.h"

using cleantest::KeyExists;

namespace {

enum Kind { kFilters, kCookies, kSites };
enum Obstacle { kNone, kAbsent, kLocked, kDenied, kSaveFails };
enum Change { kAddOne, kEmpty };

const char* FileName(Kind kind) {
    return kind == kFilters ? "datafilters.txt" : kind == kCookies ? "datacookies.txt" : "datasites.txt";
}

KeepSites g_sites;  // datasites.txt as last loaded

void Load(Kind kind) {
    ClearFilterTable();
    ClearCookieLists();  // also a fresh start of each file
    if (kind == kFilters) LoadFilterTable();
    else if (kind == kCookies) LoadKeptCookies();
    else g_sites = LoadKeepSites();
}

// What was loaded: "filter|description|enabled;", "name;" or "site;" per
// entry, after "unreadable: why" for a keep list that failed closed; a long
// list by its size and last entry.
std::string Loaded(Kind kind) {
    std::vector<std::string> rows;
    if (kind == kFilters) {
        for (const FilterEntry& e : CopyFilterTable())
            rows.push_back(std::string(e.filter) + "|" + e.description + "|" + std::to_string(e.enabled) + ";");
    } else if (kind == kCookies) {
        for (const std::string& name : CookieNames(KEPT_COOKIES)) rows.push_back(name + ";");
    } else {
        if (!g_sites.readable) rows.push_back("unreadable: " + g_sites.error);
        for (const std::string& site : g_sites.sites) rows.push_back(site + ";");
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
    if (kind == kSites) {
        std::vector<std::string> sites = g_sites.sites;
        if (change == kAddOne) sites.push_back("new.org");
        else sites.clear();
        EXPECT_EQ(SaveKeepSites(sites), g_sites.readable) << "an unreadable list is never saved over";
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

const char* const kNames[] = {"NeverUpdate", "AskDel", "EnableSnd", "EnableTips"};
// A stand-in for HKEY_LOCAL_MACHINE whose program key only allows reading.
const char kFakeMachine[] = "Software\\brisola-tests\\machine";

std::string Flags() {
    return std::to_string(g_settings.neverUpdate.load()) + std::to_string(g_settings.askDel.load()) +
           std::to_string(g_settings.enableSnd.load()) + std::to_string(g_settings.enableTips.load());
}

// Puts `content` at the shared path (a folder when denied) and the case's
// obstacle in its way; the lock to hand to ExpectSaved, if any.
HANDLE PlaceObstacle(const std::string& shared, const std::string& content, Obstacle obstacle) {
    if (obstacle == kDenied) {
        EXPECT_TRUE(CreateDirectoryA(shared.c_str(), nullptr));  // cannot be opened
    } else if (obstacle != kAbsent) {
        WriteWholeFile(shared, content);
    }
    if (obstacle == kSaveFails) {
        EXPECT_TRUE(CreateDirectoryA((shared + ".tmp").c_str(), nullptr));
    }
    if (obstacle != kLocked) return INVALID_HANDLE_VALUE;
    return CreateFileA(shared.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// After a save: the shared file (or the folder standing in its way), its
// .bak and the user's copy are as the case says; the obstacle goes.
template <typename Case>
void ExpectSaved(const Case& c, const std::string& shared, const std::string& user, HANDLE lock) {
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    RemoveDirectoryA((shared + ".tmp").c_str());
    EXPECT_EQ(State(shared), c.saved ? c.saved : c.obstacle == kDenied ? "<folder>" : Brief(c.content));
    EXPECT_EQ(State(shared + ".bak"), c.backup ? c.backup : Brief(c.content));
    EXPECT_EQ(FileExists(user), c.userCopy);
    RemoveDirectoryA(shared.c_str());
}

void WriteRaw(HKEY root, const char* name, const void* data, DWORD size, DWORD type = REG_BINARY) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, kProgramKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteNumber(HKEY root, const char* name, DWORD number) { WriteRaw(root, name, &number, 4); }

// Reads a value of the program key: its type and 4-byte number, or false.
bool ReadValue(HKEY root, const char* name, DWORD* type, DWORD* number) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kProgramKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 4;
    LONG status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(number), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && size == 4;
}

// Gives a key the rights of `sddl`: read-only, or all rights back before
// it is removed.
bool SetKeyRights(HKEY root, const std::string& path, const char* sddl) {
    HKEY key = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool ok = RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS &&
              ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr) &&
              RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    if (key) RegCloseKey(key);
    return ok;
}

void DeleteFakeMachine() {
    SetKeyRights(HKEY_CURRENT_USER, std::string(kFakeMachine) + "\\" + kProgramKey, "D:(A;;KA;;;WD)");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\brisola-tests");
}

// Every test starts and ends with no stored state and HKEY_LOCAL_MACHINE
// as it is.
class StoreTest : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        DeleteFakeMachine();
        RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);
        ResetProgramState();
        ResetSettings();
    }

    // From here on HKEY_LOCAL_MACHINE is a tree in which the program key
    // exists, holds `machineValue` in each value, and can only be read: a
    // standard user's view of the machine key without virtualization.
    void BecomeStandardUser(DWORD machineValue) {
        HKEY root = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kFakeMachine, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                                  nullptr),
                  ERROR_SUCCESS);
        for (const char* name : kNames) WriteNumber(root, name, machineValue);
        EXPECT_TRUE(SetKeyRights(root, kProgramKey, "D:P(A;;KR;;;WD)"));
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root), ERROR_SUCCESS);
        RegCloseKey(root);
        HKEY probe = nullptr;
        ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_ALL_ACCESS, &probe), ERROR_SUCCESS)
            << "the stand-in machine key should refuse full access";
    }
};


// Each case loads, adds a record (or empties the list), saves, then loads
// again as the next start would. (The file's words and lines:
// tests/unit/data_files_ut.cpp.)
TEST_F(StoreTest, UsersFilesAreReadSafelyAndNeverLost) {
    const std::string filters = ".a A $ true\r\n[end]";
    const char* savedFilters = ".a A  $ true\r\n.new New $ true\r\n[end]";
    const std::string big = ".a A $ true\r\n" + std::string(16u << 20, ' ') + "\r\n.late L $ true\r\n[end]";
    const std::string longList = Records(".x", 100001, "[end]"), longCookies = Records("c", 100001);
    std::string manySites;
    for (int i = 0; i < 100001; ++i) manySites += "s" + std::to_string(i) + ".com\r\n";
    const std::string bigSites = "a.com\r\n" + std::string(16u << 20, ' ') + "\r\nlate.com\r\n";
    const struct {
        const char* what;
        Kind kind;
        std::string content;
        Obstacle obstacle;
        Change change;
        const char *loaded, *saved, *backup, *reloaded;  // nullptr: the content as it was
        bool userCopy;
    } cases[] = {
        {"no file", kFilters, "", kAbsent, kEmpty, "", "[end]", "<missing>", "", false},
        {"a save keeps the old file", kFilters, filters, kNone, kAddOne, ".a|A |1;", savedFilters, filters.c_str(),
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
        // A keep list that cannot be read whole fails closed: no site kept,
        // none deleted, and the file never saved over.
        {"normalized, duplicates collapse", kSites,
         "\xEF\xBB\xBF# mine\r\nExample.COM\r\n\t.example.com \r\nshop.example.com.\x1A", kNone, kAddOne,
         "example.com;shop.example.com;", "example.com\r\nshop.example.com\r\nnew.org\r\n", nullptr,
         "example.com;shop.example.com;new.org;", false},
        {"emptied", kSites, "a.com\r\n", kNone, kEmpty, "a.com;", "<missing>", "a.com\r\n", "", false},
        {"locked", kSites, "a.com\r\n", kLocked, kAddOne, "unreadable: datasites.txt could not be read", nullptr,
         "<missing>", "a.com;", false},
        {"denied", kSites, "", kDenied, kEmpty, "unreadable: datasites.txt could not be read", nullptr, "<missing>", "",
         false},
        {"too many bytes", kSites, bigSites, kNone, kEmpty, "unreadable: datasites.txt is too large to be read whole",
         nullptr, "<missing>", "unreadable: datasites.txt is too large to be read whole", false},
        {"too many sites", kSites, manySites, kNone, kEmpty,
         "unreadable: datasites.txt holds more sites than can be kept", nullptr, "<missing>",
         "unreadable: datasites.txt holds more sites than can be kept", false},
        {"a failed save, then a restart", kSites, "a.com\r\n", kSaveFails, kAddOne, "a.com;", nullptr, "<missing>",
         "a.com;new.org;", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(FileName(c.kind)) + ": " + c.what);
        ResetProgramState();
        DataFilePaths paths = ProgramDataFile(FileName(c.kind));
        ASSERT_FALSE(paths.user.empty());
        const std::string& shared = paths.shared;
        HANDLE lock = PlaceObstacle(shared, c.content, c.obstacle);
        Load(c.kind);
        EXPECT_EQ(Loaded(c.kind), c.loaded);
        ChangeAndSave(c.kind, c.change);
        ExpectSaved(c, shared, paths.user, lock);
        Load(c.kind);
        EXPECT_EQ(Loaded(c.kind), c.reloaded);
    }
}

// Once the shared file can be written again it is used, and it is newer.
TEST_F(StoreTest, TheSharedFileIsUsedAgainOnceItCanBeWritten) {
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

// --- the cookie catalogue ---------------------------------------------------

using Names = std::vector<std::string>;

bool Contains(const Names& names, const std::string& name) { return std::find(names.begin(), names.end(), name) != names.end(); }

class CookiesTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        folder_ = CookieFolder();
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(DirExists(folder_));
    }
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            if (!RemoveDirectoryA(it->c_str())) DeleteFileA(it->c_str());
        StoreTest::TearDown();
    }
    std::string Cookie(const std::string& name, bool folder = false) {
        std::string path = folder_ + "\\" + name;
        EXPECT_TRUE(folder ? CreateDirectoryA(path.c_str(), nullptr) != FALSE : MakeFile(path, 100)) << path;
        made_.push_back(path);
        return path;
    }
    std::string folder_;
    std::vector<std::string> made_;
};

TEST_F(CookiesTest, ScanListsCookieFilesLeavingOutKeptOnes) {
    Cookie("brisolatest sub", true);
    Cookie("brisolatest sub\\inner.txt");
    Cookie("brisolatest1@site[1].txt");
    Cookie("brisolatest2@site[1].txt");
    Cookie("brisolatest3@kept[1].txt");
    Cookie("brisolatest.dat.bak");  // lower-case ".dat": never a cookie
    Cookie("BRISOLATEST.DAT.txt");
    SetCookieNames(KEPT_COOKIES, {"brisolatest3@kept[1].txt", "BRISOLATEST2@SITE[1].TXT", "gone.txt"});

    ScanCookieFolder();
    Names listed = CookieNames(COOKIES_TO_DELETE);
    // A kept name in other case does not protect; capitals are no index name.
    for (const char* name : {"brisolatest1@site[1].txt", "brisolatest2@site[1].txt", "BRISOLATEST.DAT.txt"})
        EXPECT_TRUE(Contains(listed, name)) << name;
    for (const char* name : {"brisolatest3@kept[1].txt", "brisolatest.dat.bak", "brisolatest sub", "inner.txt", "index.dat"})
        EXPECT_FALSE(Contains(listed, name)) << name;
    EXPECT_EQ(IsKeptCookie("gone.txt"), 1);  // a kept name whose file is gone stays kept

    // Each scan replaces the list instead of adding to it.
    ScanCookieFolder();
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), listed);
}

TEST_F(CookiesTest, MoveFromAViewOfAListThatChangedSinceMovesNothing) {
    SetCookieNames(COOKIES_TO_DELETE, {"e0", "e1", "e2"});
    CookieListForView(COOKIES_TO_DELETE);
    // The cleaning consumed the list and a new scan refilled it meanwhile.
    SetCookieNames(COOKIES_TO_DELETE, {"other0", "other1"});
    MoveCookieRows(COOKIES_TO_DELETE, KEPT_COOKIES, {1});
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"other0", "other1"}));
    EXPECT_TRUE(CookieNames(KEPT_COOKIES).empty());
}

TEST_F(CookiesTest, CleaningNeverReachesOutsideTheCookieFolder) {
    // Kept names come from a hand-editable file and can be moved to the
    // delete side; none of these may delete anything. (Links in the cookie
    // folder: fs_tree_test.)
    Cookie("brisolatest-dir", true);
    std::string inSub = Cookie("brisolatest-dir\\victim.txt");
    std::string leaf = CookieFolder();
    leaf = leaf.substr(leaf.find_last_of('\\') + 1);
    std::string viaParent = Cookie("brisolatest-victim2.txt");
    std::string index = Cookie("brisolatest.dat");

    WriteWholeFile(KeptCookiesFilePath(), "brisolatest-dir\\victim.txt\r\n..\\" + leaf + "\\brisolatest-victim2.txt\r\n" +
                                 "brisolatest-dir/victim.txt\r\nbrisolatest.dat\r\n..\r\n.\r\n");
    LoadKeptCookies();
    SetCookieNames(COOKIES_TO_DELETE, CookieNames(KEPT_COOKIES));
    DeleteListedCookies();
    EXPECT_TRUE(FileExists(inSub));
    EXPECT_TRUE(FileExists(viaParent));
    EXPECT_TRUE(FileExists(index));
    EXPECT_TRUE(DirExists(folder_));
}

TEST_F(CookiesTest, ManagerAndCleaningNeverShareTheList) {
    for (int i = 0; i < 20; ++i) Cookie("brisolatest-race" + std::to_string(i) + ".txt");
    std::atomic<bool> stop{false};
    std::thread cleaning([&] {
        while (!stop) DeleteListedCookies();
    });
    for (int i = 0; i < 300; ++i) {
        ScanCookieFolder();
        CookieListForView(COOKIES_TO_DELETE);
        MoveCookieRows(COOKIES_TO_DELETE, KEPT_COOKIES, {0, 3, 6, 9, 12, 15, 18});
        std::vector<int> all(CookieListForView(KEPT_COOKIES).size());
        for (size_t row = 0; row < all.size(); ++row) all[row] = static_cast<int>(row);
        MoveCookieRows(KEPT_COOKIES, COOKIES_TO_DELETE, all);
    }
    stop = true;
    cleaning.join();
    for (int list = 0; list < 2; ++list) {
        for (const CookieEntry& entry : CopyCookieList(static_cast<CookieList>(list))) {
            EXPECT_EQ(entry.marked, 0);
            EXPECT_LT(strnlen(entry.name, sizeof entry.name), sizeof entry.name);
        }
    }
}

// --- the settings store ------------------------------------------------------

// Only a 4-byte binary 1 is on and another 4-byte number is off; any other
// size or type, or a missing value, keeps the default (the flags' 0 0 1 1,
// the initial ticks). A flag read as off is saved back as 0.
TEST_F(StoreTest, OnlyWellFormedValuesAreRead) {
    LoadCategoryTicks();  // no key: the initial ticks stand
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    EXPECT_EQ(t[SWEEP_COOKIES].ticked, 1);
    EXPECT_EQ(t[SWEEP_OTHER].ticked, 0);
    const struct {
        int category;  // -1: the flag `name`
        const char* name;
        DWORD type;
        const char* data;
        DWORD size;
        int ticked;  // after the load
    } values[] = {
        {-1, "NeverUpdate", REG_BINARY, "\1", 1, 0},       {-1, "AskDel", REG_BINARY, "\1\0\0\0\0\0\0\0", 8, 0},
        {-1, "EnableSnd", REG_BINARY, "\2\0\0\0", 4, 0},   {-1, "EnableTips", REG_BINARY, "\1\1\0\0", 4, 0},
        {SWEEP_INTERNET_CACHE, "", REG_BINARY, "\0\0\0\0", 4, 0}, {SWEEP_COOKIES, "", REG_BINARY, "\7\0\0\0", 4, 0},
        {SWEEP_OTHER, "", REG_BINARY, "\1\0\0\0", 4, 1},          {SWEEP_TOTALS, "", REG_BINARY, "\1\0\0\0", 4, 1},
        {SWEEP_RECENT, "", REG_BINARY, "\1\0", 2, 1},               {SWEEP_TEMP, "", REG_SZ, "0", 2, 1},
        {SWEEP_HISTORY, "", REG_BINARY, "\1\0\0\1", 4, 0},        {SWEEP_CRASH_DUMPS, "", 0, nullptr, 0, 1},
    };
    for (const auto& v : values)
        if (v.data) WriteRaw(HKEY_LOCAL_MACHINE, v.category < 0 ? v.name : t[v.category].label, v.data, v.size, v.type);
    LoadSettings();
    LoadCategoryTicks();
    EXPECT_EQ(Flags(), "0000");
    GetSweepTable(t);
    for (const auto& v : values) {
        if (v.category < 0) continue;
        EXPECT_EQ(t[v.category].ticked, v.ticked) << t[v.category].label;
    }
    SaveSettings();
    DWORD type = 0, number = 9;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number));
    EXPECT_EQ(number, 0u);
}

TEST_F(StoreTest, AnAdministratorIgnoresAStaleUserCopy) {
    WriteNumber(HKEY_CURRENT_USER, "AskDel", 1);
    WriteNumber(HKEY_LOCAL_MACHINE, "AskDel", 0);
    LoadSettings();
    EXPECT_EQ(g_settings.askDel.load(), 0);
}

void ForgetEverything() {
    ResetSettings();
    ResetSweepTableForTest();
    ClearFilterTable();
    ClearCookieLists();
}

// The end of a session saves every choice (options, ticks, filters, kept
// cookies) whichever one target cannot be read or written; a file that
// could not be read is left as it was. A standard user's machine key is
// only read: the user's own copy takes the choices.
TEST_F(StoreTest, TheSessionEndSavesEveryChoicePastABlockedTarget) {
    enum Block { kFiltersLocked, kKeptCookiesUnwritable, kMachineKeyReadOnly };
    const char* const oldFilters = ".old Old $ true\r\n[end]";
    const char* const newFilters = ".old Old  $ true\r\n.new New $ false\r\n[end]";
    const struct {
        Block block;
        const char* filters;
    } rows[] = {{kFiltersLocked, oldFilters}, {kKeptCookiesUnwritable, newFilters}, {kMachineKeyReadOnly, newFilters}};
    const std::string filters = FiltersFilePath(), kept = KeptCookiesFilePath();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.block);
        ResetProgramState();
        ForgetEverything();
        WriteWholeFile(filters, oldFilters);
        HANDLE lock = row.block != kFiltersLocked
                          ? INVALID_HANDLE_VALUE
                          : CreateFileA(filters.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (row.block == kKeptCookiesUnwritable) {
            ASSERT_TRUE(CreateDirectoryA((kept + ".tmp").c_str(), nullptr));
        }
        if (row.block == kMachineKeyReadOnly) BecomeStandardUser(1);
        LoadSettings();
        LoadCategoryTicks();
        LoadFilterTable();
        LoadKeptCookies();
        if (row.block == kFiltersLocked) {
            EXPECT_EQ(Flags(), "0011") << "nothing stored: the defaults";
        }
        g_settings.neverUpdate = g_settings.askDel = 1;
        g_settings.enableSnd = g_settings.enableTips = 0;
        SetCategoryTick(SWEEP_COOKIES, 0);
        SetCategoryTick(SWEEP_OTHER, 1);
        AppendFilter(".new", "New", 0);
        SetCookieNames(KEPT_COOKIES, {"kept@site.txt"});
        SaveKeptCookies();
        SaveFilterTable();
        SaveSettings();
        SaveCategoryTicks();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        RemoveDirectoryA((kept + ".tmp").c_str());
        EXPECT_EQ(ReadWholeFile(filters), row.filters);
        // Four-byte binary values in the machine key, else the user's own.
        DWORD type = 0, number = 9;
        bool user = row.block == kMachineKeyReadOnly;
        EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "EnableSnd", &type, &number) && number == (user ? 1u : 0u));
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kProgramKey), user);
        EXPECT_TRUE(ReadValue(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, "Sweep Other temporary files", &type, &number));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(number, 1u);

        ForgetEverything();  // the next start
        LoadSettings();
        LoadCategoryTicks();
        LoadKeptCookies();
        EXPECT_EQ(Flags(), "1100");
        SweepCategory t[SWEEP_COUNT];
        GetSweepTable(t);
        EXPECT_EQ(t[SWEEP_COOKIES].ticked, 0);
        EXPECT_EQ(t[SWEEP_OTHER].ticked, 1);
        EXPECT_EQ(CookieNames(KEPT_COOKIES), std::vector<std::string>{"kept@site.txt"});
    }
    ForgetEverything();
}

// The ticks are read from the list at the window's end and come back at
// the next start.
TEST_F(StoreTest, CategoryTicksSurviveARestart) {
    CreateMainWindowForTest();
    SetStateImage(g_app.resultsList, SWEEP_INTERNET_CACHE, 1);
    SetStateImage(g_app.resultsList, SWEEP_OTHER, 2);
    ASSERT_TRUE(DestroyMainWindowForTest());
    ResetSweepTableForTest();
    LoadCategoryTicks();
    CreateMainWindowForTest();
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_INTERNET_CACHE), 1);
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_OTHER), 2);
    EXPECT_EQ(StateImage(g_app.resultsList, SWEEP_COOKIES), 2);
    DestroyMainWindowForTest();
}

}  // namespace
