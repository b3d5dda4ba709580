// The measuring walks: folder trees, the WinInet URL cache and the
// Recycle Bins. Every run counts into counters of its own, so runs on
// different threads never disturb each other.
#pragma once

#include <windows.h>

#include <string>

struct ScanCounters {
    unsigned long long files = 0;
    unsigned long long folders = 0;
    unsigned long long bytes = 0;
    std::string note;  // for the category's row: what was skipped or is in use
};

// Adds the tree below `folder` to `counters`: its files and sub-folders,
// except folders whose name holds "History.IE" or "Content.IE" and files
// whose name holds ".dat" (both case-sensitive). Links are neither counted
// nor entered, and a folder that is a link, is protected or holds a
// protected folder measures nothing. The same walk cleans (fs/tree.h).
void MeasureFolder(const char* folder, ScanCounters& counters);
void MeasureFolder(const std::wstring& folder, ScanCounters& counters);

// Adds the URL cache entries that are not cookies and have a size to
// `counters` (files and bytes) and tells the watcher of each. True when
// the enumeration ran to its end, false when it stopped on another error.
bool MeasureUrlCache(ScanCounters& counters);
// Told the address of every entry MeasureUrlCache counts, on the measuring
// thread; none by default.
using UrlCacheWatcher = void (*)(const char* url);
void SetUrlCacheWatcher(UrlCacheWatcher watcher);

// Adds the items and bytes of the Recycle Bins of the fixed drives.
void MeasureRecycleBin(ScanCounters& counters);

// The fixed drives' Recycle Bin query paths, at most 16 (first 16 drives).
int FixedDriveBinPaths(char (&paths)[16][8]);
