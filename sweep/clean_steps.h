// The routines that delete the original categories' junk, each into the
// record of the clean it is handed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fs/tree.h"

struct CleanContext;

// Deletes what the category walk counts inside `folder`, the folder itself
// kept: the same walk and rules as MeasureFolder. Links are never followed
// or removed; what stays is reported to the visitor with its reason.
TreeResult DeleteFolderContents(const std::wstring& folder, TreeVisitor& visitor);
// The same into `record`, or recording nothing (tests, benchmarks).
void DeleteFolderContents(const char* folder, TreeVisitor* record = nullptr);
// Empties a category's folder into the clean's record; the file layer
// refuses a folder that is a link, is protected or holds a protected
// folder. Stops on the clean's abort.
void EmptyCategoryFolder(const std::wstring& folder, CleanContext& context);
struct UrlCacheItem {
    std::string url;
    unsigned long long size;
};
// Every URL cache entry but the cookie entries, as the clean deletes them.
// True when the walk ended normally, false on any other error.
bool ListUrlCacheEntries(std::vector<UrlCacheItem>& out);
// Deletes every URL cache entry except cookie entries. True when the walk
// ended normally, false on any other error.
bool DeleteUrlCacheEntries(CleanContext& context);
// Deletes the first item of the shell's History folder through its
// "delete" verb.
void ShellDeleteHistoryItem();
