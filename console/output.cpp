#include "console/output.h"

#include <windows.h>

#include <cstdio>

#include "fs/text.h"
#include "sweep/categories.h"

std::string CategoryFigures(int index, const SweepCategory& row, bool json) {
    char text[512];
    if (json) {
        snprintf(text, sizeof text,
                 "{\"number\": %d, \"name\": %s, \"label\": %s, \"ticked\": %s, \"files\": %llu, "
                 "\"folders\": %llu, \"bytes\": %llu, \"note\": %s}",
                 index + 1, JsonString(CategoryAt(index).shortName).c_str(), JsonString(row.label).c_str(),
                 row.ticked == 1 ? "true" : "false", row.files, row.folders, row.bytes,
                 JsonString(row.note).c_str());
        return text;
    }
    char size[64];
    FormatSize(row.bytes, size, sizeof size);
    snprintf(text, sizeof text, "%2d %-10s %s: %llu files, %llu folders, %s%s%s%s", index + 1,
             CategoryAt(index).shortName, row.label, row.files, row.folders, size, row.note[0] ? " (" : "",
             row.note, row.note[0] ? ")" : "");
    return text;
}

void ShowProgress(const char* text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode;
    if (err == INVALID_HANDLE_VALUE || !err || !GetConsoleMode(err, &mode)) return;
    char line[128];
    // Padded, so that a shorter text hides the end of the last one.
    int n = snprintf(line, sizeof line, "\r%-78.78s\r", text);
    DWORD written;
    if (n > 0) WriteConsoleA(err, line, static_cast<DWORD>(n), &written, nullptr);
}
