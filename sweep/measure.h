// The measuring walks: folder trees, the WinInet URL cache and the
// Recycle Bins. Every run counts into counters of its own, so runs on
// different threads never disturb each other.
#pragma once

#include <windows.h>

struct ScanCounters {
    unsigned long long files = 0;
    unsigned long long folders = 0;
    unsigned long long bytes = 0;
};

// True when `folder` may be walked: non-empty, absolute ("X:\..." or a UNC
// path), short enough for a path buffer, and an existing directory that is
// not a junction or symbolic link.
bool IsWalkableFolder(const char* folder);

// Adds the tree below `folder` to `counters`: its files and sub-folders,
// except folders whose name holds "History.IE" or "Content.IE" and files
// whose name holds ".dat" (both case-sensitive). Links to folders are
// neither counted nor entered; entries whose path would not fit a path
// buffer are skipped. Does nothing unless IsWalkableFolder(folder).
// Large trees are listed by several threads; the figures are the same as
// those of a plain recursive walk.
void MeasureFolder(const char* folder, ScanCounters& counters);

// The same walk on the calling thread only (the reference for the
// parallel walk, and the benchmark's baseline).
void MeasureFolderSequential(const char* folder, ScanCounters& counters);

// Adds the URL cache entries that are not cookies and have a size to
// `counters` (files and bytes) and shows "Checking file:<url>" in control
// 1016 of the system-information dialog for each. Returns 1 when the
// enumeration ran to its end, 0 when it stopped on another error.
int MeasureUrlCache(ScanCounters& counters);

// Adds the items and bytes of the Recycle Bins of the fixed drives.
void MeasureRecycleBin(ScanCounters& counters);

// The fixed drives' Recycle Bin query paths, at most 16 (first 16 drives).
int FixedDriveBinPaths(char (&paths)[16][8]);

// Threads that list folders in MeasureFolder (the benchmark tries several).
void SetWalkThreads(int threads);
int WalkThreads();
