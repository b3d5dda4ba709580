// The keep list of sites: which cookie hosts a site keeps, the Public
// Suffix List as built in, the sites a user may keep, and datasites.txt's
// lines. (The file on disk, locks and failed saves: data_files_test.)
#include <string>
#include <vector>

#include "browsers/site_list.h"
#include "unit.h"

namespace {

using Sites = std::vector<std::string>;

UNIT_TEST(TheHostAloneDecidesWhatIsKept) {
    const std::string longHost = std::string(1100, 'a') + ".example.com";  // longer than any DNS name
    const struct {
        std::string host;
        Sites sites;
        bool kept;
    } cases[] = {
        {"example.com", {"example.com"}, true},
        {".example.com", {"example.com"}, true},
        {"shop.example.com", {"example.com"}, true},
        {".Shop.EXAMPLE.com", {"example.com"}, true},
        {"example.com.", {"example.com"}, true},
        {longHost, {"example.com"}, true},
        {"thisisanexample.com", {"example.com"}, false},
        {"example.com.evil.net", {"example.com"}, false},
        {"shop-example.com", {"example.com"}, false},
        {"xample.com", {"example.com"}, false},
        {"example.co", {"example.com"}, false},
        {"com", {"example.com"}, false},
        {"", {"example.com"}, false},
        {".", {"example.com"}, false},
        {"example.com", {"shop.example.com"}, false},
        {"a.shop.example.com", {"other.org", "shop.example.com"}, true},
        {"example.com", {}, false},
        {"example.com", {"", "."}, false},
        {"\xC3\xA9xample.com", {"example.com"}, false},
    };
    for (const auto& c : cases) {
        CHECK_EQ(HostKeptBy(c.host, c.sites), c.kept, c.host.substr(0, 40));
        CHECK_EQ(SiteMatcher(c.sites).Keeps(c.host), c.kept, c.host.substr(0, 40));
    }
}

// The rules of the list as Debian ships it: plain rules, a wildcard and its
// exception, UTF-8 rules, and the implicit "*" for an unlisted top level.
UNIT_TEST(PublicSuffixesAndRegistrableDomains) {
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
        CHECK_EQ(IsPublicSuffix(c.host), c.suffix, c.host);
        CHECK_EQ(RegistrableDomain(c.host), std::string(c.registrable), c.host);
    }
}

std::string LongName() {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "abcd.";
    return name + "com";
}

UNIT_TEST(OnlyASiteCanBeKept) {
    const struct {
        std::string site;
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
        {std::string(63, 'a') + ".com", SiteRefusal::None},
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
        {std::string(64, 'a') + ".com", SiteRefusal::NotAHost},  // a label past 63
        {LongName(), SiteRefusal::NotAHost},                     // a name past 253
        {"com", SiteRefusal::PublicSuffix},
        {"co.uk", SiteRefusal::PublicSuffix},
        {"github.io", SiteRefusal::PublicSuffix},
        {"x.ck", SiteRefusal::PublicSuffix},
        {"localhost", SiteRefusal::PublicSuffix},
    };
    for (const auto& c : cases) CHECK_EQ(static_cast<int>(CheckSite(c.site)), static_cast<int>(c.refusal), c.site);
}

std::string Numbered(int count, const std::string& suffix) {
    std::string out;
    for (int i = 0; i < count; ++i) out += "s" + std::to_string(i) + suffix + "\r\n";
    return out;
}

// datasites.txt's lines: normalized, duplicates once, refused lines
// ignored with a warning; a list longer than is kept is no list at all.
UNIT_TEST(KeepSitesFileLines) {
    const char kJunk[] = "http://a.com/x\n*.b.com\nc.com:80\n\x01\x02\xFF\nd.com\0e.com\n";
    const struct {
        const char* what;
        std::string bytes;
        const char* sites;  // "unreadable: why" when the list is refused
        size_t warnings;
    } cases[] = {
        {"normalized, duplicates collapse", "\xEF\xBB\xBF# mine\r\nExample.COM\r\n\t.example.com \r\nshop.example.com.\x1A",
         "example.com;shop.example.com;", 0},
        {"public suffixes ignored", "com\nco.uk\ngithub.io\nx.ck\nkept.org\n", "kept.org;", 4},
        {"not sites", std::string(kJunk, sizeof kJunk - 1), "d.com;e.com;", 4},
        {"an overlong line", std::string(300, 'a') + ".com\r\nok.com\r\n", "ok.com;", 1},
        {"too many junk lines", Numbered(100001, ""), "", 21},
        {"too many sites", Numbered(100001, ".com"), "unreadable: datasites.txt holds more sites than can be kept", 0},
        {"empty", "", "", 0},
    };
    for (const auto& c : cases) {
        KeepSites keep = ParseKeepSites(c.bytes);
        std::string sites = keep.readable ? "" : "unreadable: " + keep.error;
        for (const std::string& site : keep.sites) sites += site + ";";
        CHECK_EQ(sites, c.sites, c.what);
        CHECK_EQ(keep.warnings.size(), c.warnings, c.what);
    }
    // The warnings name the line and why, in printable text.
    KeepSites keep = ParseKeepSites("ok.com\r\n\r\ncom\r\nbad\x01site\r\n");
    CHECK_EQ(keep.warnings.size(), 2u, "two refused lines");
    if (keep.warnings.size() != 2) return;
    CHECK_EQ(keep.warnings[0],
             "line 3, \"com\", ignored: a public suffix shared by many unrelated sites; keep a site under it instead",
             "public suffix");
    CHECK_EQ(keep.warnings[1].substr(0, 23), "line 4, \"bad?site\", ign", "control character");
}

}  // namespace
