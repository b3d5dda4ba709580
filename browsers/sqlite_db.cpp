#include "browsers/sqlite_db.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

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

// A VFS over the system's own that gathers a rollback journal's small
// writes (each page goes out as a page number, the page and a checksum)
// into one write per 256 KB. Under Wine a write call costs far more than
// on Windows, and a large clean journals thousands of pages. Nothing is
// lost for safety: SQLite relies on a journal only after syncing it, and
// the buffer is written out before every sync, read, size, truncate and
// close. Every other file passes straight through.
const char kBufferedVfs[] = "brisola-buffered";
const int kJournalBuffer = 256 * 1024;

struct BufferedFile {
    sqlite3_file base;
    sqlite3_file* real;  // the system VFS's file, allocated right after this
    char* buffer;        // journals only
    int used;
    sqlite3_int64 start;  // the file offset of buffer[0]
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<BufferedFile*>(file)->real; }

int Flush(BufferedFile* file) {
    if (!file->buffer || file->used == 0) return SQLITE_OK;
    int rc = file->real->pMethods->xWrite(file->real, file->buffer, file->used, file->start);
    file->used = 0;
    return rc;
}

int BufferedClose(sqlite3_file* f) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    int flushed = Flush(file);
    int rc = file->real->pMethods ? file->real->pMethods->xClose(file->real) : SQLITE_OK;
    sqlite3_free(file->buffer);
    file->buffer = nullptr;
    return flushed != SQLITE_OK ? flushed : rc;
}

int BufferedRead(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    int rc = Flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xRead(file->real, out, amount, offset);
}

int BufferedWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    if (!file->buffer) return file->real->pMethods->xWrite(file->real, data, amount, offset);
    bool follows = file->used > 0 && offset == file->start + file->used;
    if (!follows || file->used + amount > kJournalBuffer) {
        int rc = Flush(file);
        if (rc != SQLITE_OK) return rc;
    }
    if (amount > kJournalBuffer) return file->real->pMethods->xWrite(file->real, data, amount, offset);
    if (file->used == 0) file->start = offset;
    memcpy(file->buffer + file->used, data, static_cast<size_t>(amount));
    file->used += amount;
    return SQLITE_OK;
}

int BufferedTruncate(sqlite3_file* f, sqlite3_int64 size) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    int rc = Flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xTruncate(file->real, size);
}

int BufferedSync(sqlite3_file* f, int flags) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    int rc = Flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xSync(file->real, flags);
}

int BufferedFileSize(sqlite3_file* f, sqlite3_int64* size) {
    auto* file = reinterpret_cast<BufferedFile*>(f);
    int rc = Flush(file);
    return rc != SQLITE_OK ? rc : file->real->pMethods->xFileSize(file->real, size);
}

int BufferedLock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int BufferedUnlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int BufferedCheckLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int BufferedControl(sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); }
int BufferedSectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int BufferedDevice(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int BufferedShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int BufferedShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void BufferedShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int BufferedShmUnmap(sqlite3_file* f, int deleteFlag) { return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag); }
int BufferedFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return Real(f)->pMethods->xFetch(Real(f), offset, amount, out);
}
int BufferedUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
    return Real(f)->pMethods->xUnfetch(Real(f), offset, page);
}

const sqlite3_io_methods kBufferedMethods = {
    3,
    BufferedClose,
    BufferedRead,
    BufferedWrite,
    BufferedTruncate,
    BufferedSync,
    BufferedFileSize,
    BufferedLock,
    BufferedUnlock,
    BufferedCheckLock,
    BufferedControl,
    BufferedSectorSize,
    BufferedDevice,
    BufferedShmMap,
    BufferedShmLock,
    BufferedShmBarrier,
    BufferedShmUnmap,
    BufferedFetch,
    BufferedUnfetch,
};

int BufferedOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* system = static_cast<sqlite3_vfs*>(vfs->pAppData);
    auto* file = reinterpret_cast<BufferedFile*>(f);
    file->base.pMethods = nullptr;
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->buffer = nullptr;
    file->used = 0;
    file->start = 0;
    int rc = system->xOpen(system, name, file->real, flags, outFlags);
    if (rc != SQLITE_OK) return rc;
    if (flags & SQLITE_OPEN_MAIN_JOURNAL) {
        file->buffer = static_cast<char*>(sqlite3_malloc(kJournalBuffer));
        if (!file->buffer) {
            file->real->pMethods->xClose(file->real);
            return SQLITE_NOMEM;
        }
    }
    file->base.pMethods = &kBufferedMethods;
    return SQLITE_OK;
}

// Registered once, beside the system VFS (never as the default); null
// when it could not be.
const char* BufferedVfs() {
    static const char* name = [] {
        static sqlite3_vfs vfs;
        sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
        if (!system) return static_cast<const char*>(nullptr);
        vfs = *system;
        vfs.pNext = nullptr;
        vfs.szOsFile = static_cast<int>(sizeof(BufferedFile)) + system->szOsFile;
        vfs.zName = kBufferedVfs;
        vfs.xOpen = BufferedOpen;
        // The system VFS's own open is the only one of its calls that reads
        // its app data, and BufferedOpen hands it the system VFS itself; the
        // rest (delete, access, full path, randomness, time) read none.
        vfs.pAppData = system;
        return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? kBufferedVfs : nullptr;
    }();
    return name;
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
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, mode == DbOpen::ReadWrite ? BufferedVfs() : nullptr);
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
