// The cookie catalogue: the delete list, the keep list and datacookies.txt.
// The Cookies Manager's two lists only show them.
#include "cookies/cookies.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <utility>

#include "fs/data_lines.h"
#include "fs/shell_folders.h"
#include "resource.h"
#include "fs/text.h"
#include "fs/tree.h"

namespace {

const int kCsidlCookies = 0x21;
const char kKeptFileName[] = "datacookies.txt";
// More kept names than anyone keeps by hand; a file with more is loaded in
// part and then left alone.
const size_t kMaxKeptNames = 100000;

// The cookie catalogue's process-wide state. The lists are shared between
// the main thread and the cleaning thread: every access holds `lock`,
// briefly; nothing here is touched while a window message is sent.
struct CookieState {
    std::mutex lock;
    std::vector<CookieEntry> lists[2];
    // Bumped on every change of a list; a list view remembers the value it
    // showed, so a move never picks rows from a list that changed under it.
    unsigned long generation[2] = {};
    unsigned long shownGeneration[2] = {};
    // datacookies.txt as it was read; main thread only, outside `lock`.
    DataFile keptFile;
};

CookieState g_cookies;

// An entry with every byte cleared, then the name set. False when the name
// does not fit the field.
bool MakeEntry(const char* name, bool withLocation, CookieEntry& entry) {
    memset(&entry, 0, sizeof entry);
    size_t length = strnlen(name, sizeof entry.name);
    if (length == 0 || length >= sizeof entry.name) return false;
    memcpy(entry.name, name, length + 1);
    if (withLocation) memcpy(entry.location, name, length + 1);
    return true;
}

// The cookie folder, asked for anew each time; the file layer refuses it
// when it is a link or a protected folder.
bool GetCookieFolder(char (&folder)[256]) { return GetSpecialFolder(kCsidlCookies, folder); }

// Cookies are files directly in that folder; ".dat" names are its index.
TreeRules CookieFolderRules() {
    TreeRules rules;
    rules.countIndexNames = true;  // IsCookieFolderIndex decides, by the same test
    return rules;
}

// The folder scan leaves out the container's index and its kin.
bool IsCookieFolderIndex(const char* name) { return strstr(name, ".dat") != nullptr; }

// A name that can only mean a file directly inside the cookie folder. Kept
// names come from a hand-editable file and can be moved to the delete side,
// so a name with a path in it must never reach a delete.
bool IsPlainFileName(const char* name) {
    if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
    for (const char* c = name; *c; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || strchr("\\/:*?\"<>|", *c)) return false;
    }
    return true;
}

bool IsKeptLocked(const char* name) {
    for (const CookieEntry& entry : g_cookies.lists[KEPT_COOKIES]) {
        if (strcmp(entry.name, name) == 0) return true;
    }
    return false;
}

void Changed(CookieList list) { ++g_cookies.generation[list]; }

// Puts the entries of a cleaning that could not delete them back in front
// of the delete list, which the manager may have refilled meanwhile; a
// name kept since, or listed twice, is left out.
void RestoreDeleteList(const std::vector<CookieEntry>& listed) {
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    std::unordered_set<std::string> skip;
    for (const CookieEntry& entry : g_cookies.lists[KEPT_COOKIES]) skip.insert(entry.name);
    const std::vector<CookieEntry>& now = g_cookies.lists[COOKIES_TO_DELETE];
    std::vector<CookieEntry> merged;
    merged.reserve(listed.size() + now.size());
    for (const std::vector<CookieEntry>* part : {&listed, &now})
        for (const CookieEntry& entry : *part)
            if (skip.insert(entry.name).second) merged.push_back(entry);
    g_cookies.lists[COOKIES_TO_DELETE].swap(merged);
    Changed(COOKIES_TO_DELETE);
}

// One name per line; blanks inside a name belong to it. A line longer
// than a name can hold is dropped whole: no cookie file can have such a
// name, and a cut copy would be a name the user never chose. False when
// the file holds more names than are taken.
bool ReadKeptFile(const std::string& bytes, std::vector<CookieEntry>& entries) {
    DataLines lines(bytes);
    for (std::string_view line; lines.Next(line);) {
        if (line.empty() || line.size() >= sizeof(CookieEntry::name)) continue;
        if (entries.size() >= kMaxKeptNames) return false;
        CookieEntry entry;
        if (MakeEntry(std::string(line).c_str(), false, entry)) entries.push_back(entry);
    }
    return true;
}

}  // namespace

void LoadKeptCookies() {
    std::string bytes;
    if (!g_cookies.keptFile.Load(ProgramDataFile(kKeptFileName), bytes)) return;
    std::vector<CookieEntry> entries;
    if (!ReadKeptFile(bytes, entries)) g_cookies.keptFile.MarkIncomplete();
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    std::vector<CookieEntry>& kept = g_cookies.lists[KEPT_COOKIES];
    kept.insert(kept.end(), entries.begin(), entries.end());
    Changed(KEPT_COOKIES);
}

void SaveKeptCookies() {
    std::vector<CookieEntry> kept = CopyCookieList(KEPT_COOKIES);
    DataFilePaths paths = ProgramDataFile(kKeptFileName);
    if (kept.empty()) {
        g_cookies.keptFile.Remove(paths);
        return;
    }
    std::string bytes;
    for (const CookieEntry& entry : kept) {
        bytes += entry.name;
        bytes += "\r\n";
    }
    g_cookies.keptFile.Save(paths, bytes);
}

void ScanCookieFolder() {
    std::vector<CookieEntry> found;
    char folder[256];
    std::vector<std::wstring> names;
    if (GetCookieFolder(folder)) ListFolderFiles(WideFromAnsi(folder), CookieFolderRules(), names);
    for (const std::wstring& wide : names) {
        // The list and datacookies.txt speak the code page; a name it
        // cannot spell could not be kept, so it is not offered.
        if (!FitsAnsi(wide)) continue;
        std::string name = AnsiFromWide(wide);
        if (IsCookieFolderIndex(name.c_str())) continue;
        CookieEntry entry;
        if (MakeEntry(name.c_str(), true, entry)) found.push_back(entry);
    }
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    std::vector<CookieEntry>& toDelete = g_cookies.lists[COOKIES_TO_DELETE];
    toDelete.clear();
    for (const CookieEntry& entry : found) {
        if (!IsKeptLocked(entry.name)) toDelete.push_back(entry);
    }
    Changed(COOKIES_TO_DELETE);
}

int IsKeptCookie(const char* name) {
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    return IsKeptLocked(name) ? 1 : 0;
}

void MoveCookieRows(CookieList source, CookieList target, const std::vector<int>& rows) {
    if (source == target) return;
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    std::vector<CookieEntry>& from = g_cookies.lists[source];
    std::vector<CookieEntry>& to = g_cookies.lists[target];
    if (from.empty()) return;
    // Row number equals list index only while the view shows this very list.
    if (g_cookies.generation[source] == g_cookies.shownGeneration[source]) {
        for (int row : rows) {
            if (row < 0 || static_cast<size_t>(row) >= from.size() || from[row].marked == 1) continue;
            to.push_back(from[row]);
            from[row].marked = 1;
        }
    }
    RemoveMarkedEntries(from);
    Changed(source);
    Changed(target);
}

void RemoveMarkedEntries(std::vector<CookieEntry>& entries) {
    std::vector<CookieEntry> rest;
    rest.reserve(entries.size());
    for (const CookieEntry& entry : entries) {
        if (entry.marked != 1) rest.push_back(entry);
    }
    entries.swap(rest);
}

std::vector<CookieEntry> CookieListForView(CookieList list) {
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    g_cookies.shownGeneration[list] = g_cookies.generation[list];
    return g_cookies.lists[list];
}

void DeleteListedCookies(TreeVisitor* report) {
    char ansi[256];
    std::wstring folder;
    RootRefusal refusal = RootRefusal::Missing;
    if (GetCookieFolder(ansi)) {
        folder = WideFromAnsi(ansi);
        refusal = CheckRoot(folder, CookieFolderRules());
    }
    // The list is used up only by a cleaning that got into the folder.
    std::vector<CookieEntry> listed;
    {
        std::lock_guard<std::mutex> guard(g_cookies.lock);
        std::vector<CookieEntry>& toDelete = g_cookies.lists[COOKIES_TO_DELETE];
        if (refusal != RootRefusal::None) {
            listed = toDelete;
        } else {
            listed.swap(toDelete);
            Changed(COOKIES_TO_DELETE);
        }
    }
    std::vector<NamedFile> files;
    for (const CookieEntry& entry : listed) {
        // The folder index is never a cookie, even when moved over by hand.
        if (!IsPlainFileName(entry.name) || IsCookieFolderIndex(entry.name)) continue;
        NamedFile file;
        file.name = WideFromAnsi(entry.name);
        files.push_back(std::move(file));
    }
    if (refusal == RootRefusal::None && !files.empty()) {
        refusal = DeleteNamedFiles(folder, false, CookieFolderRules(), files);
        // Refused after all (the folder changed since the check): it is put back.
        if (refusal != RootRefusal::None) RestoreDeleteList(listed);
    }
    // Nothing went from a refused folder; the report says why for each
    // cookie on the list.
    if (refusal != RootRefusal::None) MarkRefused(files, refusal);
    if (report) ReportNamedFiles(folder, files, *report);
}

bool ListedCookieFiles(std::wstring& folder, std::vector<std::wstring>& names) {
    char ansi[256];
    if (!GetCookieFolder(ansi)) return false;
    folder = WideFromAnsi(ansi);
    if (CheckRoot(folder, CookieFolderRules()) != RootRefusal::None) return false;
    for (const CookieEntry& entry : CopyCookieList(COOKIES_TO_DELETE))
        if (IsPlainFileName(entry.name) && !IsCookieFolderIndex(entry.name)) names.push_back(WideFromAnsi(entry.name));
    return true;
}

std::vector<CookieEntry> CopyCookieList(CookieList list) {
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    return g_cookies.lists[list];
}

std::vector<std::string> CookieNames(CookieList list) {
    std::vector<std::string> names;
    for (const CookieEntry& entry : CopyCookieList(list)) names.push_back(entry.name);
    return names;
}

void ClearCookieLists() {
    g_cookies.keptFile.Forget();
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    for (int list = 0; list < 2; ++list) {
        g_cookies.lists[list].clear();
        Changed(static_cast<CookieList>(list));
    }
}

void SetCookieNames(CookieList list, const std::vector<std::string>& names) {
    std::vector<CookieEntry> entries;
    for (const std::string& name : names) {
        CookieEntry entry;
        if (MakeEntry(name.c_str(), list == COOKIES_TO_DELETE, entry)) entries.push_back(entry);
    }
    std::lock_guard<std::mutex> guard(g_cookies.lock);
    g_cookies.lists[list].swap(entries);
    Changed(list);
}
