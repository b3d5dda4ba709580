#include "browsers/site_list.h"

#include <cctype>

std::string NormalizeHost(std::string_view host) {
    while (!host.empty() && host.front() == '.') host.remove_prefix(1);
    while (!host.empty() && host.back() == '.') host.remove_suffix(1);
    std::string out(host);
    for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

bool HostKeptBy(std::string_view host, const std::vector<std::string>& sites) {
    std::string h = NormalizeHost(host);
    for (const std::string& site : sites) {
        if (site.empty()) continue;
        if (h == site) return true;
        if (h.size() > site.size() && h.compare(h.size() - site.size(), site.size(), site) == 0 &&
            h[h.size() - site.size() - 1] == '.')
            return true;
    }
    return false;
}

// Until the list is read for real, nothing counts as readable, so no
// cookie is deleted.
bool IsPublicSuffix(std::string_view) { return false; }
std::string RegistrableDomain(std::string_view host) { return NormalizeHost(host); }
SiteRefusal CheckSite(std::string_view site) { return site.empty() ? SiteRefusal::Empty : SiteRefusal::None; }
const char* SiteRefusalText(SiteRefusal) { return ""; }
KeepSites LoadKeepSites() {
    KeepSites keep;
    keep.readable = false;
    keep.error = "keep list not available";
    return keep;
}
bool SaveKeepSites(const std::vector<std::string>&) { return false; }
