// The browsers' cookies by site for the Cookies Manager.
#include "cookies/cookie_sites.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<CookieHostCounter> g_hostCounter{&CountBrowserCookieHosts};

void Regroup(CookieSites& sites) {
    sites.toDelete = GroupCookieHosts(sites.hosts, sites.kept);
    sites.keptCookies = CookiesKeptBy(sites.kept, sites.hosts);
}

// Valid rows, each once, in ascending order.
std::vector<size_t> ValidRows(const std::vector<int>& rows, size_t size) {
    std::vector<size_t> out;
    for (int row : rows)
        if (row >= 0 && static_cast<size_t>(row) < size) out.push_back(static_cast<size_t>(row));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

}  // namespace

bool KeptByPolicy(const CookieSites& sites, const std::string& site) {
    return std::find(sites.policy.begin(), sites.policy.end(), site) != sites.policy.end();
}

CookieSites LoadCookieSites() { return MakeCookieSites(g_hostCounter.load()(), LoadKeepSites()); }

CookieSites MakeCookieSites(std::vector<CookieHostCount> hosts, const KeepSites& keep) {
    CookieSites sites;
    sites.hosts = std::move(hosts);
    sites.keepReadable = keep.readable;
    sites.keepError = keep.error;
    if (keep.readable) sites.kept = keep.sites;
    sites.policy = keep.policySites;
    Regroup(sites);
    return sites;
}

std::vector<std::string> MoveSitesToKeep(CookieSites& sites, const std::vector<int>& rows) {
    std::vector<std::string> refused;
    if (!sites.keepReadable) return refused;
    for (size_t row : ValidRows(rows, sites.toDelete.size())) {
        const std::string& site = sites.toDelete[row].site;
        SiteRefusal refusal = CheckSite(site);
        if (refusal != SiteRefusal::None) {
            refused.push_back(site + ": " + SiteRefusalText(refusal));
            continue;
        }
        if (std::find(sites.kept.begin(), sites.kept.end(), site) == sites.kept.end()) sites.kept.push_back(site);
        sites.changed = true;
    }
    Regroup(sites);
    return refused;
}

void MoveSitesToDelete(CookieSites& sites, const std::vector<int>& rows) {
    if (!sites.keepReadable) return;
    std::vector<size_t> valid = ValidRows(rows, sites.kept.size());
    for (auto row = valid.rbegin(); row != valid.rend(); ++row) {
        if (KeptByPolicy(sites, sites.kept[*row])) continue;
        sites.kept.erase(sites.kept.begin() + *row);
        sites.changed = true;
    }
    Regroup(sites);
}

bool SaveCookieSites(CookieSites& sites) {
    if (!sites.keepReadable || !sites.changed) return true;
    // The policy's sites are the administrator's, not the user's file's.
    std::vector<std::string> own;
    for (const std::string& site : sites.kept)
        if (!KeptByPolicy(sites, site)) own.push_back(site);
    if (!SaveKeepSites(own)) return false;
    sites.changed = false;
    return true;
}

std::string SiteRowText(const SiteCookies& site) {
    std::string text = site.site + "  (";
    if (site.cookies == 0) return text + "site, no cookies now)";
    for (size_t i = 0; i < site.browsers.size(); ++i) text += (i ? ", " : "") + site.browsers[i];
    text += ": " + std::to_string(site.cookies) + (site.cookies == 1 ? " cookie)" : " cookies)");
    return text;
}

void SetCookieHostCounter(CookieHostCounter counter) { g_hostCounter = counter ? counter : &CountBrowserCookieHosts; }
