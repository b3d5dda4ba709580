// The cookie catalogue on the prefix's real cookie folder: the folder scan,
// datacookies.txt, moves between the lists and the cleaning step.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <wininet.h>

#include "app/app_state.h"
#include "cookies/cookies.h"
#include "support/list_view_probe.h"
#include "support/test_files.h"
#include "support/test_support.h"
#include "sweep/safe_delete.h"

namespace {

using Names = std::vector<std::string>;

// What the scan must list: the folder's files in the order the file system
// gives them, without folders, ".dat" names and exactly kept names.
Names ExpectedScan(const Names& kept) {
    Names names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((CookieFolder() + "\\*.*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        bool isKept = false;
        for (const std::string& k : kept) isKept = isKept || k == name;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.find(".dat") == std::string::npos && !isKept)
            names.push_back(name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return names;
}

bool Contains(const Names& names, const std::string& name) {
    for (const std::string& n : names)
        if (n == name) return true;
    return false;
}

// Until the link-safe delete is in place it deletes nothing; checks that
// need a file to go away wait for it.
bool LinkSafeDeleteWorks() {
    std::string probe = MakeSandboxFolder("cookies-probe") + "\\probe.txt";
    MakeFile(probe, 1);
    return DeleteFileNoFollow(probe.c_str()) && !FileExists(probe);
}

class CookiesTest : public testing::Test {
protected:
    void SetUp() override {
        ResetCookieLists();
        folder_ = CookieFolder();
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(DirExists(folder_));
    }
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (IsUnixSymlink(*it)) RemoveUnixLink(*it);
            else if (DirExists(*it)) RemoveDirectoryA(it->c_str());
            else DeleteFileA(it->c_str());
        }
        ResetCookieLists();
    }
    std::string Cookie(const std::string& name) {
        std::string path = folder_ + "\\" + name;
        EXPECT_TRUE(MakeFile(path, 100));
        made_.push_back(path);
        return path;
    }
    std::string SubFolder(const std::string& name) {
        std::string path = folder_ + "\\" + name;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        made_.push_back(path);
        return path;
    }
    std::string folder_;
    std::vector<std::string> made_;
};

TEST_F(CookiesTest, ScanListsCookieFilesInFileSystemOrderLeavingOutKeptOnes) {
    SubFolder("brisolatest sub");
    Cookie("brisolatest sub\\inner.txt");
    Cookie("brisolatest1@site[1].txt");
    Cookie("brisolatest2@site[1].txt");
    Cookie("brisolatest3@kept[1].txt");
    Cookie("brisolatest.dat.bak");  // lower-case ".dat": never a cookie
    Cookie("BRISOLATEST.DAT.txt");  // capitals are no index name
    SetCookieNames(KEPT_COOKIES, {"brisolatest3@kept[1].txt", "BRISOLATEST2@SITE[1].TXT", "gone.txt"});

    ScanCookieFolder();
    Names listed = CookieNames(COOKIES_TO_DELETE);
    EXPECT_EQ(listed, ExpectedScan(CookieNames(KEPT_COOKIES)));
    EXPECT_TRUE(Contains(listed, "brisolatest1@site[1].txt"));
    EXPECT_TRUE(Contains(listed, "brisolatest2@site[1].txt"));  // a kept name in other case does not protect
    EXPECT_TRUE(Contains(listed, "BRISOLATEST.DAT.txt"));
    EXPECT_FALSE(Contains(listed, "brisolatest3@kept[1].txt"));
    EXPECT_FALSE(Contains(listed, "brisolatest.dat.bak"));
    EXPECT_FALSE(Contains(listed, "brisolatest sub"));
    EXPECT_FALSE(Contains(listed, "inner.txt"));
    EXPECT_FALSE(Contains(listed, "index.dat"));
    for (const CookieEntry& entry : CopyCookieList(COOKIES_TO_DELETE)) {
        EXPECT_EQ(entry.marked, 0);
        EXPECT_EQ(entry.checked, 0);
        EXPECT_STREQ(entry.location, entry.name);
    }
    // A kept name whose file is gone stays kept.
    EXPECT_EQ(IsKeptCookie("gone.txt"), 1);
    EXPECT_EQ(IsKeptCookie("GONE.TXT"), 0);

    // Each scan replaces the list instead of adding to it.
    ScanCookieFolder();
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), listed);
}

TEST_F(CookiesTest, WininetCookieFilesAreListedLikeAnyCookie) {
    Names before = ExpectedScan({});
    ASSERT_TRUE(InternetSetCookieA("http://brisola.test/", "brisola",
                                   "value; expires=Fri, 31-Dec-2038 23:59:59 GMT"));
    Names after = ExpectedScan({});
    Names added;
    for (const std::string& name : after)
        if (!Contains(before, name)) added.push_back(name);
    ASSERT_FALSE(added.empty());
    for (const std::string& name : added) made_.push_back(folder_ + "\\" + name);
    ScanCookieFolder();
    Names listed = CookieNames(COOKIES_TO_DELETE);
    EXPECT_EQ(listed, after);
    for (const std::string& name : added) EXPECT_TRUE(Contains(listed, name)) << name;
    EXPECT_FALSE(Contains(listed, "index.dat"));
    InternetSetCookieA("http://brisola.test/", "brisola", "gone; expires=Thu, 01-Jan-1970 00:00:01 GMT");
}

TEST_F(CookiesTest, KeptListRoundTripsThroughDatacookiesTxt) {
    SetCookieNames(KEPT_COOKIES, {"user@site[1].txt", "abcdefgh.txt", "z"});
    SaveKeptCookies();
    EXPECT_EQ(ReadWholeFile(KeptCookiesFilePath()), "user@site[1].txt\r\nabcdefgh.txt\r\nz\r\n");
    EXPECT_FALSE(FileExists(KeptCookiesFilePath() + ".tmp"));

    ClearCookieLists();
    LoadKeptCookies();
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"user@site[1].txt", "abcdefgh.txt", "z"}));
    for (const CookieEntry& entry : CopyCookieList(KEPT_COOKIES)) EXPECT_STREQ(entry.location, "");
    // A load appends to what is there.
    LoadKeptCookies();
    EXPECT_EQ(CookieNames(KEPT_COOKIES).size(), 6u);

    // Saving replaces the whole file.
    SetCookieNames(KEPT_COOKIES, {"only.txt"});
    SaveKeptCookies();
    EXPECT_EQ(ReadWholeFile(KeptCookiesFilePath()), "only.txt\r\n");
}

TEST_F(CookiesTest, EachWordOfTheFileIsOneEntry) {
    WriteWholeFile(KeptCookiesFilePath(), "one.txt two.txt\r\n\r\n   three.txt\t\r\nfour\nfive\r\n\r\n");
    LoadKeptCookies();
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"one.txt", "two.txt", "three.txt", "four", "five"}));
}

TEST_F(CookiesTest, MissingFileLeavesTheKeptListAlone) {
    SetCookieNames(KEPT_COOKIES, {"a.txt"});
    LoadKeptCookies();
    EXPECT_EQ(CookieNames(KEPT_COOKIES), Names{"a.txt"});
}

TEST_F(CookiesTest, SavingAnEmptyKeptListDeletesTheFile) {
    if (!LinkSafeDeleteWorks()) GTEST_SKIP() << "the link-safe delete is not built yet";
    SetCookieNames(KEPT_COOKIES, {"a.txt"});
    SaveKeptCookies();
    ASSERT_TRUE(FileExists(KeptCookiesFilePath()));
    SetCookieNames(KEPT_COOKIES, {});
    SaveKeptCookies();
    EXPECT_FALSE(FileExists(KeptCookiesFilePath()));
    LoadKeptCookies();
    EXPECT_TRUE(CookieNames(KEPT_COOKIES).empty());
}

TEST_F(CookiesTest, OverlongAndGarbageWordsNeverOverrun) {
    std::string longest(255, 'a');
    std::string tooLong(300, 'b');
    WriteWholeFile(KeptCookiesFilePath(), "first.txt " + tooLong + "\r\n" + longest + "\r\n" + std::string(100000, 'c') + " last.txt");
    LoadKeptCookies();
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"first.txt", longest, "last.txt"}));

    // Binary garbage: every entry is a non-empty run of non-blank bytes that fits.
    ClearCookieLists();
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 200000; ++i) garbage += static_cast<char>(random() & 0xFF);
    garbage += std::string(1000, 'x');  // and one overlong word at the very end
    WriteWholeFile(KeptCookiesFilePath(), garbage);
    LoadKeptCookies();
    std::vector<CookieEntry> kept = CopyCookieList(KEPT_COOKIES);
    EXPECT_GT(kept.size(), 100u);
    for (const CookieEntry& entry : kept) {
        size_t length = strnlen(entry.name, sizeof entry.name);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, sizeof entry.name);
        ASSERT_EQ(strcspn(entry.name, " \t\r\n\v\f"), length);
    }
    EXPECT_NE(kept.back().name[0], 'x');
}

class ListViewTest : public CookiesTest {
protected:
    void SetUp() override {
        CookiesTest::SetUp();
        view_ = CreateWindowA(WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 300, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(view_, nullptr);
        SetUpCookieListView(view_);
    }
    void TearDown() override {
        DestroyWindow(view_);
        CookiesTest::TearDown();
    }
    void Select(int row) { SelectRow(view_, row); }
    std::string Row(int row) { return Cell(view_, row, 0); }
    HWND view_ = nullptr;
};

TEST_F(ListViewTest, ViewHasTheCookieListLookAndShowsTheListInOrder) {
    EXPECT_EQ(SendMessageA(view_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x120, 0x120);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(view_, LVM_GETBKCOLOR, 0, 0)), 0xF5FFF5u);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(view_, LVM_GETTEXTBKCOLOR, 0, 0)), 0xF5FFF5u);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(view_, LVM_GETTEXTCOLOR, 0, 0)), 0u);
    ListColumn column = ReadColumn(view_, 0);
    ASSERT_TRUE(column.read);
    EXPECT_EQ(column.header, "Cookies");
    EXPECT_EQ(column.width, 232);

    SetCookieNames(KEPT_COOKIES, {"b.txt", "a.txt", "c.txt"});
    FillCookieListView(view_, KEPT_COOKIES);
    FillCookieListView(view_, KEPT_COOKIES);  // a refill replaces the rows
    ASSERT_EQ(RowCount(view_), 3);
    EXPECT_EQ(Row(0), "b.txt");
    EXPECT_EQ(Row(1), "a.txt");
    EXPECT_EQ(Row(2), "c.txt");
}

TEST_F(ListViewTest, MoveAppendsTheSelectedEntriesInRowOrder) {
    SetCookieNames(COOKIES_TO_DELETE, {"e0", "e1", "e2"});
    SetCookieNames(KEPT_COOKIES, {"k0"});
    FillCookieListView(view_, COOKIES_TO_DELETE);

    // No selection: nothing moves.
    MoveSelectedCookies(COOKIES_TO_DELETE, KEPT_COOKIES, view_);
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"e0", "e1", "e2"}));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), Names{"k0"});

    FillCookieListView(view_, COOKIES_TO_DELETE);
    Select(2);
    Select(0);
    MoveSelectedCookies(COOKIES_TO_DELETE, KEPT_COOKIES, view_);
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), Names{"e1"});
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"k0", "e0", "e2"}));
    for (int list = 0; list < 2; ++list) {
        for (const CookieEntry& entry : CopyCookieList(static_cast<CookieList>(list))) EXPECT_EQ(entry.marked, 0);
    }

    // And back.
    FillCookieListView(view_, KEPT_COOKIES);
    Select(0);
    MoveSelectedCookies(KEPT_COOKIES, COOKIES_TO_DELETE, view_);
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"e1", "k0"}));
    EXPECT_EQ(CookieNames(KEPT_COOKIES), (Names{"e0", "e2"}));
}

TEST_F(ListViewTest, MoveFromAViewOfAListThatChangedSinceMovesNothing) {
    SetCookieNames(COOKIES_TO_DELETE, {"e0", "e1", "e2"});
    FillCookieListView(view_, COOKIES_TO_DELETE);
    Select(1);
    // The cleaning consumed the list and a new scan refilled it meanwhile.
    SetCookieNames(COOKIES_TO_DELETE, {"other0", "other1"});
    MoveSelectedCookies(COOKIES_TO_DELETE, KEPT_COOKIES, view_);
    EXPECT_EQ(CookieNames(COOKIES_TO_DELETE), (Names{"other0", "other1"}));
    EXPECT_TRUE(CookieNames(KEPT_COOKIES).empty());
}

TEST(RemoveMarkedEntries, KeepsTheOrderOfTheRest) {
    std::vector<CookieEntry> entries(6);
    const BYTE marks[] = {1, 1, 0, 1, 0, 1};
    for (int i = 0; i < 6; ++i) {
        memset(&entries[i], 0, sizeof entries[i]);
        snprintf(entries[i].name, sizeof entries[i].name, "n%d", i);
        entries[i].marked = marks[i];
    }
    RemoveMarkedEntries(entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_STREQ(entries[0].name, "n2");
    EXPECT_STREQ(entries[1].name, "n4");
}

TEST_F(CookiesTest, CleaningDeletesOnlyTheListedCookiesAndOnlyOnce) {
    std::string listed = Cookie("brisolatest-del@site[1].txt");
    std::string kept = Cookie("brisolatest-keep@site[1].txt");

    // Right after start-up the list is empty: nothing is deleted.
    DeleteListedCookies();
    EXPECT_TRUE(FileExists(listed));
    EXPECT_TRUE(FileExists(kept));

    SetCookieNames(KEPT_COOKIES, {"brisolatest-keep@site[1].txt"});
    ScanCookieFolder();
    ASSERT_TRUE(Contains(CookieNames(COOKIES_TO_DELETE), "brisolatest-del@site[1].txt"));
    DeleteListedCookies();
    EXPECT_TRUE(CookieNames(COOKIES_TO_DELETE).empty());
    EXPECT_TRUE(FileExists(kept));
    bool deletes = LinkSafeDeleteWorks();
    if (deletes) {
        EXPECT_FALSE(FileExists(listed));
    }

    // A second cleaning without a new scan deletes nothing.
    MakeFile(listed, 10);
    DeleteListedCookies();
    EXPECT_TRUE(FileExists(listed));
    EXPECT_TRUE(FileExists(kept));
    if (!deletes) GTEST_SKIP() << "the link-safe delete is not built yet";
}

TEST_F(CookiesTest, CleaningNeverReachesOutsideTheCookieFolder) {
    // Kept names come from a hand-editable file and can be moved to the
    // delete side; none of these may delete anything.
    SubFolder("brisolatest-dir");
    std::string inSub = Cookie("brisolatest-dir\\victim.txt");
    std::string leaf = CookieFolder();
    leaf = leaf.substr(leaf.find_last_of('\\') + 1);
    std::string viaParent = Cookie("brisolatest-victim2.txt");
    std::string index = Cookie("brisolatest.dat");
    std::string outside = MakeSandboxFolder("cookies-outside") + "\\target.txt";
    MakeFile(outside, 10);
    std::string link = folder_ + "\\brisolatest-link.txt";
    ASSERT_TRUE(MakeUnixSymlink(outside, link));
    made_.push_back(link);

    WriteWholeFile(KeptCookiesFilePath(), "brisolatest-dir\\victim.txt ..\\" + leaf + "\\brisolatest-victim2.txt " +
                                 "brisolatest-dir/victim.txt brisolatest.dat .. . brisolatest-link.txt\r\n");
    LoadKeptCookies();
    SetCookieNames(COOKIES_TO_DELETE, CookieNames(KEPT_COOKIES));
    DeleteListedCookies();
    EXPECT_TRUE(FileExists(inSub));
    EXPECT_TRUE(FileExists(viaParent));
    EXPECT_TRUE(FileExists(index));
    EXPECT_TRUE(DirExists(folder_));
    EXPECT_TRUE(FileExists(outside));  // the link may go, never its target
    RemoveTree(MakeSandboxFolder("cookies-outside"));
}

TEST_F(CookiesTest, ManagerAndCleaningNeverShareTheList) {
    for (int i = 0; i < 20; ++i) Cookie("brisolatest-race" + std::to_string(i) + ".txt");
    HWND view = CreateWindowA(WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 300, 300, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetUpCookieListView(view);
    std::atomic<bool> stop{false};
    std::thread cleaning([&] {
        while (!stop) DeleteListedCookies();
    });
    for (int i = 0; i < 300; ++i) {
        ScanCookieFolder();
        FillCookieListView(view, COOKIES_TO_DELETE);
        for (int row = 0; row < 20; row += 3) {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED;
            SendMessageA(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        }
        MoveSelectedCookies(COOKIES_TO_DELETE, KEPT_COOKIES, view);
        FillCookieListView(view, KEPT_COOKIES);
        LVITEMA all = {};
        all.stateMask = all.state = LVIS_SELECTED;
        SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
        MoveSelectedCookies(KEPT_COOKIES, COOKIES_TO_DELETE, view);
    }
    stop = true;
    cleaning.join();
    DestroyWindow(view);
    for (int list = 0; list < 2; ++list) {
        for (const CookieEntry& entry : CopyCookieList(static_cast<CookieList>(list))) {
            EXPECT_EQ(entry.marked, 0);
            EXPECT_LT(strnlen(entry.name, sizeof entry.name), sizeof entry.name);
        }
    }
}

}  // namespace
