// Browser caches, the thumbnail cache and crash dumps.
#include "sweep/app_caches.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/clean_context.h"
#include "sweep/measure.h"
#include "sweep/sweep.h"

namespace {

// The cache folders of the profiles whose browser is not running, and the
// browsers skipped because they run.
struct BrowserCacheFolders {
    std::vector<std::wstring> folders;
    std::vector<std::string> running;
};

struct ChromiumBrowser {
    const char* name;
    const wchar_t* userData;  // under local application data
    const wchar_t* roaming;   // where a browser keeps its lock in the roaming folder too
    bool userDataIsProfile;   // Opera keeps its one profile in the user-data folder itself
};

const ChromiumBrowser kChromium[] = {
    {"Google Chrome", L"Google\\Chrome\\User Data", nullptr, false},
    {"Microsoft Edge", L"Microsoft\\Edge\\User Data", nullptr, false},
    {"Brave", L"BraveSoftware\\Brave-Browser\\User Data", nullptr, false},
    {"Vivaldi", L"Vivaldi\\User Data", nullptr, false},
    {"Opera", L"Opera Software\\Opera Stable", L"Opera Software\\Opera Stable", true},
    {"Chromium", L"Chromium\\User Data", nullptr, false},
};

// The disk caches of a Chromium profile; nothing else in it is touched.
const wchar_t* const kChromiumCaches[] = {L"Cache", L"Code Cache", L"GPUCache", L"Service Worker\\CacheStorage"};

const wchar_t kFirefoxProfiles[] = L"Mozilla\\Firefox\\Profiles";
const wchar_t* const kCrashFolders[] = {L"CrashDumps", L"Microsoft\\Windows\\WER\\ReportArchive",
                                        L"Microsoft\\Windows\\WER\\ReportQueue"};
const wchar_t kExplorerFolder[] = L"Microsoft\\Windows\\Explorer";

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) || !path[0]) return std::wstring();
    return TrimFolderPath(path);
}

bool SameLetters(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "Default" or "Profile <number>".
bool IsChromiumProfile(std::wstring_view name) {
    if (SameLetters(name, L"Default")) return true;
    std::wstring_view prefix = L"Profile ";
    if (name.size() <= prefix.size() || !SameLetters(name.substr(0, prefix.size()), prefix)) return false;
    for (wchar_t c : name.substr(prefix.size()))
        if (c < L'0' || c > L'9') return false;
    return true;
}

TreeRules CacheRules() {
    TreeRules rules;
    rules.countIndexNames = true;  // cache files have names of every kind
    return rules;
}

void AddChromium(const ChromiumBrowser& browser, const std::wstring& local, const std::wstring& roaming,
                 BrowserCacheFolders& out) {
    std::wstring userData = local + L"\\" + browser.userData;
    bool running = FileHeldOpen(userData + L"\\lockfile") ||
                   (browser.roaming && !roaming.empty() && FileHeldOpen(roaming + L"\\" + browser.roaming + L"\\lockfile"));
    std::vector<std::wstring> profiles;
    ListSubfolders(userData, CacheRules(), profiles);
    std::vector<std::wstring> roots;
    if (browser.userDataIsProfile) roots.push_back(userData);
    for (const std::wstring& profile : profiles)
        if (IsChromiumProfile(profile)) roots.push_back(userData + L"\\" + profile);
    if (roots.empty()) return;
    if (running) {
        out.running.push_back(browser.name);
        return;
    }
    for (const std::wstring& root : roots)
        for (const wchar_t* cache : kChromiumCaches) out.folders.push_back(root + L"\\" + cache);
}

void AddFirefox(const std::wstring& local, const std::wstring& roaming, BrowserCacheFolders& out) {
    std::wstring profilesFolder = local + L"\\" + kFirefoxProfiles;
    std::vector<std::wstring> profiles;
    ListSubfolders(profilesFolder, CacheRules(), profiles);
    bool skipped = false;
    for (const std::wstring& profile : profiles) {
        // The lock lives in the roaming profile of the same name.
        bool running = FileHeldOpen(profilesFolder + L"\\" + profile + L"\\parent.lock") ||
                       (!roaming.empty() &&
                        FileHeldOpen(roaming + L"\\" + kFirefoxProfiles + L"\\" + profile + L"\\parent.lock"));
        if (running) skipped = true;
        else out.folders.push_back(profilesFolder + L"\\" + profile + L"\\cache2");
    }
    if (skipped) out.running.push_back("Firefox");
}

void MeasureRoot(const std::wstring& root, const TreeRules& rules, TreeVisitor& visitor, ScanCounters& counters) {
    TreeResult result = WalkTree(root, TreeAction::Measure, rules, visitor);
    counters.files += result.counted.files;
    counters.folders += result.counted.folders;
    counters.bytes += result.counted.bytes;
}

void CleanRoots(const std::vector<std::wstring>& roots, const TreeRules& rules, CleanContext& context) {
    for (const std::wstring& root : roots) {
        if (context.Aborted()) return;
        WalkTree(root, TreeAction::Clean, rules, context.recorder);
    }
}

bool EndsWith(std::wstring_view name, std::wstring_view end) {
    return name.size() >= end.size() && SameLetters(name.substr(name.size() - end.size()), end);
}

bool IsThumbnailCacheName(std::wstring_view name) {
    bool prefix = (name.size() > 11 && SameLetters(name.substr(0, 11), L"thumbcache_")) ||
                  (name.size() > 10 && SameLetters(name.substr(0, 10), L"iconcache_"));
    return prefix && EndsWith(name, L".db");
}

TreeRules ThumbnailRules() {
    TreeRules rules = CacheRules();
    rules.fileFilter = IsThumbnailCacheName;
    rules.descend = false;
    return rules;
}

std::wstring ThumbnailFolder() {
    std::wstring local = LocalAppDataPath();
    return local.empty() ? local : local + L"\\" + kExplorerFolder;
}

std::vector<std::wstring> CrashFolders() {
    std::vector<std::wstring> folders;
    std::wstring local = LocalAppDataPath();
    if (!local.empty())
        for (const wchar_t* folder : kCrashFolders) folders.push_back(local + L"\\" + folder);
    return folders;
}

// Counts the files that someone holds open while they are measured.
class InUseCounter : public TreeVisitor {
public:
    void OnFile(const TreeEntry& entry) override {
        if (FileHeldOpen(entry.folder + L"\\" + std::wstring(entry.name))) ++inUse;
    }
    unsigned inUse = 0;
};

bool CopySubject(const std::wstring& text, char (&out)[256]) {
    std::string ansi = AnsiFromWide(text);
    if (text.empty() || ansi.size() >= sizeof out) {
        out[0] = '\0';
        return false;
    }
    snprintf(out, sizeof out, "%s", ansi.c_str());
    return true;
}

BrowserCacheFolders FindBrowserCacheFolders() {
    BrowserCacheFolders out;
    std::wstring local = LocalAppDataPath();
    if (local.empty()) return out;
    std::wstring roaming = ShellFolder(CSIDL_APPDATA);
    for (const ChromiumBrowser& browser : kChromium) AddChromium(browser, local, roaming, out);
    AddFirefox(local, roaming, out);
    return out;
}

}  // namespace

std::wstring LocalAppDataPath() { return ShellFolder(CSIDL_LOCAL_APPDATA); }

bool BrowserCachesSubject(char (&subject)[256]) {
    // Many folders: the subject names the category instead.
    return CopySubject(LocalAppDataPath().empty() ? std::wstring() : L"Browser caches", subject);
}

void MeasureBrowserCaches(ScanCounters& counters) {
    BrowserCacheFolders found = FindBrowserCacheFolders();
    TreeVisitor visitor;
    for (const std::wstring& folder : found.folders) MeasureRoot(folder, CacheRules(), visitor, counters);
    if (found.running.empty()) return;
    std::string names;
    for (const std::string& name : found.running) names += (names.empty() ? "" : ", ") + name;
    counters.note = names + " running, skipped";
}

void CleanBrowserCaches(CleanContext& context) { CleanRoots(FindBrowserCacheFolders().folders, CacheRules(), context); }

bool ThumbnailCacheSubject(char (&subject)[256]) { return CopySubject(ThumbnailFolder(), subject); }

void MeasureThumbnailCache(ScanCounters& counters) {
    std::wstring folder = ThumbnailFolder();
    if (folder.empty()) return;
    InUseCounter visitor;
    MeasureRoot(folder, ThumbnailRules(), visitor, counters);
    if (visitor.inUse == 0) return;
    char note[64];
    snprintf(note, sizeof note, "%u %s in use", visitor.inUse, visitor.inUse == 1 ? "file" : "files");
    counters.note = note;
}

void CleanThumbnailCache(CleanContext& context) {
    std::wstring folder = ThumbnailFolder();
    if (!folder.empty()) CleanRoots({folder}, ThumbnailRules(), context);
}

bool CrashDumpsSubject(char (&subject)[256]) {
    return CopySubject(LocalAppDataPath().empty() ? std::wstring() : L"Crash dumps and error reports", subject);
}

void MeasureCrashDumps(ScanCounters& counters) {
    TreeVisitor visitor;
    for (const std::wstring& folder : CrashFolders()) MeasureRoot(folder, CacheRules(), visitor, counters);
}

void CleanCrashDumps(CleanContext& context) { CleanRoots(CrashFolders(), CacheRules(), context); }

bool AppCacheRoots(int row, std::vector<std::wstring>& roots, TreeRules& rules) {
    rules = CacheRules();
    if (row == SWEEP_BROWSER_CACHES) {
        roots = FindBrowserCacheFolders().folders;
    } else if (row == SWEEP_THUMBNAILS) {
        std::wstring folder = ThumbnailFolder();
        if (!folder.empty()) roots = {folder};
        rules = ThumbnailRules();
    } else if (row == SWEEP_CRASH_DUMPS) {
        roots = CrashFolders();
    } else {
        return false;
    }
    return !LocalAppDataPath().empty();
}
