// The measuring walks.
#include "sweep/measure.h"

#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/folders.h"
#include "drives/drive_table.h"
#include "resource.h"
#include "sweep/sysinfo.h"

namespace {

const size_t kPathSize = 256;
// Wine spends most of a walk opening folders; a second lister overlaps
// those waits. scripts/bench.sh compares other counts.
std::atomic<int> g_walkThreads{2};

// Lists one folder: counts its files and sub-folders into `counters` and
// hands each sub-folder to be entered to `enter`.
template <class Enter>
void ListFolder(const char* folder, ScanCounters& counters, Enter&& enter) {
    char pattern[MAX_PATH];
    int n = snprintf(pattern, sizeof pattern, "%s\\*.*", folder);
    if (n < 0 || n >= static_cast<int>(sizeof pattern)) return;
    WIN32_FIND_DATAA data;
    FindHandle find(StartListing(pattern, data));
    if (!find) return;
    size_t folderLength = strlen(folder);
    do {
        const char* name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!strcmp(name, ".") || !strcmp(name, "..")) continue;
            if (strstr(name, "History.IE") || strstr(name, "Content.IE")) continue;
            // A junction or folder link leads out of the category's folder.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            char child[kPathSize];
            if (!JoinPath(child, folder, name)) continue;  // never walk a cut path
            ++counters.folders;
            enter(child);
        } else {
            if (strstr(name, ".dat")) continue;
            // A file whose path does not fit could never be cleaned either.
            if (folderLength + 1 + strlen(name) >= kPathSize) continue;
            ++counters.files;
            counters.bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileA(find.get(), &data));
}

void WalkRecursively(const char* folder, ScanCounters& counters) {
    ListFolder(folder, counters, [&counters](const char* child) { WalkRecursively(child, counters); });
}

// The folders still to be listed, shared by the listers of one walk.
class FolderQueue {
public:
    explicit FolderQueue(std::vector<std::string> folders) : pending_(std::move(folders)) {}

    // Takes a folder to list; false once every folder has been listed.
    bool Take(std::string& folder) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !pending_.empty() || listing_ == 0; });
        if (pending_.empty()) return false;
        folder = std::move(pending_.back());
        pending_.pop_back();
        ++listing_;
        return true;
    }

    // Hands back the sub-folders found in the folder just listed.
    void Finish(std::vector<std::string>& found) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::string& folder : found) pending_.push_back(std::move(folder));
        --listing_;
        // The finishing lister takes one folder itself; wake others for more.
        if (found.size() > 1 || (listing_ == 0 && pending_.empty())) ready_.notify_all();
        found.clear();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::string> pending_;
    int listing_ = 0;
};

void ListFromQueue(FolderQueue& queue, ScanCounters& counters) {
    std::string folder;
    std::vector<std::string> found;
    while (queue.Take(folder)) {
        ListFolder(folder.c_str(), counters, [&found](const char* child) { found.emplace_back(child); });
        queue.Finish(found);
    }
}

void Add(ScanCounters& to, const ScanCounters& from) {
    to.files += from.files;
    to.folders += from.folders;
    to.bytes += from.bytes;
}

void ShowCheckedEntry(const char* url) {
    HWND dialog = g_app.sysInfoDialog;
    if (!dialog || !url) return;
    char line[512];
    int n = snprintf(line, sizeof line, "Checking file:%s\r\n", url);
    if (n < 0 || n >= static_cast<int>(sizeof line)) return;  // never show a cut address
    HWND control = GetDlgItem(dialog, IDC_SI_LINE);
    if (!control) return;
    SetWindowTextA(control, line);
    RepaintControl(control);
}

}  // namespace

void SetWalkThreads(int threads) { g_walkThreads = std::max(1, std::min(threads, 16)); }

int WalkThreads() { return g_walkThreads; }

bool IsWalkableFolder(const char* folder) {
    if (!folder) return false;
    size_t length = strnlen(folder, kPathSize);
    return length > 0 && length < kPathSize && IsRealFolder(folder);
}

void MeasureFolderSequential(const char* folder, ScanCounters& counters) {
    if (!IsWalkableFolder(folder)) return;
    WalkRecursively(folder, counters);
}

void MeasureFolder(const char* folder, ScanCounters& counters) {
    if (!IsWalkableFolder(folder)) return;
    ScanCounters top;
    std::vector<std::string> subfolders;
    ListFolder(folder, top, [&subfolders](const char* child) { subfolders.emplace_back(child); });
    Add(counters, top);
    if (subfolders.empty()) return;

    int threads = g_walkThreads;
    FolderQueue queue(std::move(subfolders));
    std::vector<ScanCounters> perThread(static_cast<size_t>(threads));
    std::vector<std::thread> listers;
    for (int i = 1; i < threads; ++i) {
        try {
            listers.emplace_back(ListFromQueue, std::ref(queue), std::ref(perThread[static_cast<size_t>(i)]));
        } catch (const std::system_error&) {
            break;  // fewer listers; this thread still lists everything left
        }
    }
    ListFromQueue(queue, perThread[0]);
    for (std::thread& lister : listers) lister.join();
    for (const ScanCounters& part : perThread) Add(counters, part);
}

int MeasureUrlCache(ScanCounters& counters) {
    const DWORD kMaxEntrySize = 16u << 20;
    std::vector<BYTE> buffer;
    DWORD requested = 4096;
    HANDLE find = nullptr;
    DWORD pending = ERROR_INSUFFICIENT_BUFFER;
    int result = 0;
    for (;;) {
        if (pending == ERROR_INSUFFICIENT_BUFFER) {
            // A size that does not grow, or grows without bound, would loop.
            if ((!buffer.empty() && requested <= buffer.size()) || requested > kMaxEntrySize) break;
            buffer.assign(std::max<size_t>(requested, sizeof(INTERNET_CACHE_ENTRY_INFOA)), 0);
            auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
            DWORD size = static_cast<DWORD>(buffer.size());
            entry->dwStructSize = size;
            bool ok;
            if (!find) {
                find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
                ok = find != nullptr;
            } else {
                ok = FindNextUrlCacheEntryA(find, entry, &size) != FALSE;
            }
            pending = ok ? 0 : GetLastError();
            if (!ok) requested = size;
            continue;
        }
        if (pending != 0) {
            result = pending == ERROR_NO_MORE_ITEMS ? 1 : 0;
            break;
        }
        const auto* entry = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        bool cookie = (entry->CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
        if (!cookie && (entry->dwSizeLow != 0 || entry->dwSizeHigh != 0)) {
            ++counters.files;
            counters.bytes += (static_cast<unsigned long long>(entry->dwSizeHigh) << 32) | entry->dwSizeLow;
            ShowCheckedEntry(entry->lpszSourceUrlName);
        }
        DWORD size = static_cast<DWORD>(buffer.size());
        if (FindNextUrlCacheEntryA(find, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()), &size)) {
            pending = 0;
        } else {
            pending = GetLastError();
            requested = size;
        }
    }
    if (find) FindCloseUrlCache(find);
    return result;
}

// "C:\\" for each fixed drive of the drive table: the bin query takes the
// root with two backslashes.
int FixedDriveBinPaths(char (&paths)[16][8]) {
    char roots[16][16];
    int fixed = GetFixedDriveRoots(roots);
    int count = 0;
    for (int i = 0; i < fixed && i < 16; ++i) {
        if (strlen(roots[i]) != 2) continue;
        snprintf(paths[count++], sizeof paths[0], "%s\\\\", roots[i]);
    }
    return count;
}

void MeasureRecycleBin(ScanCounters& counters) {
    char paths[16][8];
    int count = FixedDriveBinPaths(paths);
    for (int i = 0; i < count; ++i) {
        SHQUERYRBINFO info = {};
        info.cbSize = sizeof info;
        if (FAILED(SHQueryRecycleBinA(paths[i], &info))) continue;
        counters.files += static_cast<unsigned long long>(info.i64NumItems);
        counters.bytes += static_cast<unsigned long long>(info.i64Size);
    }
}
