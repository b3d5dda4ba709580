// The browsers' cookies by site, as the Cookies Manager shows them after
// the cookie files: the sites whose cookies a cleaning deletes, and the
// sites of datasites.txt whose cookies it keeps.
//
// Unlike the cookie-file lists these live for one opening of the manager:
// the cleaning reads the keep list from datasites.txt, so a move counts
// once OK has saved it.
#pragma once

#include <string>
#include <vector>

#include "browsers/cookie_hosts.h"
#include "browsers/site_list.h"

struct CookieSites {
    std::vector<CookieHostCount> hosts;  // every host with cookies, as counted at the opening
    std::vector<SiteCookies> toDelete;   // registrable domains not kept, sorted
    std::vector<std::string> kept;       // the keep list, in its order
    std::vector<std::string> policy;     // kept by a Group Policy: they stay, and are not saved
    std::vector<SiteCookies> keptCookies;  // what each kept site keeps, in the same order
    // False when datasites.txt could not be read: nothing moves and the
    // file is never written.
    bool keepReadable = true;
    std::string keepError;
    bool changed = false;  // a move since the opening
};

// Whether a Group Policy keeps `site` (it cannot be moved back).
bool KeptByPolicy(const CookieSites& sites, const std::string& site);

// Counts the cookie hosts of every closed browser and reads the keep list.
CookieSites LoadCookieSites();
// The same from hosts and a keep list already at hand.
CookieSites MakeCookieSites(std::vector<CookieHostCount> hosts, const KeepSites& keep);

// Keeps the sites behind `rows` of the delete side. Returns one line per
// site that cannot be kept, with why; those stay where they are.
std::vector<std::string> MoveSitesToKeep(CookieSites& sites, const std::vector<int>& rows);
// Puts the kept sites behind `rows` back on the delete side; a site a
// Group Policy keeps stays.
void MoveSitesToDelete(CookieSites& sites, const std::vector<int>& rows);
// Saves the keep list when it was changed; true when nothing had to be
// saved or the save worked.
bool SaveCookieSites(CookieSites& sites);

// A site's row: "google.com  (Google Chrome, Firefox: 12 cookies)".
std::string SiteRowText(const SiteCookies& site);

// Where LoadCookieSites counts the hosts (tests put their own hosts in).
using CookieHostCounter = std::vector<CookieHostCount> (*)();
void SetCookieHostCounter(CookieHostCounter counter);
