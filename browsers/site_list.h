// The sites whose browser cookies are kept (datasites.txt, beside
// datacookies.txt), the Public Suffix List built into the program, and the
// one rule that decides whether a cookie's host is kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A host as the rules compare it: lower case, without a leading dot, and
// without a trailing one.
std::string NormalizeHost(std::string_view host);

// True when `host` (normalized) is a public suffix on its own ("com",
// "co.uk", "github.io"), by the Public Suffix List's rules.
bool IsPublicSuffix(std::string_view host);

// The registrable domain of `host` (the public suffix and one label more:
// "mail.google.com" -> "google.com"); the host itself when it has none.
std::string RegistrableDomain(std::string_view host);

// Why a site was refused when the user added it, or when it was read.
enum class SiteRefusal { None, Empty, NotAHost, PublicSuffix };
SiteRefusal CheckSite(std::string_view site);
const char* SiteRefusalText(SiteRefusal refusal);

// A cookie whose host equals a listed site, or ends with "." and a listed
// site, is kept. `host` as the store holds it (leading dot, any case).
bool HostKeptBy(std::string_view host, const std::vector<std::string>& sites);

// The keep list as loaded.
struct KeepSites {
    // False when datasites.txt exists but could not be read (or only in
    // part): then no browser cookie may be deleted anywhere.
    bool readable = true;
    std::string error;                  // why, for the row's note
    std::vector<std::string> sites;     // normalized, each a valid site
    std::vector<std::string> warnings;  // lines ignored, with why
};

// Reads datasites.txt (both copies, as the other data files are read).
KeepSites LoadKeepSites();
// Replaces datasites.txt with `sites`; false when it could not be written
// or when saving is refused (the file could not be read).
bool SaveKeepSites(const std::vector<std::string>& sites);
