// Times the measuring walk of one folder tree.
//   bench_walk.exe FOLDER RUNS
// Prints one line per walker: name, median milliseconds, files, folders,
// bytes, then the fastest and slowest run. The walkers: a plain FindFirstFileA recursion (the baseline),
// and MeasureFolder, the handle-anchored walk of the file layer.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sweep/measure.h"

namespace {

void PlainWalk(const std::string& folder, ScanCounters& c) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
            ++c.folders;
            PlainWalk(folder + "\\" + data.cFileName, c);
        } else {
            ++c.files;
            c.bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Walk>
void Time(const char* name, int runs, Walk walk) {
    std::vector<double> times;
    ScanCounters last;
    for (int i = 0; i < runs; ++i) {
        ScanCounters c;
        double start = NowMs();
        walk(c);
        times.push_back(NowMs() - start);
        last = c;
    }
    std::sort(times.begin(), times.end());
    printf("%s %.1f %llu %llu %llu %.1f %.1f\n", name, times[times.size() / 2], last.files, last.folders, last.bytes,
           times.front(), times.back());
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_walk FOLDER RUNS\n");
        return 2;
    }
    std::string folder = argv[1];
    int runs = std::max(1, atoi(argv[2]));
    ScanCounters warm;
    MeasureFolder(folder.c_str(), warm);  // warm the caches once
    Time("plain", runs, [&](ScanCounters& c) { PlainWalk(folder, c); });
    Time("handles", runs, [&](ScanCounters& c) { MeasureFolder(folder.c_str(), c); });
    return 0;
}
