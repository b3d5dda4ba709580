// The cookie catalogue on the prefix's real cookie folder: the folder scan
// and the safety of the cleaning step (datacookies.txt: data_files_test).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "cookies/cookies.h"
#include "support/test_support.h"

namespace {

using Names = std::vector<std::string>;

bool Contains(const Names& names, const std::string& name) { return std::find(names.begin(), names.end(), name) != names.end(); }

class CookiesTest : public testing::Test {
protected:
    void SetUp() override {
        TearDown();
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
        made_.clear();
        ClearCookieLists();
        DeleteFileA(KeptCookiesFilePath().c_str());
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

TEST_F(CookiesTest, ScanListsCookieFilesLeavingOutKeptOnes) {
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
    EXPECT_TRUE(Contains(listed, "brisolatest1@site[1].txt"));
    EXPECT_TRUE(Contains(listed, "brisolatest2@site[1].txt"));  // a kept name in other case does not protect
    EXPECT_TRUE(Contains(listed, "BRISOLATEST.DAT.txt"));
    EXPECT_FALSE(Contains(listed, "brisolatest3@kept[1].txt"));
    EXPECT_FALSE(Contains(listed, "brisolatest.dat.bak"));
    EXPECT_FALSE(Contains(listed, "brisolatest sub"));
    EXPECT_FALSE(Contains(listed, "inner.txt"));
    EXPECT_FALSE(Contains(listed, "index.dat"));
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

    WriteWholeFile(KeptCookiesFilePath(), "brisolatest-dir\\victim.txt\r\n..\\" + leaf + "\\brisolatest-victim2.txt\r\n" +
                                 "brisolatest-dir/victim.txt\r\nbrisolatest.dat\r\n..\r\n.\r\nbrisolatest-link.txt\r\n");
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

}  // namespace
