// The keep list of sites in the Cookies Manager: the grouping of cookie
// hosts by site, moving sites and saving datasites.txt. (The rules of a
// site and the Public Suffix List: tests/unit/site_list_ut.cpp;
// datasites.txt's bad input: data_files_test.)
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "browsers/site_list.h"
#include "cookies/cookie_sites.h"
#include "cookies/cookies.h"
#include "fs/shell_folders.h"
#include "resource.h"
#include "settings/policy.h"
#include "support/test_support.h"

namespace {

using Sites = std::vector<std::string>;

// --- sites in the Cookies Manager -----------------------------------------

std::vector<CookieHostCount> SampleHosts() {
    return {
        {".google.com", "Google Chrome", 3},     {"accounts.google.com", "Google Chrome", 2},
        {"mail.google.com", "Firefox", 4},       {".example.co.uk", "Firefox", 1},
        {"thisisanexample.com", "Firefox", 5},   {"localhost", "Firefox", 1},
        {"Keep.org", "Firefox", 2},              {"", "Firefox", 9},
    };
}

std::string Rows(const std::vector<SiteCookies>& groups) {
    std::string out;
    for (const SiteCookies& group : groups) out += SiteRowText(group) + ";";
    return out;
}

std::string Kept(const CookieSites& sites) {
    std::string out;
    for (const std::string& site : sites.kept) out += site + ";";
    return out;
}

KeepSites Keep(Sites sites) {
    KeepSites keep;
    keep.sites = std::move(sites);
    return keep;
}

// Hosts gather under their registrable domain, without those kept; each
// move regroups both sides.
TEST(CookieSites, MovesRegroupBothSides) {
    CookieSites sites = MakeCookieSites(SampleHosts(), Keep({"accounts.google.com", "keep.org"}));
    EXPECT_EQ(Rows(sites.toDelete),
              "example.co.uk  (Firefox: 1 cookie);google.com  (Google Chrome, Firefox: 7 cookies);"
              "localhost  (Firefox: 1 cookie);thisisanexample.com  (Firefox: 5 cookies);");
    EXPECT_EQ(Rows(CookiesKeptBy({"google.com", "accounts.google.com", "gone.net"}, sites.hosts)),
              "google.com  (Google Chrome, Firefox: 9 cookies);accounts.google.com  (Google Chrome: 2 cookies);"
              "gone.net  (site, no cookies now);");
    EXPECT_EQ(Rows(sites.keptCookies), "accounts.google.com  (Google Chrome: 2 cookies);keep.org  (Firefox: 2 cookies);");

    const struct {
        bool toKeep;
        std::vector<int> rows;
        const char* kept;
        const char* left;  // the delete side's sites
        const char* refused;
    } steps[] = {
        // google.com and localhost picked; localhost is a public suffix.
        {true, {1, 2, -1, 99}, "accounts.google.com;keep.org;google.com;",
         "example.co.uk;localhost;thisisanexample.com;",
         "localhost: a public suffix shared by many unrelated sites; keep a site under it instead;"},
        {false, {0}, "keep.org;google.com;", "example.co.uk;localhost;thisisanexample.com;", ""},
        {false, {1, 1, 5}, "keep.org;", "example.co.uk;google.com;localhost;thisisanexample.com;", ""},
        {false, {}, "keep.org;", "example.co.uk;google.com;localhost;thisisanexample.com;", ""},
        {false, {0}, "", "example.co.uk;google.com;keep.org;localhost;thisisanexample.com;", ""},
    };
    for (const auto& step : steps) {
        std::string refused;
        if (step.toKeep) {
            for (const std::string& line : MoveSitesToKeep(sites, step.rows)) refused += line + ";";
        } else {
            MoveSitesToDelete(sites, step.rows);
        }
        std::string left;
        for (const SiteCookies& group : sites.toDelete) left += group.site + ";";
        EXPECT_EQ(Kept(sites), step.kept);
        EXPECT_EQ(left, step.left);
        EXPECT_EQ(refused, step.refused);
    }
    EXPECT_TRUE(sites.changed);
}

// Sites a Group Policy keeps join the list, stay when moved back, and are
// never written into the user's own file.
TEST(CookieSites, PolicySitesStayAndAreNotSaved) {
    const std::string key = std::string(kPolicyKey) + "\\KeptSites";
    HKEY policy;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &policy, nullptr),
              ERROR_SUCCESS);
    const struct {
        const char* name;
        const char* site;
    } kValues[] = {{"1", "Keep.ORG"}, {"2", "policy.example"}, {"3", "co.uk"}};
    for (const auto& v : kValues)
        RegSetValueExA(policy, v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.site), static_cast<DWORD>(strlen(v.site) + 1));
    RegCloseKey(policy);
    const DataFilePaths file = ProgramDataFile("datasites.txt");
    DeleteFileA(file.shared.c_str());
    DeleteFileA(file.user.c_str());
    ASSERT_TRUE(SaveKeepSites({"keep.org", "mine.net"}));

    KeepSites keep = LoadKeepSites();
    EXPECT_EQ(keep.sites, (std::vector<std::string>{"keep.org", "mine.net", "policy.example"}));
    EXPECT_EQ(keep.policySites, std::vector<std::string>{"policy.example"});
    EXPECT_EQ(keep.warnings.size(), 1u) << "the public suffix is ignored with a warning";
    CookieSites sites = MakeCookieSites(SampleHosts(), keep);
    MoveSitesToDelete(sites, {0, 1, 2});
    EXPECT_EQ(Kept(sites), "policy.example;");
    ASSERT_TRUE(SaveCookieSites(sites));
    EXPECT_EQ(ReadWholeFile(file.shared), "") << "nothing of the user's is left, and the policy's is not written";

    RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
    EXPECT_TRUE(LoadKeepSites().sites.empty());
}

// --- the Cookies Manager under Wine ------------------------------------------

std::vector<CookieHostCount> DialogHosts() {
    return {{".google.com", "Google Chrome", 3},
            {"mail.google.com", "Firefox", 4},
            {"keep.org", "Firefox", 2},
            {"shop.example.com", "Microsoft Edge", 1},
            {"localhost", "Firefox", 1}};
}

bool IsCookiesManager(HWND w) { return HasControls(w, {IDC_CK_OK, IDC_CK_DELETE_LIST, IDC_CK_KEEP_LIST}); }

std::string ViewRows(HWND list) {
    std::string out;
    for (int row = 0; row < RowCount(list); ++row) out += Cell(list, row, 0) + ";";
    return out;
}

void Select(HWND list, const std::vector<std::string>& names) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (const std::string& name : names) {
        int row = FindRow(list, name);
        ASSERT_GE(row, 0) << name;
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
}

class CookiesManagerSites : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        SetCookieHostCounter(&DialogHosts);
        sites_ = ProgramDataFile("datasites.txt");
        cookies_ = CookieFolder();
        ASSERT_FALSE(cookies_.empty());
        CreateDirectoryA(cookies_.c_str(), nullptr);
        ASSERT_TRUE(MakeFile(cookies_ + "\\sites-e2e.txt", 40));
        CreateMainWindowForTest();
        ASSERT_NE(g_app.mainWindow, nullptr);
    }
    void TearDown() override {
        DestroyMainWindowForTest();
        DeleteFileA((cookies_ + "\\sites-e2e.txt").c_str());
        SetCookieHostCounter(nullptr);
        ResetProgramState();
    }
    // Opens the manager by its command and runs `action` on it.
    void RunManager(const std::function<void(HWND, HWND, HWND)>& action) {
        WindowHelper helper(IsCookiesManager, [&action](HWND w) {
            action(w, GetDlgItem(w, IDC_CK_DELETE_LIST), GetDlgItem(w, IDC_CK_KEEP_LIST));
        });
        Command(IDC_COOKIES_MANAGER);
        ASSERT_TRUE(helper.Join());
    }

    DataFilePaths sites_;
    std::string cookies_;
};

// Files first, then sites, on either side; a move takes files and sites at
// once, each to its place; OK saves both files.
TEST_F(CookiesManagerSites, SitesMoveWithTheFilesAndOkSavesThem) {
    WriteWholeFile(sites_.shared, "# kept by hand\r\nkeep.org\r\n");
    std::string before, afterKeep, afterBack;
    RunManager([&](HWND w, HWND left, HWND right) {
        before = ViewRows(left) + "|" + ViewRows(right);
        Select(left, {"sites-e2e.txt", "google.com  (Google Chrome, Firefox: 7 cookies)"});
        SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
        afterKeep = ViewRows(left) + "|" + ViewRows(right);
        Select(right, {"keep.org  (Firefox: 2 cookies)"});
        SendMessageA(w, WM_COMMAND, IDC_CK_TO_DELETE, 0);
        afterBack = ViewRows(left) + "|" + ViewRows(right);
        PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0);
    });
    const std::string local = "localhost  (Firefox: 1 cookie);";
    EXPECT_EQ(before,
              "sites-e2e.txt;example.com  (Microsoft Edge: 1 cookie);google.com  (Google Chrome, Firefox: 7 cookies);" +
                  local + "|keep.org  (Firefox: 2 cookies);");
    EXPECT_EQ(afterKeep, "example.com  (Microsoft Edge: 1 cookie);" + local +
                             "|sites-e2e.txt;keep.org  (Firefox: 2 cookies);google.com  (Google Chrome, Firefox: 7 cookies);");
    EXPECT_EQ(afterBack, "example.com  (Microsoft Edge: 1 cookie);keep.org  (Firefox: 2 cookies);" + local +
                             "|sites-e2e.txt;google.com  (Google Chrome, Firefox: 7 cookies);");
    EXPECT_EQ(ReadWholeFile(sites_.shared), "google.com\r\n");
    EXPECT_EQ(ReadWholeFile(sites_.shared + ".bak"), "# kept by hand\r\nkeep.org\r\n");
    EXPECT_EQ(ReadWholeFile(KeptCookiesFilePath()), "sites-e2e.txt\r\n");
    EXPECT_EQ(LoadKeepSites().sites, Sites{"google.com"});
}

// Closing without OK saves no site; opening without a move rewrites nothing
// (a hand-made file keeps its comments).
TEST_F(CookiesManagerSites, OnlyOkWithAMoveWritesTheFile) {
    const std::string hand = "# mine\r\nKeep.org\r\n";
    WriteWholeFile(sites_.shared, hand);
    RunManager([](HWND w, HWND left, HWND) {
        Select(left, {"google.com  (Google Chrome, Firefox: 7 cookies)"});
        SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
        PostMessageA(w, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ReadWholeFile(sites_.shared), hand);
    RunManager([](HWND w, HWND, HWND) { PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0); });
    EXPECT_EQ(ReadWholeFile(sites_.shared), hand);
    EXPECT_FALSE(FileExists(sites_.shared + ".bak"));
}

// A keep list that cannot be read is said on the keep side, nothing moves
// and OK leaves the file alone.
TEST_F(CookiesManagerSites, AnUnreadableFileIsSaidAndNeverOverwritten) {
    WriteWholeFile(sites_.shared, "keep.org\r\n");
    HANDLE lock = CreateFileA(sites_.shared.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::string right, afterMove;
    RunManager([&](HWND w, HWND left, HWND keep) {
        right = ViewRows(keep);
        Select(left, {"google.com  (Google Chrome, Firefox: 7 cookies)"});
        SendMessageA(w, WM_COMMAND, IDC_CK_TO_KEEP, 0);
        afterMove = ViewRows(keep);
        PostMessageA(w, WM_COMMAND, IDC_CK_OK, 0);
    });
    CloseHandle(lock);
    EXPECT_EQ(right, "(kept sites unknown: datasites.txt could not be read; no browser cookie is deleted);");
    EXPECT_EQ(afterMove, right);
    EXPECT_EQ(ReadWholeFile(sites_.shared), "keep.org\r\n");
    EXPECT_FALSE(FileExists(sites_.shared + ".bak"));
    EXPECT_FALSE(FileExists(sites_.user));
}

}  // namespace
