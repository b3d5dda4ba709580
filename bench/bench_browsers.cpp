// Times the browser rows on the benchmark prefix's Chrome profile, which
// scripts/bench.sh fills with large databases before each run.
//   bench_browsers.exe cookies KEEPFILE   cleans the cookies, keeping the
//                                          sites listed one a line
//   bench_browsers.exe history            cleans the history
//   bench_browsers.exe measure            measures the four rows
// Prints "seconds S peak_mb M" (measure: one line per row in ms).
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench_clock.h"
#include "browsers/stores.h"
#include "fs/identity.h"

namespace {

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

class Quiet : public StoreVisitor {
public:
    void OnStoreLeft(const std::wstring&, const std::string& why) override { fprintf(stderr, "left: %s\n", why.c_str()); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    KeepSites keep;
    if (argc > 2) {
        std::ifstream in(argv[2]);
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) keep.sites.push_back(line);
        }
    }
    Quiet visitor;
    if (strcmp(argv[1], "measure") == 0) {
        // The start-up scan reaches these rows after ten others, which have
        // built the protected-folder set that every walk consults: build it
        // here too, and report what it cost, apart.
        double warm = Now();
        IsProtectedIdentity(FileIdentity{});
        printf("protected_set_ms %.1f (paid once per process, before these rows)\n", (Now() - warm) * 1000);
        const char* names[] = {"cookies", "history", "sessions", "forms"};
        const BrowserRow rows[] = {BrowserRow::Cookies, BrowserRow::History, BrowserRow::Sessions, BrowserRow::Forms};
        double total = 0;
        for (int i = 0; i < 4; ++i) {
            double start = Now();
            StoreFigures figures = MeasureBrowserRow(rows[i], keep);
            double ms = (Now() - start) * 1000;
            total += ms;
            printf("measure_%s_ms %.1f entries %llu\n", names[i], ms, figures.entries);
        }
        printf("measure_all_ms %.1f peak_mb %.1f\n", total, PeakMegabytes());
        return 0;
    }
    BrowserRow row = strcmp(argv[1], "history") == 0 ? BrowserRow::History : BrowserRow::Cookies;
    double start = Now();
    StoreFigures figures = CleanBrowserRow(row, keep, visitor);
    printf("seconds %.4f peak_mb %.1f entries %llu\n", Now() - start, PeakMegabytes(), figures.entries);
    return 0;
}
