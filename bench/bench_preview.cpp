// Benchmark of the preview dialog (not a test; run by scripts/bench.sh
// preview): the temp row's walk alone, then the dialog opened on the same
// folder (walk included, so the time after the walk is the difference),
// closed, and the bytes the listing keeps per file.
//   bench_preview.exe <folder> [runs]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "resource.h"
#include "bench/bench_clock.h"
#include "sweep/preview.h"
#include "sweep/preview_dialog.h"
#include "sweep/sweep.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PrintSpread(const char* name, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    printf("%s s: min %.3f median %.3f max %.3f\n", name, values.front(), values[values.size() / 2], values.back());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    if (argc < 2 || runs < 1 || runs > 50) {
        fprintf(stderr, "usage: bench_preview <folder> [runs 1..50]\n");
        return 2;
    }
    // The temp row previews %TEMP%: point it at the bench tree.
    SetEnvironmentVariableA("TMP", argv[1]);
    SetEnvironmentVariableA("TEMP", argv[1]);
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::vector<double> walks, opens, afterWalk, closes;
    size_t files = 0, memory = 0;
    for (int run = 0; run < runs; ++run) {
        PreviewList list;
        double start = Now();
        PreviewCategory(SWEEP_TEMP, list);
        double walk = Now() - start;
        files = list.size();
        memory = list.MemoryUse();

        start = Now();
        HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PREVIEW), nullptr, PreviewDialogProc, SWEEP_TEMP);
        if (!dialog) {
            fprintf(stderr, "bench_preview: the dialog did not open\n");
            return 1;
        }
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Pump();
        double open = Now() - start;
        start = Now();
        DestroyWindow(dialog);
        Pump();
        walks.push_back(walk);
        opens.push_back(open);
        afterWalk.push_back(std::max(0.0, open - walk));
        closes.push_back(Now() - start);
    }
    printf("%zu items listed, %.1f bytes each (target < 64)\n", files, files ? double(memory) / double(files) : 0.0);
    PrintSpread("walk alone         ", walks);
    PrintSpread("dialog open        ", opens);
    PrintSpread("open after the walk", afterWalk);
    PrintSpread("close              ", closes);
    printf("targets: open after the walk < 0.5 s, close < 0.1 s\n");
    return 0;
}
