// The cleaning engine: the seven cleaning steps, the routines that delete
// each category's junk, and the confirmation dialog (149).
#pragma once

#include <windows.h>

// Runs the seven steps with the ticks of the sweep table as they are now
// (a snapshot: later changes to the table do not reach a running clean).
void CleanCategories();
// The same with the given ticks, indexes 0 to 6 in sweep-table order; a
// category is cleaned only when its tick is exactly 1.
void CleanCategoriesWithTicks(const BYTE (&ticked)[7]);

// Deletes everything inside `folder`, recursively, the folder itself kept.
// Links (junctions, directory and file symlinks) are never followed, and an
// entry whose path does not fit is skipped.
void DeleteFolderContents(const char* folder);
// Deletes every URL cache entry except cookie entries. 1 when the walk
// ended normally, 0 on any other error.
int DeleteUrlCacheEntries();
// Deletes the first item of the shell's History folder through its
// "delete" verb.
void ShellDeleteHistoryItem();

// True for a folder that must never be emptied as a category: a drive root,
// the Windows or system directory, the Program Files folder, the user's
// profile folder, or a folder that holds one of those.
bool IsProtectedFolder(const char* folder);

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks a running clean to end soon: the remaining steps do no work, a
// folder walk stops at its next entry and an open confirmation closes.
// Used when the main window goes away during a job.
void AbortCleaning();
// Lets the next clean run normally again.
void ResetCleaningAbort();
bool CleaningAborted();
