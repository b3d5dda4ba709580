// Benchmark of the disk scan and the found-files view (not a test; run by
// bench/scan_bench.sh, which also times `du -sb` on the same tree).
//   scan_bench.exe <folder>
// Prints one "name seconds" or "name value" line per measurement.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "drives/disk_scan.h"
#include "bench/bench_clock.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "drives/found_files_dialog.h"
#include "resource.h"

namespace {

// Scans the folder; the best of three runs, in seconds.
// Where the progress dialog's copy of the position would go.
void ShowPosition(const char* folder, const char* file) {
    static char shown[2][256];
    snprintf(shown[0], sizeof shown[0], "%s", folder);
    snprintf(shown[1], sizeof shown[1], "%s", file);
}

double TimeScan(const std::string& folder, bool display) {
    DiskScanProgress progress;
    if (display) progress.position = ShowPosition;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        ClearFoundFiles();
        double start = Now();
        RunDiskScanOfFolders({folder}, progress);
        double took = Now() - start;
        if (took < best) best = took;
    }
    return best;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_scan <folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    g_app.instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    AppendFilter(".tmp", "Temporary", 1);
    AppendFilter(".dat", "Data", 1);

    TimeScan(folder, false);  // warm the caches
    double plain = TimeScan(folder, false);
    double shown = TimeScan(folder, true);
    printf("walk_without_display %.4f\n", plain);
    printf("scan_with_display %.4f\n", shown);
    size_t found = FoundFileCount();
    printf("found_files %zu\n", found);
    if (found) printf("bytes_per_found_file %.1f\n", static_cast<double>(FoundFilesMemoryUse()) / found);

    double start = Now();
    HWND dialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_FOUND_FILES), nullptr, FoundFilesDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    Pump();
    printf("found_dialog_open %.4f\n", Now() - start);
    start = Now();
    SendMessageA(dialog, WM_COMMAND, IDC_FF_CLOSE, 0);  // reads the ticks back
    DestroyWindow(dialog);
    Pump();
    printf("found_dialog_close %.4f\n", Now() - start);
    return 0;
}
