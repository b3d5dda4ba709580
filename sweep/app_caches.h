// The junk that today's programs leave in the local application-data
// folder: browser disk caches, Explorer's thumbnail cache, crash dumps and
// error reports. Measured and cleaned through the file layer.
#pragma once

#include <string>
#include <vector>

#include "fs/tree.h"

struct CleanContext;
struct ScanCounters;

// The local application-data folder, "" when unknown.
std::wstring LocalAppDataPath();

// The Cache, Code Cache, GPUCache and Service Worker\CacheStorage folders
// of every Chromium-family profile and the cache2 folder of every Firefox
// profile. A browser whose profile lock is held runs: it is skipped, and
// the note names it.
bool BrowserCachesSubject(char (&subject)[256]);
void MeasureBrowserCaches(ScanCounters& counters);
void CleanBrowserCaches(CleanContext& context);

// thumbcache_*.db and iconcache_*.db of Explorer's folder; a file in use
// is counted, named in the note, and left by the clean.
bool ThumbnailCacheSubject(char (&subject)[256]);
void MeasureThumbnailCache(ScanCounters& counters);
void CleanThumbnailCache(CleanContext& context);

// The contents of CrashDumps and of WER's ReportArchive and ReportQueue.
bool CrashDumpsSubject(char (&subject)[256]);
void MeasureCrashDumps(ScanCounters& counters);
void CleanCrashDumps(CleanContext& context);

// The folders and rules the clean of row SWEEP_BROWSER_CACHES,
// SWEEP_THUMBNAILS or SWEEP_CRASH_DUMPS walks; false for any other row or
// when the local application-data folder is unknown.
bool AppCacheRoots(int row, std::vector<std::wstring>& roots, TreeRules& rules);
