#include "browsers/cookie_hosts.h"

// Filled in with the browser stores.
std::vector<CookieHostCount> CountBrowserCookieHosts() { return {}; }
