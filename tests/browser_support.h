// Browser databases for the tests, made through the built-in SQLite with
// the browsers' own layouts (header-only, included by the tests).
#pragma once

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace browsertest {

inline void Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << path << ": " << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The first column of the first row, as text ("" when none or on error).
inline std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            out = text ? reinterpret_cast<const char*>(text) : "";
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

inline std::set<std::string> Column(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::set<std::string> out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(stmt, 0);
                out.insert(text ? reinterpret_cast<const char*>(text) : "");
            }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

const char kChromeCookies[] =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "INSERT INTO meta VALUES('version','24'),('last_compatible_version','24');"
    "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT NULL,top_frame_site_key TEXT NOT NULL,"
    "name TEXT NOT NULL,value TEXT NOT NULL,encrypted_value BLOB NOT NULL,path TEXT NOT NULL,expires_utc INTEGER NOT NULL,"
    "is_secure INTEGER NOT NULL,is_httponly INTEGER NOT NULL,last_access_utc INTEGER NOT NULL,has_expires INTEGER NOT NULL,"
    "is_persistent INTEGER NOT NULL,priority INTEGER NOT NULL,samesite INTEGER NOT NULL,source_scheme INTEGER NOT NULL,"
    "source_port INTEGER NOT NULL,last_update_utc INTEGER NOT NULL,source_type INTEGER NOT NULL,"
    "has_cross_site_ancestor INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key, has_cross_site_ancestor, name, path,"
    " source_scheme, source_port);";

inline std::string ChromeCookie(const std::string& host, const std::string& partition, const std::string& name) {
    return "INSERT INTO cookies VALUES(13300000000000000,'" + host + "','" + partition + "','" + name +
           "','',X'763130A1B2C3D4','/',13400000000000000,1,1,13300000000000000,1,1,1,0,2,443,0,0,0);";
}

const char kChromeWebData[] =
    "CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, date_created INTEGER DEFAULT 0,"
    " date_last_used INTEGER DEFAULT 0, count INTEGER DEFAULT 1, PRIMARY KEY (name, value));"
    "CREATE TABLE keywords (id INTEGER PRIMARY KEY, short_name VARCHAR NOT NULL, keyword VARCHAR NOT NULL, url VARCHAR);"
    "CREATE TABLE token_service (service VARCHAR PRIMARY KEY NOT NULL, encrypted_token BLOB);"
    "CREATE TABLE local_addresses (guid VARCHAR PRIMARY KEY, street_address VARCHAR);"
    "CREATE TABLE credit_cards (guid VARCHAR PRIMARY KEY, name_on_card VARCHAR);"
    "INSERT INTO autofill VALUES('email','me@example.com','me@example.com',1,1,3),('q','private words','private words',1,1,1);"
    "INSERT INTO keywords VALUES(1,'Example','ex','https://search.example.net/?q={searchTerms}');"
    "INSERT INTO token_service VALUES('AccountId-1',X'0102');"
    "INSERT INTO local_addresses VALUES('a','1 Main St');INSERT INTO credit_cards VALUES('c','A Person');";

}  // namespace browsertest
