#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/app_state.h"

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string DataFilePath(const char* name) {
    char path[256];
    return WindowsDirFile(name, path) ? path : "";
}

std::string CookieFolder() {
    char folder[256];
    return GetSpecialFolder(0x21, folder) ? folder : "";
}

std::string FiltersFilePath() { return DataFilePath("datafilters.txt"); }

std::string KeptCookiesFilePath() { return DataFilePath("datacookies.txt"); }
