#include "sweep/clean_event.h"

#include <cstdio>
#include <mutex>

#include "fs/text.h"
#include "sweep/categories.h"

const char kAnotherCleanRunning[] = "another Brisola clean is running";

namespace {

const wchar_t kSource[] = L"Brisola";

// What the tests may look at, written by whichever thread ends a clean.
struct EventLogState {
    std::mutex lock;
    CleanEvent last;
    int written = 0;
} g_eventLog;

CategoryNames NamesOf(int row) { return {CategoryAt(row).shortName, CategoryAt(row).label}; }

}  // namespace

std::vector<std::string> CleanEvent::Inserts() const { return CleanEventInserts(user, reason, report, NamesOf); }

std::string CleanEvent::Json() const { return CleanEventJson(id, id == kEventRefused, user, reason, report, NamesOf); }

std::string CurrentUserName() {
    wchar_t name[256] = {};
    DWORD size = sizeof name / sizeof name[0];
    if (!GetUserNameW(name, &size)) return "";
    wchar_t domain[256] = {};
    DWORD length = GetEnvironmentVariableW(L"USERDOMAIN", domain, sizeof domain / sizeof domain[0]);
    bool haveDomain = length > 0 && length < sizeof domain / sizeof domain[0];
    return Utf8FromWide(haveDomain ? std::wstring(domain) + L"\\" + name : std::wstring(name));
}

CleanEvent CleanEventOf(const CleanReport& report, const std::string& user) {
    CleanEvent event;
    event.user = user;
    event.report = report;
    bool refused = false;
    for (const CategoryReport& category : report.categories) refused = refused || !category.refused.empty();
    if (report.itemsLeft || refused) {
        event.id = kEventItemsLeft;
        event.type = EVENTLOG_WARNING_TYPE;
    }
    return event;
}

CleanEvent RefusedEventOf(const std::string& reason, const std::string& user) {
    CleanEvent event;
    event.id = kEventRefused;
    event.type = EVENTLOG_ERROR_TYPE;
    event.user = user;
    event.reason = reason;
    return event;
}

bool WriteCleanEvent(const CleanEvent& event) {
    {
        std::lock_guard<std::mutex> hold(g_eventLog.lock);
        g_eventLog.last = event;
        ++g_eventLog.written;
    }
    // Unregistered, the source still writes; Event Viewer then lacks only
    // the message text, which the installers' registration supplies.
    HANDLE log = RegisterEventSourceW(nullptr, kSource);
    if (!log) return false;
    std::vector<std::wstring> inserts;
    for (const std::string& insert : event.Inserts()) inserts.push_back(WideFromUtf8(insert));
    std::vector<LPCWSTR> strings;
    for (const std::wstring& insert : inserts) strings.push_back(insert.c_str());
    BOOL done = ReportEventW(log, event.type, 0, event.id, nullptr, static_cast<WORD>(strings.size()), 0,
                             strings.data(), nullptr);
    DeregisterEventSource(log);
    return done != FALSE;
}

void ReportCleanToEventLog(const CleanReport& report) { WriteCleanEvent(CleanEventOf(report, CurrentUserName())); }

void ReportRefusalToEventLog(const std::string& reason) {
    WriteCleanEvent(RefusedEventOf(reason, CurrentUserName()));
}

CleanEvent LastEventForTest() {
    std::lock_guard<std::mutex> hold(g_eventLog.lock);
    return g_eventLog.last;
}

int EventsWrittenForTest() {
    std::lock_guard<std::mutex> hold(g_eventLog.lock);
    return g_eventLog.written;
}
