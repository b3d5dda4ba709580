// The category table and the small operations of each original category.
#include "sweep/categories.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fs/shell_folders.h"
#include "cookies/cookies.h"
#include "drives/found_files.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/app_caches.h"
#include "sweep/browser_rows.h"
#include "sweep/clean_context.h"
#include "sweep/clean_steps.h"
#include "sweep/measure.h"
#include "sweep/preview.h"

namespace {

const char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

bool FixedSubject(const char* text, char (&out)[256]) {
    snprintf(out, sizeof out, "%s", text);
    return true;
}

// The temporary folder as the confirmation names it, with its trailing
// backslash; false, with `out` empty, when unknown or too long to show.
bool TempSubject(char (&out)[256]) {
    std::string folder = AnsiFromWide(TempFolderPath());
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    out[0] = '\0';
    if (folder.empty() || folder.size() >= sizeof out) return false;
    memcpy(out, folder.c_str(), folder.size() + 1);
    return true;
}

// A failed lookup leaves the folder empty, and an empty folder is never
// walked: "\*.*" would list the root of the current drive.
void MeasureSpecialFolder(int csidl, ScanCounters& counters) {
    char folder[256];
    if (GetSpecialFolder(csidl, folder)) MeasureFolder(folder, counters);
}

void CleanHistory(CleanContext& context, const char* path, bool confirmed) {
    // The shell step only after the user said yes to this very folder.
    if (confirmed) ShellDeleteHistoryItem();
    EmptyCategoryFolder(WideFromAnsi(path), context);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTypedUrlsKey);
}

// The shell empties the bin as a whole: what it held before is what went,
// unless an item is still listed after.
void CleanRecycleBin(CleanRecorder& recorder) {
    PreviewList before;
    ListRecycleBin(before);
    SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    PreviewList after;
    ListRecycleBin(after);
    std::vector<std::wstring> still;
    for (size_t i = 0; i < after.size(); ++i) still.push_back(after.PathOf(i));
    for (size_t i = 0; i < before.size(); ++i) {
        std::wstring path = before.PathOf(i);
        bool left = std::find(still.begin(), still.end(), path) != still.end();
        if (left)
            recorder.Left(path, LeftReason::Other);
        else
            recorder.Deleted(path, before.IsFolder(i), before.items[i].size);
    }
}

// constexpr: filled before any start-up code reads it.
constexpr CategoryRecord kTable[SWEEP_COUNT] = {
    {"Sweep Temporary Internet Files", "cache", 1, "Checking Temporary Internet Files...",
     [](char (&s)[256]) { return GetSpecialFolder(CSIDL_INTERNET_CACHE, s); },
     [](ScanCounters& c) { MeasureUrlCache(c); },
     // The URL cache is emptied, not the folder shown.
     [](CleanContext& c, const char*, bool) { DeleteUrlCacheEntries(c); }},
    {"Sweep Internet cookies", "cookies", 1, "Checking Internet Cookies...",
     [](char (&s)[256]) { return GetSpecialFolder(CSIDL_COOKIES, s); },
     [](ScanCounters& c) { MeasureSpecialFolder(CSIDL_COOKIES, c); },
     // Only what the Cookies Manager listed for deletion.
     [](CleanContext& c, const char*, bool) { DeleteListedCookies(&c.recorder); }},
    {"Sweep Start menu Documents", "recent", 1, "Checking Start Menu Documents...",
     [](char (&s)[256]) { return GetSpecialFolder(CSIDL_RECENT, s); },
     [](ScanCounters& c) { MeasureSpecialFolder(CSIDL_RECENT, c); },
     [](CleanContext& c, const char* path, bool) { EmptyCategoryFolder(WideFromAnsi(path), c); }},
    {"Sweep Temporary Windows file", "temp", 1, "Checking Temporary Windows Files...", TempSubject,
     [](ScanCounters& c) { MeasureFolder(TempFolderPath(), c); },
     [](CleanContext& c, const char*, bool) { EmptyCategoryFolder(TempFolderPath(), c); }},
    {"Sweep Internet History", "history", 1, "Checking Internet History...",
     [](char (&s)[256]) { return GetSpecialFolder(CSIDL_HISTORY, s); },
     [](ScanCounters& c) { MeasureSpecialFolder(CSIDL_HISTORY, c); }, CleanHistory},
    // Measured only by the disk scan of the drive cleaner.
    {"Sweep Other temporary files", "other", 0, nullptr, [](char (&s)[256]) { return FixedSubject("Temporary Files", s); },
     nullptr, [](CleanContext& c, const char*, bool) { DeleteCheckedFoundFiles(&c.recorder); }},
    {"Sweep Recycle Bin", "recycle", 1, "Checking Recycle Bin...", [](char (&s)[256]) { return FixedSubject("Recycle Bin", s); },
     MeasureRecycleBin,
     [](CleanContext& c, const char*, bool) { CleanRecycleBin(c.recorder); }},
    {"Sweep Browser caches", "browsers", 1, "Checking Browser Caches...", BrowserCachesSubject, MeasureBrowserCaches,
     [](CleanContext& c, const char*, bool) { CleanBrowserCaches(c); }},
    {"Sweep Thumbnail cache", "thumbnails", 1, "Checking Thumbnail Cache...", ThumbnailCacheSubject, MeasureThumbnailCache,
     [](CleanContext& c, const char*, bool) { CleanThumbnailCache(c); }},
    {"Sweep Crash dumps and error reports", "dumps", 1, "Checking Crash Dumps and Error Reports...", CrashDumpsSubject,
     MeasureCrashDumps, [](CleanContext& c, const char*, bool) { CleanCrashDumps(c); }},
    // The browsers' own stores. Unticked until the user asks: a clean with
    // the first-run ticks never logs anybody out.
    {"Sweep Browser cookies", "browser-cookies", 0, "Checking Browser Cookies...",
     [](char (&s)[256]) { return BrowserStoreSubject(SWEEP_BROWSER_COOKIES, s); },
     [](ScanCounters& c) { MeasureBrowserStoreRow(SWEEP_BROWSER_COOKIES, c); },
     [](CleanContext& c, const char*, bool) { CleanBrowserStoreRow(SWEEP_BROWSER_COOKIES, c); }},
    {"Sweep Browser history", "browser-history", 0, "Checking Browser History...",
     [](char (&s)[256]) { return BrowserStoreSubject(SWEEP_BROWSER_HISTORY, s); },
     [](ScanCounters& c) { MeasureBrowserStoreRow(SWEEP_BROWSER_HISTORY, c); },
     [](CleanContext& c, const char*, bool) { CleanBrowserStoreRow(SWEEP_BROWSER_HISTORY, c); }},
    {"Sweep Browser sessions", "browser-sessions", 0, "Checking Browser Sessions...",
     [](char (&s)[256]) { return BrowserStoreSubject(SWEEP_BROWSER_SESSIONS, s); },
     [](ScanCounters& c) { MeasureBrowserStoreRow(SWEEP_BROWSER_SESSIONS, c); },
     [](CleanContext& c, const char*, bool) { CleanBrowserStoreRow(SWEEP_BROWSER_SESSIONS, c); }},
    {"Sweep Browser form history", "browser-forms", 0, "Checking Browser Form History...",
     [](char (&s)[256]) { return BrowserStoreSubject(SWEEP_BROWSER_FORMS, s); },
     [](ScanCounters& c) { MeasureBrowserStoreRow(SWEEP_BROWSER_FORMS, c); },
     [](CleanContext& c, const char*, bool) { CleanBrowserStoreRow(SWEEP_BROWSER_FORMS, c); }},
    // The totals: the sums of all the rows above, ticked or not.
    {"OVERALL GAIN", nullptr, 0, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

const CategoryRecord& CategoryAt(int index) {
    if (index < 0 || index >= SWEEP_COUNT) index = SWEEP_TOTALS;
    return kTable[index];
}

const char* CategoryExplanation(int index) {
    switch (index) {
    case SWEEP_BROWSER_COOKIES:
        return "The browsers' cookies of every site not on the keep list (datasites.txt); never kept sites, "
               "passwords or bookmarks, and nothing at all when the keep list cannot be read.";
    case SWEEP_BROWSER_HISTORY:
        return "The browsers' visited pages, typed and searched terms, downloads list and icons of pages that are "
               "not bookmarked; never the bookmarks, their icons or passwords.";
    case SWEEP_BROWSER_SESSIONS:
        return "The files that hold the browsers' open tabs and windows; nothing else in the profile.";
    case SWEEP_BROWSER_FORMS:
        return "The values typed into web forms and search boxes; never addresses, cards, search engines or sign-in.";
    default: return nullptr;
    }
}

int FindCategory(const char* name) {
    if (!name || !*name) return -1;
    char* end = nullptr;
    long number = strtol(name, &end, 10);
    if (*end == '\0') return number >= 1 && number <= SWEEP_CATEGORIES ? static_cast<int>(number) - 1 : -1;
    for (int i = 0; i < SWEEP_CATEGORIES; ++i)
        if (lstrcmpiA(kTable[i].shortName, name) == 0) return i;
    return -1;
}
