// The four browser-privacy stores of every closed profile: cookies (less
// the kept sites), history, saved sessions and typed form values. Measured
// and listed read-only; cleaned row by row inside one transaction per
// database, session files through the file layer.
#pragma once

#include <string>

#include "browsers/site_list.h"
#include "browsers/sqlite_db.h"
#include "fs/tree.h"

enum class BrowserRow { Cookies, History, Sessions, Forms };

struct StoreFigures {
    unsigned long long entries = 0;  // cookies, pages, session files, form values
    unsigned long long bytes = 0;
    std::string note;  // running browsers, an unreadable keep list, stores left
};

// What the stores report as they go; session and whole files arrive
// through the TreeVisitor calls of the walks that delete or list them.
class StoreVisitor : public TreeVisitor {
public:
    // The preview: one thing a clean would remove, in a database `store`.
    virtual void OnItem(const std::wstring& store, const std::wstring& text, unsigned long long bytes) {
        (void)store, (void)text, (void)bytes;
    }
    // The clean: `count` entries went from `store` ("12 cookies").
    virtual void OnRowsDeleted(const std::wstring& store, const std::string& what, unsigned long long count,
                               unsigned long long bytes) {
        (void)store, (void)what, (void)count, (void)bytes;
    }
    // The clean: `store` (a database, a profile) was left as it was.
    virtual void OnStoreLeft(const std::wstring& store, const std::string& why) { (void)store, (void)why; }
};

// The figures a clean of `row` would remove now. `keep` matters only to
// the cookies; when it is not readable no cookie counts.
StoreFigures MeasureBrowserRow(BrowserRow row, const KeepSites& keep);
// Lists it: cookies by site, pages by URL with their last visit, session
// files, form fields. Returns the same figures.
StoreFigures PreviewBrowserRow(BrowserRow row, const KeepSites& keep, StoreVisitor& visitor);
// Cleans it. An unreadable keep list deletes no cookie at all.
StoreFigures CleanBrowserRow(BrowserRow row, const KeepSites& keep, StoreVisitor& visitor);

// How measure and preview open a database: read-only, and as the file
// stands when it is in WAL mode without a log (no file appears beside it).
DbOpen ReadOnlyWay(const std::wstring& path);

// Caps SQLite's memory for the whole process (called once, any thread).
void LimitSqliteMemory();
