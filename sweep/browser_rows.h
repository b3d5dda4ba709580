// The four browser-privacy rows of the category table: cookies (less the
// kept sites), history, saved sessions and typed form values of every
// closed browser profile (browsers/stores.h does the work).
#pragma once

struct CleanContext;
struct ScanCounters;
struct PreviewList;

// True for the four rows.
bool IsBrowserStoreRow(int row);
// "Browser cookies" and the like; false when the application-data folders
// are unknown.
bool BrowserStoreSubject(int row, char (&subject)[256]);
// Entries (cookies, pages, session files, form values) and their bytes; the
// note names running browsers, an unreadable keep list and stores left.
void MeasureBrowserStoreRow(int row, ScanCounters& counters);
// Lists what a clean of the row would remove now.
bool PreviewBrowserStoreRow(int row, PreviewList& out);
// Cleans the row into the clean's record; stops on its abort.
void CleanBrowserStoreRow(int row, CleanContext& context);
