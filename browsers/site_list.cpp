// The keep list of sites: the Public Suffix List matcher, the checks on a
// site, the reading of datasites.txt's lines and the grouping of cookie
// hosts by site. No Windows call: the file itself is site_file.cpp's.
#include "browsers/site_list.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "fs/data_lines.h"

namespace {

// Longer than any host name can be (253); a longer line is not a site.
const size_t kMaxSiteLength = 253;
// More sites than anyone keeps; a file with more is not taken in part,
// since a site left out would lose its cookies.
const size_t kMaxSites = 100000;
// Warnings shown of a file full of junk; the rest are counted.
const size_t kMaxWarnings = 20;

// The list's rules as built in, in its order.
const char* const kPslRules[] = {
#include "psl_rules.inc"
};

// The rules by kind; built once, then only read.
struct PslRules {
    std::unordered_set<std::string_view> normal;
    std::unordered_set<std::string_view> wildcardParents;  // "*.ck" as "ck"
    std::unordered_set<std::string_view> exceptions;        // "!www.ck" as "www.ck"
};

const PslRules& Rules() {
    static const PslRules rules = [] {
        PslRules built;
        for (const char* rule : kPslRules) {
            std::string_view text(rule);
            if (text.empty()) continue;
            if (text[0] == '!') built.exceptions.insert(text.substr(1));
            else if (text.compare(0, 2, "*.") == 0) built.wildcardParents.insert(text.substr(2));
            else if (text.find('*') == std::string_view::npos) built.normal.insert(text);
            // A wildcard elsewhere than in front is not in the list's grammar.
        }
        return built;
    }();
    return rules;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The offsets at which each label of `host` starts, left to right.
std::vector<size_t> LabelStarts(std::string_view host) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < host.size(); ++i)
        if (host[i] == '.') starts.push_back(i + 1);
    return starts;
}

// Where the public suffix of a normalized, non-empty host starts.
size_t PublicSuffixStart(std::string_view host) {
    const PslRules& rules = Rules();
    std::vector<size_t> starts = LabelStarts(host);
    // An exception rule prevails: its public suffix is the rule without its
    // leftmost label.
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        if (rules.exceptions.count(host.substr(starts[i]))) return starts[i + 1];
    // Otherwise the longest rule that matches, a wildcard standing for one
    // label; none matching is the implicit "*": the last label.
    for (size_t i = 0; i < starts.size(); ++i) {
        std::string_view suffix = host.substr(starts[i]);
        if (rules.normal.count(suffix)) return starts[i];
        if (i + 1 < starts.size() && rules.wildcardParents.count(host.substr(starts[i + 1]))) return starts[i];
    }
    return starts.back();
}

// Four decimal numbers up to 255, dotted.
bool IsIpv4(std::string_view host) {
    int parts = 0;
    size_t at = 0;
    while (at <= host.size()) {
        size_t end = host.find('.', at);
        if (end == std::string_view::npos) end = host.size();
        std::string_view part = host.substr(at, end - at);
        if (part.empty() || part.size() > 3 || ++parts > 4) return false;
        int value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        if (value > 255) return false;
        at = end + 1;
    }
    return parts == 4;
}

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// A line as a warning can show it: printable ASCII, cut short.
std::string Printable(std::string_view line) {
    std::string out;
    for (char c : line.substr(0, 60)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
    if (line.size() > 60) out += "...";
    return out;
}

void Warn(KeepSites& keep, size_t& ignored, size_t lineNumber, std::string_view line, const char* why) {
    if (++ignored > kMaxWarnings) return;
    keep.warnings.push_back("line " + std::to_string(lineNumber) + ", \"" + Printable(line) + "\", ignored: " + why);
}

void AddBrowser(SiteCookies& group, const std::string& browser) {
    if (std::find(group.browsers.begin(), group.browsers.end(), browser) == group.browsers.end())
        group.browsers.push_back(browser);
}

}  // namespace

void NormalizeHostInto(std::string_view host, std::string& out) {
    while (!host.empty() && host.front() == '.') host.remove_prefix(1);
    while (!host.empty() && host.back() == '.') host.remove_suffix(1);
    out.assign(host.data(), host.size());
    for (char& c : out) c = LowerAscii(c);
}

std::string NormalizeHost(std::string_view host) {
    std::string out;
    NormalizeHostInto(host, out);
    return out;
}

bool IsPublicSuffix(std::string_view host) {
    std::string h = NormalizeHost(host);
    return !h.empty() && PublicSuffixStart(h) == 0;
}

std::string RegistrableDomain(std::string_view host) {
    std::string h = NormalizeHost(host);
    if (h.empty() || IsIpv4(h)) return h;
    size_t suffix = PublicSuffixStart(h);
    if (suffix == 0) return h;
    // One label more than the public suffix.
    size_t dot = h.rfind('.', suffix - 2);
    return dot == std::string::npos ? h : h.substr(dot + 1);
}

SiteRefusal CheckSite(std::string_view site) {
    std::string h = NormalizeHost(site);
    if (h.empty()) return SiteRefusal::Empty;
    if (h.size() > kMaxSiteLength) return SiteRefusal::NotAHost;
    if (IsIpv4(h)) return SiteRefusal::None;
    size_t labelLength = 0;
    for (char c : h) {
        if (c == '.') {
            if (labelLength == 0) return SiteRefusal::NotAHost;  // "a..b"
            labelLength = 0;
        } else if (!IsHostChar(c) || ++labelLength > 63) {
            return SiteRefusal::NotAHost;
        }
    }
    // A name whose last label is a number is a cut address, not a host.
    size_t last = h.rfind('.') + 1;
    if (h.find_first_not_of("0123456789", last) == std::string::npos) return SiteRefusal::NotAHost;
    if (IsPublicSuffix(h)) return SiteRefusal::PublicSuffix;
    return SiteRefusal::None;
}

const char* SiteRefusalText(SiteRefusal refusal) {
    switch (refusal) {
    case SiteRefusal::None:
        return "";
    case SiteRefusal::Empty:
        return "no site was given";
    case SiteRefusal::NotAHost:
        return "not a site name (write a site as example.com, without http:// or a path)";
    case SiteRefusal::PublicSuffix:
        return "a public suffix shared by many unrelated sites; keep a site under it instead";
    }
    return "";
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

SiteMatcher::SiteMatcher(const std::vector<std::string>& sites) {
    for (const std::string& site : sites) {
        auto added = sites_.insert(NormalizeHost(site));
        if (added.second && !added.first->empty()) views_.insert(*added.first);
    }
}

bool SiteMatcher::Keeps(std::string_view host) const {
    if (views_.empty()) return false;
    // Grows to the longest host once per thread, and is reused after.
    thread_local std::string lower;
    NormalizeHostInto(host, lower);
    if (lower.empty()) return false;
    for (std::string_view h(lower);;) {
        if (views_.count(h)) return true;
        size_t dot = h.find('.');
        if (dot == std::string_view::npos) return false;
        h.remove_prefix(dot + 1);
    }
}

KeepSites ParseKeepSites(const std::string& bytes) {
    KeepSites keep;
    std::unordered_set<std::string> seen;
    size_t ignored = 0, lineNumber = 0;
    DataLines lines(bytes);
    for (std::string_view line; lines.Next(line);) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;  // blank lines and comments
        SiteRefusal refusal = CheckSite(line);
        if (refusal != SiteRefusal::None) {
            Warn(keep, ignored, lineNumber, line, SiteRefusalText(refusal));
            continue;
        }
        std::string site = NormalizeHost(line);
        if (!seen.insert(site).second) continue;
        if (keep.sites.size() >= kMaxSites) {
            // Part of a list is no list: nothing is kept on its word.
            keep.readable = false;
            keep.error = "datasites.txt holds more sites than can be kept";
            keep.sites.clear();
            break;
        }
        keep.sites.push_back(site);
    }
    if (ignored > kMaxWarnings) keep.warnings.push_back(std::to_string(ignored - kMaxWarnings) + " more lines ignored");
    return keep;
}

std::vector<SiteCookies> GroupCookieHosts(const std::vector<CookieHostCount>& hosts,
                                          const std::vector<std::string>& keep) {
    SiteMatcher kept(keep);
    std::map<std::string, SiteCookies> groups;
    for (const CookieHostCount& host : hosts) {
        std::string normalized = NormalizeHost(host.host);
        if (normalized.empty() || kept.Keeps(normalized)) continue;
        std::string site = RegistrableDomain(normalized);
        SiteCookies& group = groups[site];
        group.site = site;
        group.cookies += host.cookies;
        AddBrowser(group, host.browser);
    }
    std::vector<SiteCookies> out;
    out.reserve(groups.size());
    for (auto& entry : groups) out.push_back(std::move(entry.second));
    return out;
}

std::vector<SiteCookies> CookiesKeptBy(const std::vector<std::string>& sites,
                                       const std::vector<CookieHostCount>& hosts) {
    std::vector<SiteCookies> out(sites.size());
    std::unordered_map<std::string, std::vector<size_t>> where;
    for (size_t i = 0; i < sites.size(); ++i) {
        out[i].site = sites[i];
        where[NormalizeHost(sites[i])].push_back(i);
    }
    // Each host once, by itself and by the part after each of its dots.
    for (const CookieHostCount& host : hosts) {
        std::string h = NormalizeHost(host.host);
        for (size_t at = h.empty() ? std::string::npos : 0; at != std::string::npos;) {
            auto found = where.find(h.substr(at));
            if (found != where.end()) {
                for (size_t i : found->second) {
                    out[i].cookies += host.cookies;
                    AddBrowser(out[i], host.browser);
                }
            }
            at = h.find('.', at);
            if (at != std::string::npos) ++at;
        }
    }
    return out;
}
