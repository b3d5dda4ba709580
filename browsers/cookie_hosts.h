// The hosts that hold cookies in the browsers' cookie stores, read
// read-only from every profile of every browser that is closed.
#pragma once

#include <string>
#include <vector>

struct CookieHostCount {
    std::string host;     // as the store holds it (a domain cookie's leading dot kept)
    std::string browser;  // the browser's display name ("Google Chrome", "Firefox")
    unsigned long long cookies = 0;
};

// One entry per host and browser, over every cookie store of every
// profile. Profiles of a running browser are skipped, unread.
std::vector<CookieHostCount> CountBrowserCookieHosts();
