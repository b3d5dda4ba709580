// Owners for SQLite connections and statements, and the few ways the
// browser stores open their databases.
#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's version, as "3.40.1".
const char* SqliteVersion();

enum class DbOpen {
    ReadOnly,   // measure and preview: no byte of the file changes
    ReadWrite,  // the clean: never creates a file that is not there
    // A database in WAL mode whose log is gone (the browser closed it
    // cleanly): read as the file stands, so that SQLite creates no log
    // or shared-memory file beside it.
    ReadOnlyAsIs,
};

// One connection, closed when the owner goes.
class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens `path` (UTF-8). False, with the reason in Error(), when SQLite
    // cannot open it.
    bool Open(const std::string& path, DbOpen mode);
    void Close();
    sqlite3* get() const { return db_; }
    explicit operator bool() const { return db_ != nullptr; }

    // Runs statements that return no rows; false with Error() set.
    bool Exec(const char* sql);
    const std::string& Error() const { return error_; }
    void SetError(const char* what);

private:
    sqlite3* db_ = nullptr;
    std::string error_;
};

// One prepared statement, finalized when the owner goes.
class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    explicit operator bool() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    // The next row: true while there is one; false at the end or on an
    // error (then the connection's Error() says which).
    bool Step();
    bool Failed() const { return failed_; }

private:
    SqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool failed_ = false;
};
