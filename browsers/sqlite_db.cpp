#include "browsers/sqlite_db.h"

#include <sqlite3.h>

#include <cstdio>

const char* SqliteVersion() { return sqlite3_libversion(); }

SqliteDb::~SqliteDb() { Close(); }

void SqliteDb::Close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void SqliteDb::SetError(const char* what) {
    error_ = what ? what : "";
    if (db_) {
        if (!error_.empty()) error_ += ": ";
        error_ += sqlite3_errmsg(db_);
    }
}

namespace {

// "file:///C:/a%20b/c?immutable=1": every byte but the plainest escaped.
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:///";
    for (unsigned char c : path) {
        if (c == '\\') {
            uri += '/';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == ':' ||
                   c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri + "?immutable=1";
}

}  // namespace

bool SqliteDb::Open(const std::string& path, DbOpen mode) {
    Close();
    error_.clear();
    // Never SQLITE_OPEN_CREATE: a store that is not there stays not there.
    int flags = (mode == DbOpen::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    std::string name = path;
    if (mode == DbOpen::ReadOnlyAsIs) {
        flags |= SQLITE_OPEN_URI;
        name = ImmutableUri(path);
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    db_ = db;
    if (rc != SQLITE_OK) {
        SetError("cannot open");
        Close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    // A browser we did not see start may hold a lock for a moment.
    sqlite3_busy_timeout(db_, 2000);
    return true;
}

bool SqliteDb::Exec(const char* sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return true;
    error_ = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return false;
}

SqliteStatement::SqliteStatement(SqliteDb& db, const char* sql) : db_(db) {
    if (!db.get() || sqlite3_prepare_v2(db.get(), sql, -1, &stmt_, nullptr) != SQLITE_OK) {
        db_.SetError("cannot prepare");
        stmt_ = nullptr;
        failed_ = true;
    }
}

SqliteStatement::~SqliteStatement() {
    if (stmt_) sqlite3_finalize(stmt_);
}

bool SqliteStatement::Step() {
    if (!stmt_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) {
        failed_ = true;
        db_.SetError("step");
    }
    return false;
}
