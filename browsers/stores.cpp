// The browser stores. Databases are touched only through SQLite: opened
// read-only to measure and list, read-write without create to clean, the
// schema checked first, every change in one transaction.
#include "browsers/stores.h"

#include <windows.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <unordered_set>
#include <vector>

#include "browsers/json_scan.h"
#include "browsers/profiles.h"
#include "browsers/sqlite_db.h"
#include "fs/text.h"
#include "fs/tree.h"

namespace {

enum class Mode { Measure, Preview, Clean };

// A Bookmarks file of many thousand bookmarks stays well below this.
const size_t kBookmarksMax = 64u << 20;

using UrlSet = std::unordered_set<std::string>;

struct Run {
    Mode mode;
    BrowserRow row;
    const KeepSites& keep;
    StoreVisitor& visitor;
    StoreFigures figures;
    SiteMatcher keptSites;
    unsigned storesLeft = 0;
    std::string firstLeft;  // the first reason, for the row's note

    Run(Mode m, BrowserRow r, const KeepSites& k, StoreVisitor& v)
        : mode(m), row(r), keep(k), visitor(v), keptSites(k.sites) {}

    void Left(const std::wstring& store, const std::string& why) {
        ++storesLeft;
        if (firstLeft.empty()) firstLeft = why;
        if (mode == Mode::Clean) visitor.OnStoreLeft(store, why);
    }
};

std::string Number(unsigned long long n) {
    char text[32];
    snprintf(text, sizeof text, "%llu", n);
    return text;
}

std::string Counted(unsigned long long n, const char* one, const char* many) {
    return Number(n) + " " + (n == 1 ? one : many);
}

std::wstring Wide(const std::string& utf8) { return WideFromUtf8(utf8); }

void KeptFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    const auto* sites = static_cast<const SiteMatcher*>(sqlite3_user_data(context));
    const unsigned char* host = count == 1 ? sqlite3_value_text(values[0]) : nullptr;
    int length = count == 1 ? sqlite3_value_bytes(values[0]) : 0;
    bool kept = host && sites->Keeps(std::string_view(reinterpret_cast<const char*>(host), static_cast<size_t>(length)));
    sqlite3_result_int(context, kept ? 1 : 0);
}

// Views of a set's strings, for lookups that make no string.
class ViewSet {
public:
    explicit ViewSet(const UrlSet& strings) {
        views_.reserve(strings.size());
        for (const std::string& s : strings) views_.insert(s);
    }
    bool Has(std::string_view text) const { return views_.count(text) != 0; }

private:
    std::unordered_set<std::string_view> views_;
};

void InViewSetFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    const auto* set = static_cast<const ViewSet*>(sqlite3_user_data(context));
    const unsigned char* text = count == 1 ? sqlite3_value_text(values[0]) : nullptr;
    int length = count == 1 ? sqlite3_value_bytes(values[0]) : 0;
    bool in = text && set->Has(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
    sqlite3_result_int(context, in ? 1 : 0);
}

std::string Text(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

unsigned long long Count(sqlite3_stmt* stmt, int column) {
    sqlite3_int64 n = sqlite3_column_int64(stmt, column);
    return n > 0 ? static_cast<unsigned long long>(n) : 0;
}

bool TableExists(SqliteDb& db, const char* table) {
    SqliteStatement stmt(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    if (!stmt) return false;
    sqlite3_bind_text(stmt.get(), 1, table, -1, SQLITE_STATIC);
    return stmt.Step();
}

// True when `table` exists with every one of `columns`.
bool HasColumns(SqliteDb& db, const char* table, std::initializer_list<const char*> columns) {
    SqliteStatement stmt(db, "SELECT name FROM pragma_table_info(?1)");
    if (!stmt) return false;
    sqlite3_bind_text(stmt.get(), 1, table, -1, SQLITE_STATIC);
    std::vector<std::string> have;
    while (stmt.Step()) have.push_back(Text(stmt.get(), 0));
    if (stmt.Failed() || have.empty()) return false;
    for (const char* column : columns) {
        bool found = false;
        for (const std::string& name : have) found = found || name == column;
        if (!found) return false;
    }
    return true;
}

// Opens a store the way the mode allows; a missing file is no store.
bool OpenStore(Run& run, const std::wstring& path, SqliteDb& db) {
    if (!FileExistsW(path)) return false;
    DbOpen how = run.mode == Mode::Clean ? DbOpen::ReadWrite : ReadOnlyWay(path);
    if (!db.Open(Utf8FromWide(path), how)) {
        run.Left(path, db.Error());
        return false;
    }
    // 16 MB of page cache: enough that a large delete is not held up by
    // re-reading its own pages, and memory stays bounded whatever the
    // database's size.
    db.Exec("PRAGMA cache_size = -16384");
    // Pages read through a mapped view instead of a read call each: under
    // Wine this halves a measurement. The browser is closed (its lock was
    // checked), and the view lives as long as this connection. A clean maps
    // less, since its page cache fills too.
    db.Exec(run.mode == Mode::Clean ? "PRAGMA mmap_size = 8388608" : "PRAGMA mmap_size = 33554432");
    if (run.mode == Mode::Clean) {
        // The write-ahead log stays the browser's: emptied after the clean,
        // never deleted.
        int persist = 1;
        sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    }
    // A file that is not a database says so on its first read.
    if (!db.Exec("SELECT count(*) FROM sqlite_master")) {
        run.Left(path, db.Error());
        return false;
    }
    return true;
}

bool SchemaKnown(Run& run, const std::wstring& path, bool known) {
    if (!known) run.Left(path, "unknown database layout, left alone");
    return known;
}

// Runs `body` inside BEGIN IMMEDIATE ... COMMIT, then compacts the file so
// that nothing deleted stays readable in it. On any error the transaction
// is rolled back and the store reported as left, with the error.
bool Transaction(Run& run, const std::wstring& path, SqliteDb& db, const std::function<bool()>& body) {
    if (!db.Exec("BEGIN IMMEDIATE")) {
        run.Left(path, db.Error());
        return false;
    }
    if (!body() || !db.Exec("COMMIT")) {
        std::string error = db.Error().empty() ? "could not be changed" : db.Error();
        db.Exec("ROLLBACK");
        run.Left(path, error);
        return false;
    }
    db.Exec("VACUUM");
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return true;
}

bool ExecIf(SqliteDb& db, const char* table, const char* sql) { return !TableExists(db, table) || db.Exec(sql); }

bool FillTempUrls(SqliteDb& db, const UrlSet& urls) {
    if (!db.Exec("CREATE TEMP TABLE IF NOT EXISTS brisola_keep(url TEXT PRIMARY KEY)") ||
        !db.Exec("DELETE FROM temp.brisola_keep"))
        return false;
    SqliteStatement insert(db, "INSERT OR IGNORE INTO temp.brisola_keep(url) VALUES (?1)");
    if (!insert) return false;
    for (const std::string& url : urls) {
        sqlite3_bind_text(insert.get(), 1, url.c_str(), static_cast<int>(url.size()), SQLITE_STATIC);
        insert.Step();
        if (insert.Failed()) return false;
        sqlite3_reset(insert.get());
    }
    return true;
}

std::string DateText(const FILETIME& time) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st)) return std::string();
    char text[32];
    snprintf(text, sizeof text, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    return text;
}

// Chromium counts microseconds since 1601, Firefox since 1970.
std::string VisitDate(long long micros, bool firefox) {
    if (micros <= 0) return std::string();
    unsigned long long ticks = static_cast<unsigned long long>(micros) * 10;
    if (firefox) ticks += 116444736000000000ull;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return DateText(time);
}

// --- cookies -----------------------------------------------------------

void CookieStore(Run& run, const std::wstring& path, bool firefox) {
    SqliteDb db;
    if (!OpenStore(run, path, db)) return;
    const char* table = firefox ? "moz_cookies" : "cookies";
    const char* host = firefox ? "host" : "host_key";
    if (!SchemaKnown(run, path, HasColumns(db, table, {host, "name", "value", "path"}))) return;
    if (sqlite3_create_function_v2(db.get(), "brisola_kept", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &run.keptSites,
                                   KeptFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        return run.Left(path, "cannot prepare the keep list");
    std::string size = std::string("LENGTH(") + host + ") + LENGTH(name) + LENGTH(value) + LENGTH(path)";
    if (!firefox && HasColumns(db, table, {"encrypted_value"})) size += " + LENGTH(encrypted_value)";
    const std::string notKept = std::string(" FROM ") + table + " WHERE NOT brisola_kept(" + host + ")";
    // The preview lists the sites; the figures need only the sums, which
    // one pass over the table gives without sorting it by host.
    const std::string query = run.mode == Mode::Preview
                                  ? std::string("SELECT ") + host + ", COUNT(*), SUM(" + size + ")" + notKept +
                                        " GROUP BY " + host
                                  : std::string("SELECT NULL, COUNT(*), SUM(") + size + ")" + notKept;
    unsigned long long count = 0, bytes = 0;
    auto tally = [&]() {
        SqliteStatement stmt(db, query.c_str());
        while (stmt.Step()) {
            unsigned long long n = Count(stmt.get(), 1), b = Count(stmt.get(), 2);
            count += n;
            bytes += b;
            if (run.mode == Mode::Preview && n)
                run.visitor.OnItem(path, Wide(Text(stmt.get(), 0) + " (" + Counted(n, "cookie", "cookies") + ")"), b);
        }
        return !stmt.Failed();
    };
    if (run.mode != Mode::Clean) {
        if (!tally()) return run.Left(path, db.Error());
    } else {
        std::string remove = std::string("DELETE") + notKept;
        bool ok = Transaction(run, path, db, [&] { return tally() && db.Exec(remove.c_str()); });
        if (!ok) return;
        if (count) run.visitor.OnRowsDeleted(path, Counted(count, "cookie", "cookies"), count, bytes);
    }
    run.figures.entries += count;
    run.figures.bytes += bytes;
}

// --- history -----------------------------------------------------------

class BookmarkUrls : public JsonVisitor {
public:
    void OnValue(const std::vector<std::string>& path, JsonKind kind, const std::string& text) override {
        if (kind == JsonKind::String && !path.empty() && path.back() == "url" && path.size() >= 2 && path[0] == "roots")
            urls.insert(text);
    }
    UrlSet urls;
};

// The bookmarked URLs of a Chromium profile; false when a Bookmarks file is
// there but cannot be read, so nothing of the history may go.
bool ChromiumBookmarks(const std::wstring& profile, UrlSet& urls) {
    std::wstring path = profile + L"\\Bookmarks";
    if (!FileExistsW(path)) return true;
    std::string text;
    BookmarkUrls reader;
    if (!ReadSmallFile(path, kBookmarksMax, text) || !ScanJson(text, reader)) return false;
    urls = std::move(reader.urls);
    return true;
}

// Pages of a history table: the ones that go, and the kept ones whose visits go.
struct PageRow {
    std::string url;
    std::string title;
    long long lastVisit;
    long long visits;
    bool kept;
};

void TallyPage(Run& run, const std::wstring& path, const PageRow& page, bool firefox, unsigned long long& count,
               unsigned long long& bytes) {
    if (page.kept && page.visits <= 0 && page.lastVisit <= 0) return;
    ++count;
    unsigned long long size = page.kept ? 0 : page.url.size() + page.title.size();
    bytes += size;
    if (run.mode != Mode::Preview) return;
    std::string text = page.url;
    std::string date = VisitDate(page.lastVisit, firefox);
    if (!date.empty()) text += "  (last visit " + date + ")";
    if (page.kept) text += "  (bookmarked: only its visits)";
    run.visitor.OnItem(path, Wide(text), size);
}

void ChromiumHistory(Run& run, const std::wstring& profile, const UrlSet& bookmarks) {
    std::wstring path = profile + L"\\History";
    SqliteDb db;
    if (!OpenStore(run, path, db)) return;
    if (!SchemaKnown(run, path,
                     HasColumns(db, "urls", {"id", "url", "title", "visit_count", "last_visit_time"}) &&
                         HasColumns(db, "visits", {"id", "url"})))
        return;
    unsigned long long count = 0, bytes = 0;
    // The figures alone come from one aggregate over the pages, asking the
    // bookmarks through a function: the same rule as TallyPage, without a
    // string made per page.
    ViewSet bookmarked(bookmarks);
    if (run.mode != Mode::Preview &&
        sqlite3_create_function_v2(db.get(), "brisola_bookmarked", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &bookmarked,
                                   InViewSetFunction, nullptr, nullptr, nullptr) != SQLITE_OK)
        return run.Left(path, "cannot prepare the bookmarks");
    auto tallyPages = [&]() {
        if (run.mode == Mode::Preview) {
            SqliteStatement stmt(db, "SELECT url, title, last_visit_time, visit_count FROM urls");
            while (stmt.Step()) {
                PageRow page{Text(stmt.get(), 0), Text(stmt.get(), 1), sqlite3_column_int64(stmt.get(), 2),
                             sqlite3_column_int64(stmt.get(), 3), false};
                page.kept = bookmarks.count(page.url) != 0;
                TallyPage(run, path, page, false, count, bytes);
            }
            return !stmt.Failed();
        }
        SqliteStatement stmt(db,
                             "SELECT SUM(NOT (kept AND IFNULL(visit_count, 0) <= 0 AND IFNULL(last_visit_time, 0) <= 0)), "
                             "SUM(CASE WHEN kept THEN 0 ELSE IFNULL(LENGTH(CAST(url AS BLOB)), 0) + "
                             "IFNULL(LENGTH(CAST(title AS BLOB)), 0) END) "
                             "FROM (SELECT brisola_bookmarked(url) AS kept, url, title, visit_count, last_visit_time "
                             "FROM urls)");
        if (stmt.Step()) {
            count += Count(stmt.get(), 0);
            bytes += Count(stmt.get(), 1);
        }
        return !stmt.Failed();
    };
    auto tally = [&]() {
        if (!tallyPages()) return false;
        if (TableExists(db, "downloads")) {
            SqliteStatement downloads(db, "SELECT COUNT(*) FROM downloads");
            if (downloads.Step() && Count(downloads.get(), 0)) {
                unsigned long long n = Count(downloads.get(), 0);
                count += n;
                if (run.mode == Mode::Preview) run.visitor.OnItem(path, Wide(Counted(n, "download", "downloads")), 0);
            }
        }
        return true;
    };
    if (run.mode != Mode::Clean) {
        if (!tally()) return run.Left(path, db.Error());
    } else {
        bool typed = HasColumns(db, "urls", {"typed_count"});
        bool ok = Transaction(run, path, db, [&] {
            if (!tally() || !FillTempUrls(db, bookmarks)) return false;
            for (const char* table : {"visits", "visit_source", "keyword_search_terms", "segment_usage", "segments",
                                      "downloads", "downloads_url_chains", "downloads_slices", "visited_links",
                                      "content_annotations", "context_annotations", "clusters_and_visits", "clusters",
                                      "cluster_keywords", "cluster_visit_duplicates"}) {
                std::string sql = std::string("DELETE FROM ") + table;
                if (!ExecIf(db, table, sql.c_str())) return false;
            }
            return db.Exec("DELETE FROM urls WHERE url NOT IN (SELECT url FROM temp.brisola_keep)") &&
                   db.Exec(typed ? "UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0"
                                 : "UPDATE urls SET visit_count = 0, last_visit_time = 0");
        });
        if (!ok) return;
        if (count) run.visitor.OnRowsDeleted(path, Counted(count, "page or download", "pages and downloads"), count, bytes);
    }
    run.figures.entries += count;
    run.figures.bytes += bytes;
}

// The icons of pages that are not kept; the kept pages' icons stay.
void IconStore(Run& run, const std::wstring& path, const UrlSet& kept, bool firefox) {
    SqliteDb db;
    if (!OpenStore(run, path, db)) return;
    bool known = firefox ? HasColumns(db, "moz_pages_w_icons", {"id", "page_url"}) &&
                               HasColumns(db, "moz_icons_to_pages", {"page_id", "icon_id"}) &&
                               HasColumns(db, "moz_icons", {"id", "icon_url"})
                         : HasColumns(db, "icon_mapping", {"page_url", "icon_id"}) && HasColumns(db, "favicons", {"id"}) &&
                               HasColumns(db, "favicon_bitmaps", {"icon_id"});
    if (!SchemaKnown(run, path, known)) return;
    const char* pages = firefox ? "SELECT page_url FROM moz_pages_w_icons" : "SELECT page_url FROM icon_mapping";
    unsigned long long count = 0;
    auto tally = [&]() {
        count = 0;
        SqliteStatement stmt(db, pages);
        while (stmt.Step())
            if (!kept.count(Text(stmt.get(), 0))) ++count;
        return !stmt.Failed();
    };
    if (!tally()) return run.Left(path, db.Error());
    if (count == 0) return;
    if (run.mode == Mode::Preview) run.visitor.OnItem(path, Wide("icons of " + Counted(count, "page", "pages")), 0);
    if (run.mode != Mode::Clean) return;
    // Root icons (a site's /favicon.ico) belong to no page row: they stay
    // when a kept page is on their host.
    bool roots = firefox && HasColumns(db, "moz_icons", {"root"});
    UrlSet keptHosts;
    for (const std::string& url : kept) {
        size_t start = url.find("://");
        if (start == std::string::npos) continue;
        start += 3;
        size_t end = url.find_first_of("/?#", start);
        keptHosts.insert(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
    }
    bool ok = Transaction(run, path, db, [&] {
        if (!FillTempUrls(db, kept)) return false;
        if (!firefox)
            return db.Exec("DELETE FROM icon_mapping WHERE page_url NOT IN (SELECT url FROM temp.brisola_keep)") &&
                   db.Exec("DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT icon_id FROM icon_mapping)") &&
                   db.Exec("DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping)");
        if (!db.Exec("DELETE FROM moz_pages_w_icons WHERE page_url NOT IN (SELECT url FROM temp.brisola_keep)") ||
            !db.Exec("DELETE FROM moz_icons_to_pages WHERE page_id NOT IN (SELECT id FROM moz_pages_w_icons)"))
            return false;
        if (!roots) return db.Exec("DELETE FROM moz_icons WHERE id NOT IN (SELECT icon_id FROM moz_icons_to_pages)");
        std::vector<long long> gone;
        {
            SqliteStatement stmt(db, "SELECT id, icon_url FROM moz_icons WHERE root = 1");
            while (stmt.Step()) {
                std::string url = Text(stmt.get(), 1);
                size_t start = url.find("://");
                std::string host;
                if (start != std::string::npos) {
                    size_t end = url.find_first_of("/?#", start + 3);
                    host = url.substr(start + 3, end == std::string::npos ? std::string::npos : end - start - 3);
                }
                if (!keptHosts.count(host)) gone.push_back(sqlite3_column_int64(stmt.get(), 0));
            }
            if (stmt.Failed()) return false;
        }
        SqliteStatement remove(db, "DELETE FROM moz_icons WHERE id = ?1");
        for (long long id : gone) {
            sqlite3_bind_int64(remove.get(), 1, id);
            remove.Step();
            if (remove.Failed()) return false;
            sqlite3_reset(remove.get());
        }
        return db.Exec("DELETE FROM moz_icons WHERE root = 0 AND id NOT IN (SELECT icon_id FROM moz_icons_to_pages)");
    });
    if (ok) run.visitor.OnRowsDeleted(path, "icons of " + Counted(count, "page", "pages"), 0, 0);
}

// Firefox keeps bookmarks in places.sqlite: a page referenced by a
// bookmark or a keyword (foreign_count) keeps its row, all visits go.
// Firefox's own triggers are temporary and do not run here, so the counts
// and the orphans they would tidy are tidied by hand.
bool FirefoxPlaces(Run& run, const std::wstring& profile, UrlSet& kept) {
    std::wstring path = profile + L"\\places.sqlite";
    SqliteDb db;
    if (!OpenStore(run, path, db)) return false;
    if (!SchemaKnown(run, path,
                     HasColumns(db, "moz_places", {"id", "url", "title", "visit_count", "last_visit_date", "foreign_count"}) &&
                         HasColumns(db, "moz_historyvisits", {"id", "place_id"})))
        return false;
    unsigned long long count = 0, bytes = 0;
    auto tally = [&]() {
        SqliteStatement stmt(db, "SELECT url, title, last_visit_date, visit_count, foreign_count FROM moz_places");
        while (stmt.Step()) {
            PageRow page{Text(stmt.get(), 0), Text(stmt.get(), 1), sqlite3_column_int64(stmt.get(), 2),
                         sqlite3_column_int64(stmt.get(), 3), sqlite3_column_int64(stmt.get(), 4) > 0};
            if (page.kept) kept.insert(page.url);
            TallyPage(run, path, page, true, count, bytes);
        }
        return !stmt.Failed();
    };
    if (run.mode != Mode::Clean) {
        if (!tally()) {
            run.Left(path, db.Error());
            return false;
        }
    } else {
        bool ok = Transaction(run, path, db, [&] {
            if (!tally()) return false;
            bool annos = TableExists(db, "moz_annos");
            bool origins = HasColumns(db, "moz_places", {"origin_id"}) && TableExists(db, "moz_origins");
            std::string reset = "UPDATE moz_places SET visit_count = 0, last_visit_date = NULL";
            if (HasColumns(db, "moz_places", {"frecency"})) reset += ", frecency = -1";
            if (HasColumns(db, "moz_places", {"typed"})) reset += ", typed = 0";
            return db.Exec("DELETE FROM moz_historyvisits") &&
                   ExecIf(db, "moz_inputhistory", "DELETE FROM moz_inputhistory") &&
                   ExecIf(db, "moz_places_metadata_search_queries", "DELETE FROM moz_places_metadata_search_queries") &&
                   ExecIf(db, "moz_places_metadata", "DELETE FROM moz_places_metadata") &&
                   (!annos || !TableExists(db, "moz_anno_attributes") ||
                    db.Exec("DELETE FROM moz_annos WHERE anno_attribute_id IN "
                            "(SELECT id FROM moz_anno_attributes WHERE name LIKE 'downloads/%')")) &&
                   (!annos || db.Exec("DELETE FROM moz_annos WHERE place_id IN "
                                      "(SELECT id FROM moz_places WHERE foreign_count = 0)")) &&
                   db.Exec("DELETE FROM moz_places WHERE foreign_count = 0") && db.Exec(reset.c_str()) &&
                   (!origins || db.Exec("DELETE FROM moz_origins WHERE id NOT IN "
                                        "(SELECT origin_id FROM moz_places WHERE origin_id NOT NULL)"));
        });
        if (!ok) return false;
        if (count) run.visitor.OnRowsDeleted(path, Counted(count, "page", "pages"), count, bytes);
    }
    run.figures.entries += count;
    run.figures.bytes += bytes;
    return true;
}

// --- whole files ------------------------------------------------------

bool EndsWithName(std::wstring_view name, std::wstring_view base) {
    for (std::wstring_view suffix : {L"", L"-journal", L"-wal", L"-shm"}) {
        if (name.size() != base.size() + suffix.size()) continue;
        if (CompareStringOrdinal(name.data(), static_cast<int>(base.size()), base.data(), static_cast<int>(base.size()),
                                 TRUE) == CSTR_EQUAL &&
            name.substr(base.size()) == suffix)
            return true;
    }
    return false;
}

// Files made only of history, each deleted whole with its journal files.
bool IsHistoryFile(std::wstring_view name) {
    for (const wchar_t* base : {L"Top Sites", L"Shortcuts", L"Visited Links", L"Network Action Predictor",
                                L"History Provider Cache", L"DownloadMetadata", L"Archived History"})
        if (EndsWithName(name, base)) return true;
    return false;
}

bool IsNamed(std::wstring_view name, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* n : names)
        if (CompareStringOrdinal(name.data(), static_cast<int>(name.size()), n, -1, TRUE) == CSTR_EQUAL) return true;
    return false;
}

bool IsChromiumSessionFile(std::wstring_view name) {
    return IsNamed(name, {L"Current Session", L"Last Session", L"Current Tabs", L"Last Tabs"});
}

bool IsFirefoxSessionFile(std::wstring_view name) {
    return IsNamed(name, {L"sessionstore.jsonlz4", L"sessionstore.js", L"sessionstore.bak"});
}

class FiguresOnly : public TreeVisitor {
public:
    bool WantsEntries() const override { return false; }
};

// One walk for the three modes, so what is listed is what goes.
void FileWalk(Run& run, const std::wstring& root, bool (*filter)(std::wstring_view)) {
    TreeRules rules;
    rules.countIndexNames = true;
    if (filter) {
        rules.fileFilter = filter;
        rules.descend = false;
    }
    FiguresOnly figuresOnly;
    TreeVisitor& visitor = run.mode == Mode::Measure ? static_cast<TreeVisitor&>(figuresOnly) : run.visitor;
    TreeResult result = WalkTree(root, run.mode == Mode::Clean ? TreeAction::Clean : TreeAction::Measure, rules, visitor);
    if (result.refusal == RootRefusal::Link || result.refusal == RootRefusal::Protected) {
        run.Left(root, "a link or a protected folder, never cleaned");
        return;
    }
    const TreeFigures& figures = run.mode == Mode::Clean ? result.deleted : result.counted;
    run.figures.entries += figures.files;
    run.figures.bytes += figures.bytes;
}

// --- form values ------------------------------------------------------

void FormStore(Run& run, const std::wstring& path, bool firefox) {
    SqliteDb db;
    if (!OpenStore(run, path, db)) return;
    const char* table = firefox ? "moz_formhistory" : "autofill";
    const char* field = firefox ? "fieldname" : "name";
    if (!SchemaKnown(run, path, HasColumns(db, table, {field, "value"}))) return;
    std::string group = std::string("SELECT ") + field + ", COUNT(*), SUM(LENGTH(" + field + ") + LENGTH(value)) FROM " +
                        table + " GROUP BY " + field;
    unsigned long long count = 0, bytes = 0;
    auto tally = [&]() {
        SqliteStatement stmt(db, group.c_str());
        while (stmt.Step()) {
            unsigned long long n = Count(stmt.get(), 1), b = Count(stmt.get(), 2);
            count += n;
            bytes += b;
            if (run.mode == Mode::Preview)
                run.visitor.OnItem(path, Wide("field " + Text(stmt.get(), 0) + " (" + Counted(n, "value", "values") + ")"), b);
        }
        return !stmt.Failed();
    };
    if (run.mode != Mode::Clean) {
        if (!tally()) return run.Left(path, db.Error());
    } else {
        std::string remove = std::string("DELETE FROM ") + table;
        bool ok = Transaction(run, path, db, [&] {
            return tally() && (!firefox || ExecIf(db, "moz_history_to_sources", "DELETE FROM moz_history_to_sources")) &&
                   db.Exec(remove.c_str());
        });
        if (!ok) return;
        if (count) run.visitor.OnRowsDeleted(path, Counted(count, "form value", "form values"), count, bytes);
    }
    run.figures.entries += count;
    run.figures.bytes += bytes;
}

// --- one profile ------------------------------------------------------

void ChromiumProfile(Run& run, const std::wstring& profile) {
    switch (run.row) {
    case BrowserRow::Cookies:
        for (const wchar_t* name : {L"\\Network\\Cookies", L"\\Cookies", L"\\Extension Cookies"})
            CookieStore(run, profile + name, false);
        break;
    case BrowserRow::History: {
        UrlSet bookmarks;
        if (!ChromiumBookmarks(profile, bookmarks)) {
            run.Left(profile + L"\\History", "the bookmarks could not be read; history left");
        } else {
            ChromiumHistory(run, profile, bookmarks);
            IconStore(run, profile + L"\\Favicons", bookmarks, false);
        }
        FileWalk(run, profile, IsHistoryFile);
        break;
    }
    case BrowserRow::Sessions:
        FileWalk(run, profile + L"\\Sessions", nullptr);
        FileWalk(run, profile, IsChromiumSessionFile);
        break;
    case BrowserRow::Forms: FormStore(run, profile + L"\\Web Data", false); break;
    }
}

void FirefoxProfile(Run& run, const std::wstring& profile) {
    switch (run.row) {
    case BrowserRow::Cookies: CookieStore(run, profile + L"\\cookies.sqlite", true); break;
    case BrowserRow::History: {
        UrlSet kept;
        // Without the places the bookmarks are unknown: the icons stay.
        if (FirefoxPlaces(run, profile, kept)) IconStore(run, profile + L"\\favicons.sqlite", kept, true);
        break;
    }
    case BrowserRow::Sessions:
        FileWalk(run, profile, IsFirefoxSessionFile);
        FileWalk(run, profile + L"\\sessionstore-backups", nullptr);
        break;
    case BrowserRow::Forms: FormStore(run, profile + L"\\formhistory.sqlite", true); break;
    }
}

StoreFigures RunRow(Mode mode, BrowserRow row, const KeepSites& keep, StoreVisitor& visitor) {
    LimitSqliteMemory();
    Run run(mode, row, keep, visitor);
    std::vector<BrowserInstall> browsers = FindBrowsers();
    std::string running = RunningBrowserNames(browsers);
    bool keepFailed = row == BrowserRow::Cookies && !keep.readable;
    for (const BrowserInstall& browser : browsers) {
        for (const BrowserProfile& profile : browser.profiles) {
            if (visitor.Stop()) break;
            if (profile.running) {
                if (mode == Mode::Clean) visitor.OnStoreLeft(profile.folder, browser.name + " running, skipped");
                continue;
            }
            if (profile.throughLink) {
                run.Left(profile.folder, "reached through a link, not used");
                continue;
            }
            // Fail closed: without the keep list no cookie is touched.
            if (keepFailed) {
                if (mode == Mode::Clean) visitor.OnStoreLeft(profile.folder, "cookies kept: " + keep.error);
                continue;
            }
            if (browser.family == BrowserFamily::Chromium)
                ChromiumProfile(run, profile.folder);
            else
                FirefoxProfile(run, profile.folder);
        }
    }
    std::string note;
    if (!running.empty()) note = running + " running, skipped";
    if (keepFailed && !browsers.empty())
        note += (note.empty() ? "" : "; ") + std::string("keep list unreadable, no cookie deleted: ") + keep.error;
    if (run.storesLeft)
        note += (note.empty() ? "" : "; ") + Counted(run.storesLeft, "store", "stores") + " left: " + run.firstLeft;
    run.figures.note = note;
    return run.figures;
}

}  // namespace

// A WAL-mode database (header bytes 18 and 19 are 2) without its log holds
// nothing but the file: read it as it is, so that no file appears beside
// it. With a log, or in rollback mode, SQLite reads it read-only.
DbOpen ReadOnlyWay(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DbOpen::ReadOnly;
    unsigned char header[20] = {};
    DWORD read = 0;
    bool wal = ReadFile(file, header, sizeof header, &read, nullptr) && read == sizeof header && header[18] == 2 &&
               header[19] == 2;
    CloseHandle(file);
    return wal && !FileExistsW(path + L"-wal") ? DbOpen::ReadOnlyAsIs : DbOpen::ReadOnly;
}

void LimitSqliteMemory() { sqlite3_soft_heap_limit64(48ll << 20); }

StoreFigures MeasureBrowserRow(BrowserRow row, const KeepSites& keep) {
    StoreVisitor none;
    return RunRow(Mode::Measure, row, keep, none);
}

StoreFigures PreviewBrowserRow(BrowserRow row, const KeepSites& keep, StoreVisitor& visitor) {
    return RunRow(Mode::Preview, row, keep, visitor);
}

StoreFigures CleanBrowserRow(BrowserRow row, const KeepSites& keep, StoreVisitor& visitor) {
    return RunRow(Mode::Clean, row, keep, visitor);
}

