// The measuring walks.
#include "sweep/measure.h"

#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fs/text.h"
#include "fs/tree.h"
#include "drives/drive_table.h"

// shellapi.h packs its structures to 1 byte in 32-bit builds, as shell32
// expects; a header without that packing would hand shell32 a 24-byte
// SHQUERYRBINFO whose figures land 4 bytes off.
static_assert(sizeof(SHQUERYRBINFO) == (sizeof(void*) == 4 ? 20 : 24), "SHQUERYRBINFO");
static_assert(offsetof(SHQUERYRBINFO, i64NumItems) == (sizeof(void*) == 4 ? 12 : 16), "SHQUERYRBINFO");

namespace {

std::atomic<UrlCacheWatcher> g_urlCacheWatcher{nullptr};

void ShowCheckedEntry(const char* url) {
    UrlCacheWatcher watcher = g_urlCacheWatcher;
    if (watcher && url) watcher(url);
}

}  // namespace

void SetUrlCacheWatcher(UrlCacheWatcher watcher) { g_urlCacheWatcher = watcher; }

void MeasureFolder(const char* folder, ScanCounters& counters) {
    if (!folder || !*folder) return;
    MeasureFolder(WideFromAnsi(folder), counters);
}

namespace {
class FiguresOnly : public TreeVisitor {
public:
    bool WantsEntries() const override { return false; }
};
}  // namespace

void MeasureFolder(const std::wstring& folder, ScanCounters& counters) {
    FiguresOnly visitor;
    TreeRules rules;
    TreeResult result = WalkTree(folder, TreeAction::Measure, rules, visitor);
    counters.files += result.counted.files;
    counters.folders += result.counted.folders;
    counters.bytes += result.counted.bytes;
}

bool MeasureUrlCache(ScanCounters& counters) {
    const DWORD kMaxEntrySize = 16u << 20;
    std::vector<BYTE> buffer;
    DWORD requested = 4096;
    HANDLE find = nullptr;
    DWORD pending = ERROR_INSUFFICIENT_BUFFER;
    bool result = false;
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
            result = pending == ERROR_NO_MORE_ITEMS;
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
