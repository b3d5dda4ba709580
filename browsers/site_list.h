// The sites whose browser cookies are kept (datasites.txt, beside
// datacookies.txt), the Public Suffix List built into the program, and the
// one rule that decides whether a cookie's host is kept.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "browsers/cookie_hosts.h"

// A host as the rules compare it: lower case, without a leading dot, and
// without a trailing one.
std::string NormalizeHost(std::string_view host);
// The same into `out`, whose buffer is reused: no allocation once it is big enough.
void NormalizeHostInto(std::string_view host, std::string& out);

// True when `host` (normalized) is a public suffix on its own ("com",
// "co.uk", "github.io"), by the Public Suffix List's rules.
bool IsPublicSuffix(std::string_view host);

// The registrable domain of `host` (the public suffix and one label more:
// "mail.google.com" -> "google.com"); the host itself when it has none.
std::string RegistrableDomain(std::string_view host);

// Why a site was refused when the user added it, or when it was read. A
// site is a host name in ASCII (an international name in its "xn--" form)
// or a whole IPv4 address; never a URL, a port, a wildcard or a public
// suffix. `site` is normalized first.
enum class SiteRefusal { None, Empty, NotAHost, PublicSuffix };
SiteRefusal CheckSite(std::string_view site);
const char* SiteRefusalText(SiteRefusal refusal);

// A cookie whose host equals a listed site, or ends with "." and a listed
// site, is kept. `host` as the store holds it (leading dot, any case).
bool HostKeptBy(std::string_view host, const std::vector<std::string>& sites);

// The same rule over many hosts: the sites as one set, each host looked up
// by itself and by the part after each of its dots. A lookup makes no
// string, as a clean asks it once for every cookie of a store.
class SiteMatcher {
public:
    explicit SiteMatcher(const std::vector<std::string>& sites);
    SiteMatcher(const SiteMatcher&) = delete;  // the views point into sites_
    SiteMatcher& operator=(const SiteMatcher&) = delete;
    bool Keeps(std::string_view host) const;

private:
    std::unordered_set<std::string> sites_;
    std::unordered_set<std::string_view> views_;
};

// The keep list as loaded.
struct KeepSites {
    // False when datasites.txt exists but could not be read (or only in
    // part): then no browser cookie may be deleted anywhere.
    bool readable = true;
    std::string error;                  // why, for the row's note
    std::vector<std::string> sites;     // normalized, each a valid site
    std::vector<std::string> warnings;  // lines ignored, with why
    // The sites a Group Policy keeps that datasites.txt does not hold:
    // part of `sites`, never written to the user's file, never removable.
    std::vector<std::string> policySites;
};

// Reads datasites.txt (both copies, as the other data files are read),
// with the sites a Group Policy keeps added.
// Fresh from the file at every call; safe on any thread.
KeepSites LoadKeepSites();
// The same rules over bytes already read (a file's content).
KeepSites ParseKeepSites(const std::string& bytes);
// Replaces datasites.txt with `sites` (refused ones left out), or retires
// it to .bak when none is left; false when it could not be written or when
// saving is refused (the file as it stands could not be read whole).
bool SaveKeepSites(const std::vector<std::string>& sites);

// The cookies of one site, over every browser: a registrable domain on the
// delete side, a kept site on the keep side.
struct SiteCookies {
    std::string site;
    std::vector<std::string> browsers;  // in the order first met
    unsigned long long cookies = 0;
};
// The hosts that `keep` does not keep, grouped by registrable domain and
// sorted by it.
std::vector<SiteCookies> GroupCookieHosts(const std::vector<CookieHostCount>& hosts,
                                          const std::vector<std::string>& keep);
// The cookies each of the kept `sites` keeps, in their order; a host under
// two of them counts for both.
std::vector<SiteCookies> CookiesKeptBy(const std::vector<std::string>& sites,
                                       const std::vector<CookieHostCount>& hosts);
