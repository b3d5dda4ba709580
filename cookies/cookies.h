// The cookie catalogue and datacookies.txt; the Cookies Manager shows it.
//
// Two lists of cookie file names live here for the whole run: the cookies
// that the next cleaning of "Sweep Internet cookies" deletes, and the
// cookies the user keeps (saved in datacookies.txt). The cleaning thread
// consumes the first list while the manager may be open on the main thread,
// so both lists sit behind this module's own lock and callers only ever get
// copies.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fs/tree.h"

// One row of a cookie list.
struct CookieEntry {
    BYTE marked;        // picked for a move; 0 between operations
    BYTE checked;       // always 0 in the cookie lists
    char name[256];     // the cookie's file name, without directory
    char location[256]; // a copy of the name when the folder scan made it
};

// The two lists.
enum CookieList : int { COOKIES_TO_DELETE = 0, KEPT_COOKIES = 1 };

// Appends the names of datacookies.txt (one name per line) to the kept
// list: the shared file in the Windows directory, or the user's own copy
// when that is newer.
void LoadKeptCookies();
// Writes the kept list to datacookies.txt (the user's own copy when the
// shared one cannot be written), or retires the file to .bak when the list
// is empty. A file that could not be read, or only in part, is left alone.
void SaveKeptCookies();
// Rebuilds the delete list from the cookie folder, leaving out kept cookies.
void ScanCookieFolder();
// 1 when a kept entry has exactly this name (case counts), else 0.
int IsKeptCookie(const char* name);
// Moves the entries behind `rows` of the view showing `source` to the end
// of `target`. A view that no longer matches its list (the cleaning
// consumed it since the view was filled) moves nothing.
void MoveCookieRows(CookieList source, CookieList target, const std::vector<int>& rows);
// Removes every entry whose `marked` is 1, keeping the order of the others.
void RemoveMarkedEntries(std::vector<CookieEntry>& entries);
// A copy of one list for a view about to show it, row per entry in list
// order; the rows of later moves refer to this copy.
std::vector<CookieEntry> CookieListForView(CookieList list);
// Cleaning step 2: deletes the cookies of the delete list and empties it.
// When the cookie folder is refused (a link, protected, not found) nothing
// is deleted, the list stays and each cookie on it is reported left, with
// the reason.
void DeleteListedCookies(TreeVisitor* report = nullptr);
// The files DeleteListedCookies would delete now, and their folder; false
// when the folder cannot be found or is refused.
bool ListedCookieFiles(std::wstring& folder, std::vector<std::wstring>& names);

// Copies of a list, for checks and tests.
std::vector<CookieEntry> CopyCookieList(CookieList list);
std::vector<std::string> CookieNames(CookieList list);
// Empties both lists (tests start from the program's start-up state).
void ClearCookieLists();
// Replaces a list (tests).
void SetCookieNames(CookieList list, const std::vector<std::string>& names);
