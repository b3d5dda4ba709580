// The cleaning journal. Each line goes to the file at once (no buffer of
// ours), so a crash mid-clean leaves every line before it.
#include "sweep/journal.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "fs/text.h"
#include "sweep/app_caches.h"
#include "sweep/clean_report.h"

namespace {

const unsigned long long kDefaultLimit = 10ull << 20;

struct Journal {
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned long long written = 0;  // the file's size
    unsigned long long limit = kDefaultLimit;
    std::atomic<bool> enabled{true};
};
Journal g_journal;  // the cleaning thread's only

void Close() {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    FlushFileBuffers(g_journal.file);
    CloseHandle(g_journal.file);
    g_journal.file = INVALID_HANDLE_VALUE;
}

bool Open() {
    std::wstring path = JournalPath();
    if (path.empty()) return false;
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    g_journal.file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_journal.file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    GetFileSizeEx(g_journal.file, &size);
    g_journal.written = static_cast<unsigned long long>(size.QuadPart);
    return true;
}

// Keeps one old file: the current one becomes cleaning.log.1.
void Rotate() {
    Close();
    std::wstring path = JournalPath();
    MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
    Open();
}

void WriteLine(const std::string& line) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    if (g_journal.written > 0 && g_journal.written + line.size() > g_journal.limit) Rotate();
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    if (WriteFile(g_journal.file, line.data(), static_cast<DWORD>(line.size()), &done, nullptr))
        g_journal.written += done;
}

std::string Number(unsigned long long n) {
    char text[24];
    snprintf(text, sizeof text, "%llu", n);
    return text;
}

// A name may hold control characters (Wine passes Unix names through):
// they are written as \xNN, so one item stays one line and a name cannot
// forge another line of the journal.
std::string PathText(std::wstring_view path) {
    std::string text = Utf8FromWide(path), out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

}  // namespace

std::wstring JournalPath() {
    std::wstring local = LocalAppDataPath();
    return local.empty() ? local : local + L"\\Brisola\\cleaning.log";
}

void JournalBegin(const std::string& categories) {
    Close();
    if (!g_journal.enabled || !Open()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    WriteLine(std::string("=== clean ") + stamp + ": " + categories + "\r\n");
}

void JournalDeleted(std::wstring_view path, bool isFolder, unsigned long long size) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    WriteLine(std::string(isFolder ? "deleted folder\t" : "deleted\t") + Number(size) + "\t" + PathText(path) + "\r\n");
}

void JournalLeft(std::wstring_view path, LeftReason reason) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    WriteLine(std::string("left\t") + LeftReasonText(reason) + "\t" + PathText(path) + "\r\n");
}

void JournalDeletedEntries(std::wstring_view store, const std::string& what, unsigned long long bytes) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    WriteLine("deleted\t" + Number(bytes) + "\t" + PathText(store) + "\t" + PathText(WideFromUtf8(what)) + "\r\n");
}

void JournalLeftNote(std::wstring_view path, const std::string& note) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    WriteLine("left\t" + PathText(WideFromUtf8(note)) + "\t" + PathText(path) + "\r\n");
}

void JournalEnd(const CleanReport& report) {
    if (g_journal.file == INVALID_HANDLE_VALUE) return;
    WriteLine("=== end: " + Number(report.itemsDeleted) + " deleted, " + Number(report.bytesFreed) + " bytes freed, " +
              Number(report.itemsLeft) + " left\r\n");
    Close();
}

void SetJournalLimitForTest(unsigned long long bytes) { g_journal.limit = bytes ? bytes : kDefaultLimit; }

void SetJournalEnabled(bool enabled) { g_journal.enabled = enabled; }
