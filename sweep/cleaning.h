// The cleaning engine: one cleaning step per category of the table, the
// routines that delete the original categories' junk. It asks its question
// through the confirmer it is given and never opens a window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fs/tree.h"
#include "sweep/sweep.h"

// Runs the steps with the ticks of the sweep table as they are now
// (a snapshot: later changes to the table do not reach a running clean).
void CleanCategories();
// The same with the given ticks, in table order; a category is cleaned
// only when its tick is exactly 1.
void CleanCategoriesWithTicks(const CategoryTicks& ticked);

// Deletes what the category walk counts inside `folder`, the folder itself
// kept: the same walk and rules as MeasureFolder. Links are never followed
// or removed; what stays is reported to the visitor with its reason.
TreeResult DeleteFolderContents(const std::wstring& folder, TreeVisitor& visitor);
void DeleteFolderContents(const char* folder);
// Empties a category's folder; the file layer refuses a folder that is a
// link, is protected or holds a protected folder. Stops on an abort.
void EmptyCategoryFolder(const std::wstring& folder);
struct UrlCacheItem {
    std::string url;
    unsigned long long size;
};
// Every URL cache entry but the cookie entries, as the clean deletes them.
// 1 when the walk ended normally, 0 on any other error.
int ListUrlCacheEntries(std::vector<UrlCacheItem>& out);
// Deletes every URL cache entry except cookie entries. 1 when the walk
// ended normally, 0 on any other error.
int DeleteUrlCacheEntries();
// Deletes the first item of the shell's History folder through its
// "delete" verb.
void ShellDeleteHistoryItem();

// Answers the question before a category is cleaned (when the settings ask
// for it); true for yes. With none installed nothing asked about is
// cleaned. The closer, if any, ends an open question when a clean is
// aborted; it may be called from any thread.
using CleanConfirmer = bool (*)(const char* subject);
using ConfirmCloser = void (*)();
void SetCleanConfirmer(CleanConfirmer confirmer, ConfirmCloser closer = nullptr);

// Asks a running clean to end soon: the remaining steps do no work, a
// folder walk stops at its next entry and an open confirmation closes.
// Used when the main window goes away during a job.
void AbortCleaning();
// Lets the next clean run normally again.
void ResetCleaningAbort();
bool CleaningAborted();
