#include "browsers/cookie_hosts.h"

#include <sqlite3.h>

#include <map>
#include <utility>

#include "browsers/profiles.h"
#include "browsers/sqlite_db.h"
#include "browsers/stores.h"
#include "fs/text.h"

namespace {

void CountStore(const std::wstring& path, const std::string& browser, bool firefox,
                std::map<std::pair<std::string, std::string>, unsigned long long>& counts) {
    if (!FileExistsW(path)) return;
    SqliteDb db;
    if (!db.Open(Utf8FromWide(path), ReadOnlyWay(path))) return;
    SqliteStatement stmt(db, firefox ? "SELECT host, COUNT(*) FROM moz_cookies GROUP BY host"
                                     : "SELECT host_key, COUNT(*) FROM cookies GROUP BY host_key");
    while (stmt.Step()) {
        const unsigned char* host = sqlite3_column_text(stmt.get(), 0);
        sqlite3_int64 n = sqlite3_column_int64(stmt.get(), 1);
        if (!host || n <= 0) continue;
        counts[{reinterpret_cast<const char*>(host), browser}] += static_cast<unsigned long long>(n);
    }
}

}  // namespace

std::vector<CookieHostCount> CountBrowserCookieHosts() {
    std::map<std::pair<std::string, std::string>, unsigned long long> counts;
    for (const BrowserInstall& browser : FindBrowsers()) {
        bool firefox = browser.family == BrowserFamily::Firefox;
        for (const BrowserProfile& profile : browser.profiles) {
            if (profile.running || profile.throughLink) continue;
            if (firefox) {
                CountStore(profile.folder + L"\\cookies.sqlite", browser.name, true, counts);
            } else {
                for (const wchar_t* name : {L"\\Network\\Cookies", L"\\Cookies", L"\\Extension Cookies"})
                    CountStore(profile.folder + name, browser.name, false, counts);
            }
        }
    }
    std::vector<CookieHostCount> out;
    out.reserve(counts.size());
    for (const auto& entry : counts) out.push_back({entry.first.first, entry.first.second, entry.second});
    return out;
}
