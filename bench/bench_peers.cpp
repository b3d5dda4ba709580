// Wine's floor for deleting a tree: a plain FindFirstFileW walk that
// deletes every file with DeleteFileW and every folder with
// RemoveDirectoryW, with no check at all. scripts/bench.sh peers times it
// as a whole process beside `del /s /q` and brisolac.
//   bench_peers.exe FOLDER          deletes everything below FOLDER
//   bench_peers.exe --clean FOLDER  empties FOLDER by a recorded clean, as
//                                   brisolac does, and prints the peak memory
// Runs only inside the benchmark's sandboxed Wine prefix.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "fs/tree.h"
#include "sweep/clean_report.h"
#include "sweep/clean_steps.h"

namespace {

unsigned long long g_files = 0, g_folders = 0, g_failed = 0;

void Empty(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Empty(path);
            if (RemoveDirectoryW(path.c_str())) ++g_folders; else ++g_failed;
        } else {
            if (DeleteFileW(path.c_str())) ++g_files; else ++g_failed;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// The peak working set, from kernel32 where Windows 7 and Wine keep it.
unsigned long long PeakBytes() {
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo");
    if (!proc) return 0;
    auto query = reinterpret_cast<decltype(&GetProcessMemoryInfo)>(reinterpret_cast<void*>(proc));
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return query(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

int RecordedClean(const char* folder) {
    unsigned long long before = PeakBytes();
    CategoryTicks ticks{};
    ticks[SWEEP_TEMP] = 1;
    CleanRecorder recorder;
    recorder.Begin(ticks);
    recorder.BeginCategory(SWEEP_TEMP);
    DWORD start = GetTickCount();
    DeleteFolderContents(folder, &recorder);
    DWORD took = GetTickCount() - start;
    recorder.End();
    CleanReport report = CopyLastCleanReport();
    printf("recorded clean: %llu items deleted, %llu left, %lu ms\n", report.itemsDeleted, report.itemsLeft,
           static_cast<unsigned long>(took));
    printf("peak working set: %.1f MB at start, %.1f MB after (target under 64 MB)\n", before / 1048576.0,
           PeakBytes() / 1048576.0);
    return report.itemsLeft ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--clean") == 0) return RecordedClean(argv[2]);
    wchar_t folder[MAX_PATH];
    if (argc != 2 || !MultiByteToWideChar(CP_ACP, 0, argv[1], -1, folder, MAX_PATH)) {
        fprintf(stderr, "usage: bench_peers FOLDER\n");
        return 2;
    }
    Empty(folder);
    printf("deleted %llu files, %llu folders, %llu failed\n", g_files, g_folders, g_failed);
    return g_failed ? 1 : 0;
}
