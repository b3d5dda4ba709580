#include "sweep/sysinfo.h"

#include <atomic>
#include <new>
#include <string>

#include "sweep/categories.h"
#include "sweep/measure.h"
#include "sweep/sweep.h"

namespace {

const char kDoneMark[] = " [OK]\r\n";
const char kRule[] = "...............................................................\r\n";
const char kEndLine[] = "COMPLETED!\r\n";

std::atomic<bool> g_stopScan{false};
std::atomic<SystemScanReporter> g_reporter{nullptr};

void Report(SystemScanStage stage, const char* text = nullptr) {
    if (SystemScanReporter reporter = g_reporter) reporter(stage, text);
}

}  // namespace

void SetSystemScanReporter(SystemScanReporter reporter) { g_reporter = reporter; }

void RunSystemScan() {
    Report(SystemScanStage::Started);
    // The figures of this run are published together at the end; each
    // category's only where nothing measured it later meanwhile.
    CategoryMeasurement measured[SWEEP_COUNT];
    std::string text;
    bool first = true;
    // A heading per category in table order; the disk scan's row has none.
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        const char* heading = CategoryAt(i).heading;
        if (!heading) continue;
        if (g_stopScan) return;
        if (!first) text += kDoneMark;
        first = false;
        text += heading;
        Report(SystemScanStage::Progress, text.c_str());
        MeasureCategory(i, measured[i]);
    }
    text += kDoneMark;
    Report(SystemScanStage::Progress, text.c_str());
    text += kRule;
    Report(SystemScanStage::Progress, text.c_str());
    text += kEndLine;
    Report(SystemScanStage::Finished, text.c_str());
    PublishMeasuredCategories(measured);
    Report(SystemScanStage::Completed);
}

DWORD WINAPI SystemScanThread(LPVOID) {
    try {
        RunSystemScan();
        // Ticks the user changed during the scan stay as they are: the
        // table holds them.
        if (!g_stopScan) AnnounceSweepChange();
    } catch (const std::bad_alloc&) {
        if (!g_stopScan) Report(SystemScanStage::OutOfMemory);
    }
    return 0;
}

void StopSystemScan() { g_stopScan = true; }

void AllowSystemScan() { g_stopScan = false; }
