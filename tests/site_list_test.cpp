// The keep list of sites: which cookie hosts a site keeps, the Public
// Suffix List as built in, the sites a user may keep, the grouping of
// cookie hosts by site, and the Cookies Manager moving sites and saving
// datasites.txt. (datasites.txt's bad input: data_files_test.)
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

TEST(KeepList, TheHostAloneDecides) {
    const struct {
        const char* host;
        Sites sites;
        bool kept;
    } cases[] = {
        {"example.com", {"example.com"}, true},
        {".example.com", {"example.com"}, true},
        {"shop.example.com", {"example.com"}, true},
        {".Shop.EXAMPLE.com", {"example.com"}, true},
        {"example.com.", {"example.com"}, true},
        {"thisisanexample.com", {"example.com"}, false},
        {"example.com.evil.net", {"example.com"}, false},
        {"shop-example.com", {"example.com"}, false},
        {"xample.com", {"example.com"}, false},
        {"com", {"example.com"}, false},
        {"", {"example.com"}, false},
        {".", {"example.com"}, false},
        {"example.com", {"shop.example.com"}, false},
        {"a.shop.example.com", {"other.org", "shop.example.com"}, true},
        {"example.com", {}, false},
        {"\xC3\xA9xample.com", {"example.com"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostKeptBy(c.host, c.sites), c.kept) << c.host;
        EXPECT_EQ(SiteMatcher(c.sites).Keeps(c.host), c.kept) << c.host;
    }
}

// The rules of the list as Debian ships it: plain rules, a wildcard and its
// exception, UTF-8 rules, and the implicit "*" for an unlisted top level.
TEST(PublicSuffixList, SuffixesAndRegistrableDomains) {
    const struct {
        const char* host;
        bool suffix;
        const char* registrable;
    } cases[] = {
        {"com", true, "com"},
        {"COM", true, "com"},
        {"co.uk", true, "co.uk"},
        {".co.uk", true, "co.uk"},
        {"github.io", true, "github.io"},
        {"ck", true, "ck"},
        {"anything.ck", true, "anything.ck"},  // *.ck
        {"www.ck", false, "www.ck"},           // !www.ck
        {"a.www.ck", false, "www.ck"},
        {"foo.bar.ck", false, "foo.bar.ck"},
        {"x.kawasaki.jp", true, "x.kawasaki.jp"},
        {"city.kawasaki.jp", false, "city.kawasaki.jp"},
        {"localhost", true, "localhost"},  // unlisted: the implicit rule
        {"brisola.internal", false, "brisola.internal"},
        {"example.com", false, "example.com"},
        {"mail.google.com", false, "google.com"},
        {".accounts.google.com", false, "google.com"},
        {"a.b.example.co.uk", false, "example.co.uk"},
        {"shop.github.io", false, "shop.github.io"},
        {"x.y.shop.github.io", false, "shop.github.io"},
        {"\xE5\x85\xAC\xE5\x8F\xB8.cn", true, "\xE5\x85\xAC\xE5\x8F\xB8.cn"},  // a UTF-8 rule
        {"a.\xE5\x85\xAC\xE5\x8F\xB8.cn", false, "a.\xE5\x85\xAC\xE5\x8F\xB8.cn"},
        {"\xFF\xFE.com", false, "\xFF\xFE.com"},
        {"a..com", false, ".com"},
        {"192.168.1.10", false, "192.168.1.10"},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPublicSuffix(c.host), c.suffix) << c.host;
        EXPECT_EQ(RegistrableDomain(c.host), c.registrable) << c.host;
    }
}

TEST(KeepList, OnlyASiteCanBeKept) {
    const struct {
        const char* site;
        SiteRefusal refusal;
    } cases[] = {
        {"example.com", SiteRefusal::None},
        {"Example.COM.", SiteRefusal::None},
        {".example.com", SiteRefusal::None},
        {"accounts.google.com", SiteRefusal::None},
        {"www.ck", SiteRefusal::None},
        {"xn--bcher-kva.de", SiteRefusal::None},
        {"my_host.example.com", SiteRefusal::None},
        {"192.168.1.1", SiteRefusal::None},
        {"", SiteRefusal::Empty},
        {"..", SiteRefusal::Empty},
        {" ", SiteRefusal::NotAHost},
        {"http://example.com", SiteRefusal::NotAHost},
        {"example.com/login", SiteRefusal::NotAHost},
        {"example.com:443", SiteRefusal::NotAHost},
        {"*.example.com", SiteRefusal::NotAHost},
        {"exa mple.com", SiteRefusal::NotAHost},
        {"a..com", SiteRefusal::NotAHost},
        {"1.2.3", SiteRefusal::NotAHost},
        {"256.1.1.1", SiteRefusal::NotAHost},
        {"[::1]", SiteRefusal::NotAHost},
        {"b\xC3\xBC" "cher.de", SiteRefusal::NotAHost},
        {"user@example.com", SiteRefusal::NotAHost},
        {"example.com\r", SiteRefusal::NotAHost},
        {"com", SiteRefusal::PublicSuffix},
        {"co.uk", SiteRefusal::PublicSuffix},
        {"github.io", SiteRefusal::PublicSuffix},
        {"x.ck", SiteRefusal::PublicSuffix},
        {"localhost", SiteRefusal::PublicSuffix},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckSite(c.site), c.refusal) << c.site;
    EXPECT_EQ(CheckSite(std::string(64, 'a') + ".com"), SiteRefusal::NotAHost);
    EXPECT_EQ(CheckSite(std::string(63, 'a') + ".com"), SiteRefusal::None);
    std::string longName;
    for (int i = 0; i < 60; ++i) longName += "abcd.";
    EXPECT_EQ(CheckSite(longName + "com"), SiteRefusal::NotAHost);
}

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

KeepSites Keep(Sites sites, bool readable = true) {
    KeepSites keep;
    keep.sites = std::move(sites);
    keep.readable = readable;
    if (!readable) keep.error = "datasites.txt could not be read";
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

// A keep list that could not be read moves nothing and is never saved.
TEST(CookieSites, AnUnreadableKeepListStaysAsItIs) {
    CookieSites sites = MakeCookieSites(SampleHosts(), Keep({"keep.org"}, false));
    EXPECT_TRUE(sites.kept.empty());
    EXPECT_TRUE(MoveSitesToKeep(sites, {0, 1}).empty());
    MoveSitesToDelete(sites, {0});
    EXPECT_TRUE(sites.kept.empty());
    EXPECT_FALSE(sites.changed);
    EXPECT_TRUE(SaveCookieSites(sites));  // nothing to save, nothing written
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
