#include "jobs/startup_scan.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>
#include <string>

#include "sweep/categories.h"
#include "sweep/measure.h"
#include "sweep/sweep.h"
#include "jobs/threads.h"

namespace {

const char kDoneMark[] = " [OK]\r\n";
const char kRule[] = "...............................................................\r\n";
const char kEndLine[] = "COMPLETED!\r\n";
const char kFinalMessage[] = "Checking System Information successfully completed!\r\n";

struct SystemScanState {
    std::atomic<bool> stop{false};
    ChangeNotice notice;
    std::mutex lock;      // guards the view
    SystemScanView view;  // what changed since the last pull
};
SystemScanState g_scan;

template <typename Change>
void Report(Change change) {
    {
        std::lock_guard<std::mutex> hold(g_scan.lock);
        change(g_scan.view);
    }
    g_scan.notice.Post();
}

void ShowReport(const std::string& text) {
    Report([&text](SystemScanView& v) {
        v.report = text;
        v.reportChanged = true;
    });
}

void ShowLine(const std::string& line) {
    Report([&line](SystemScanView& v) {
        v.line = line;
        v.lineChanged = true;
    });
}

// Each address the URL-cache measuring counts, from whichever thread
// measures; a line that would be cut is never shown.
void NoteCheckedEntry(const char* url) {
    char line[512];
    int n = snprintf(line, sizeof line, "Checking file:%s\r\n", url);
    if (n < 0 || n >= static_cast<int>(sizeof line)) return;
    ShowLine(line);
}

}  // namespace

void SetSystemScanWindow(HWND window, UINT message) {
    g_scan.notice.Target(window, message);
    SetUrlCacheWatcher(window ? NoteCheckedEntry : nullptr);
}

SystemScanView TakeSystemScanView() {
    g_scan.notice.Taken();
    std::lock_guard<std::mutex> hold(g_scan.lock);
    SystemScanView view = g_scan.view;
    g_scan.view = SystemScanView();
    g_scan.view.report = view.report;
    g_scan.view.line = view.line;
    return view;
}

void RunSystemScan() {
    Report([](SystemScanView& v) { v.started = true; });
    // The figures of this run are published together at the end; each
    // category's only where nothing measured it later meanwhile.
    CategoryMeasurement measured[SWEEP_COUNT];
    std::string text;
    bool first = true;
    // A heading per category in table order; the disk scan's row has none.
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        const char* heading = CategoryAt(i).heading;
        if (!heading) continue;
        if (g_scan.stop) return;
        if (!first) text += kDoneMark;
        first = false;
        text += heading;
        ShowReport(text);
        MeasureCategory(i, measured[i]);
    }
    text += kDoneMark;
    ShowReport(text);
    text += kRule;
    ShowReport(text);
    text += kEndLine;
    ShowReport(text);
    ShowLine(kFinalMessage);
    PublishMeasuredCategories(measured);
    if (!g_scan.stop) Report([](SystemScanView& v) { v.completed = true; });
}

DWORD WINAPI SystemScanThread(LPVOID) {
    try {
        RunSystemScan();
        // Ticks the user changed during the scan stay as they are: the
        // table holds them.
        if (!g_scan.stop) AnnounceSweepChange();
    } catch (const std::bad_alloc&) {
        if (!g_scan.stop) Report([](SystemScanView& v) { v.outOfMemory = true; });
    }
    return 0;
}

void StopSystemScan() { g_scan.stop = true; }

void AllowSystemScan() { g_scan.stop = false; }
