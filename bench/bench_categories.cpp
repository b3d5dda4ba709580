// Times the measurement of every category of the table, as the start-up
// scan runs it, in the benchmark's own (empty) profile.
//   bench_categories.exe RUNS
// Prints one line per category and one for the original seven, the three
// application caches, the four browser stores, and all of them together:
// name, median milliseconds, then the fastest and slowest run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/startup.h"
#include "drives/drive_table.h"
#include "sweep/categories.h"
#include "sweep/measure.h"

namespace {

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Print(const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    printf("%-40s %8.2f %8.2f %8.2f\n", name, times[times.size() / 2], times.front(), times.back());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    InitShell();
    EnumerateDrives();
    std::vector<std::vector<double>> byRow(SWEEP_CATEGORIES);
    std::vector<double> original, added, browsers, all;
    for (int run = 0; run <= runs; ++run) {
        double sums[3] = {};
        for (int row = 0; row < SWEEP_CATEGORIES; ++row) {
            CategoryMeasurement measured;
            double start = NowMs();
            MeasureCategory(row, measured);
            double took = NowMs() - start;
            if (run == 0) continue;  // the first run warms the caches
            byRow[row].push_back(took);
            sums[row >= SWEEP_BROWSER_COOKIES ? 2 : row >= SWEEP_BROWSER_CACHES ? 1 : 0] += took;
        }
        if (run == 0) continue;
        original.push_back(sums[0]);
        added.push_back(sums[1]);
        browsers.push_back(sums[2]);
        all.push_back(sums[0] + sums[1] + sums[2]);
    }
    printf("%-40s %8s %8s %8s\n", "ms per measurement", "median", "min", "max");
    for (int row = 0; row < SWEEP_CATEGORIES; ++row) Print(CategoryAt(row).label, byRow[row]);
    Print("the original seven", original);
    Print("the three application caches", added);
    Print("the four browser stores", browsers);
    Print("all", all);
    return 0;
}
