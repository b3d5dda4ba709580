// Browser databases for the tests, made through the built-in SQLite with
// the browsers' own layouts (header-only, included by the tests).
#pragma once

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browser_layouts.h"

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

// The first column of each row, as text; none on error.
inline std::vector<std::string> Rows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(stmt, 0);
                out.push_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

// The first row's ("" when none) and the set of them.
inline std::string Query(const std::string& path, const std::string& sql) {
    std::vector<std::string> rows = Rows(path, sql);
    return rows.empty() ? "" : rows[0];
}

inline std::set<std::string> Column(const std::string& path, const std::string& sql) {
    std::vector<std::string> rows = Rows(path, sql);
    return std::set<std::string>(rows.begin(), rows.end());
}

// The browsers' layouts and what the tests plant in them: tests/data/*.sql.
const char* const kChromeCookies = layout::chrome_cookies;
const char* const kChromeWebData = layout::chrome_web_data;

inline std::string ChromeCookie(const std::string& host, const std::string& partition, const std::string& name) {
    return "INSERT INTO cookies VALUES(13300000000000000,'" + host + "','" + partition + "','" + name +
           "','',X'763130A1B2C3D4','/',13400000000000000,1,1,13300000000000000,1,1,1,0,2,443,0,0,0);";
}

}  // namespace browsertest
