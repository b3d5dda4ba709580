// The junk that today's programs leave in the local application-data
// folder: browser disk caches, Explorer's thumbnail cache, crash dumps and
// error reports. Measured and cleaned through the file layer.
#pragma once

#include <string>
#include <vector>

struct ScanCounters;

// The local application-data folder, "" when unknown.
std::wstring LocalAppDataPath();

// The cache folders of every Chromium-family and Firefox profile whose
// browser is not running, and the browsers skipped because they run.
struct BrowserCacheFolders {
    std::vector<std::wstring> folders;
    std::vector<std::string> running;
};
BrowserCacheFolders FindBrowserCacheFolders();

bool BrowserCachesSubject(char (&subject)[256]);
void MeasureBrowserCaches(ScanCounters& counters);
void CleanBrowserCaches();

// thumbcache_*.db and iconcache_*.db of Explorer's folder; a file in use
// is counted, named in the note, and left by the clean.
bool ThumbnailCacheSubject(char (&subject)[256]);
void MeasureThumbnailCache(ScanCounters& counters);
void CleanThumbnailCache();

// The contents of CrashDumps and of WER's ReportArchive and ReportQueue.
bool CrashDumpsSubject(char (&subject)[256]);
void MeasureCrashDumps(ScanCounters& counters);
void CleanCrashDumps();
