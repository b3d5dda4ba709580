// Benchmark: DeleteFolderContents (with its link-safety check on every
// file) against `rm -rf` on an identical tree, in the same run; and the
// same delete inside a recorded clean with the journal on against off.
//   delete_bench.exe [folders] [files-per-folder] [bytes-per-file] [runs]
//   (default 200 x 100 files of 0 bytes, 5 runs; a new pair of trees each run)
// Runs only inside a sandboxed Wine prefix: the trees are generated under
// C:\brisola-bench of that prefix, never anywhere else.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sweep/clean_report.h"
#include "sweep/clean_steps.h"
#include "sweep/journal.h"

namespace {

typedef char*(CDECL* UnixNameFunction)(LPCWSTR);

std::string UnixPathOf(const std::string& windowsPath) {
    auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::string();
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return std::string();
    char* result = unixName(wide);
    if (!result) return std::string();
    std::string out = result;
    HeapFree(GetProcessHeap(), 0, result);
    return out;
}

// The bench folder must lie inside this Wine prefix's drive_c.
bool InsideSandbox(const std::string& unixPath) {
    char prefix[1024];
    DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (n == 0 || n >= sizeof prefix) return false;
    std::string root = std::string(prefix) + "/dosdevices/c:/";
    std::string rootReal = std::string(prefix) + "/drive_c/";
    return unixPath.compare(0, root.size(), root) == 0 || unixPath.compare(0, rootReal.size(), rootReal) == 0;
}

bool MakeTree(const std::string& root, int folders, int files, const std::string& content) {
    if (!CreateDirectoryA(root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    char path[MAX_PATH];
    for (int d = 0; d < folders; ++d) {
        snprintf(path, sizeof path, "%s\\dir%04d", root.c_str(), d);
        CreateDirectoryA(path, nullptr);
        for (int f = 0; f < files; ++f) {
            snprintf(path, sizeof path, "%s\\dir%04d\\file%04d.tmp", root.c_str(), d, f);
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            DWORD written = 0;
            if (!content.empty()) WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
            CloseHandle(h);
        }
    }
    return true;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

// One recorded clean of the temp row's report holding only this delete.
double RecordedDelete(const std::string& folder, bool journal, LARGE_INTEGER freq) {
    SetJournalEnabled(journal);
    CategoryTicks ticks{};
    ticks[SWEEP_TEMP] = 1;
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    CleanRecorder recorder;
    recorder.Begin(ticks);
    recorder.BeginCategory(SWEEP_TEMP);
    DeleteFolderContents(folder.c_str(), &recorder);
    recorder.End();
    QueryPerformanceCounter(&b);
    SetJournalEnabled(true);
    return Seconds(a, b, freq);
}

// Runs /bin/rm -rf on the Unix side. Wine's handle of a Unix process does
// not reliably wait for it, so the end is seen when the tree is gone.
bool RemoveWithRm(const std::string& windowsPath, const std::string& unixPath) {
    std::string line = "\\\\?\\unix\\bin\\rm -rf \"" + unixPath + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    while (GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

struct Spread {
    double min, median, max;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return Spread{values.front(), values[values.size() / 2], values.back()};
}

int main(int argc, char** argv) {
    int folders = argc > 1 ? atoi(argv[1]) : 200;
    int files = argc > 2 ? atoi(argv[2]) : 100;
    int bytes = argc > 3 ? atoi(argv[3]) : 0;
    int runs = argc > 4 ? atoi(argv[4]) : 5;
    if (folders <= 0 || files <= 0 || folders > 9999 || files > 9999 || bytes < 0 || bytes > 65536 || runs < 1 ||
        runs > 50) {
        fprintf(stderr, "usage: delete_bench [folders 1..9999] [files 1..9999] [bytes 0..65536] [runs 1..50]\n");
        return 2;
    }
    const std::string base = "C:\\brisola-bench";
    std::string unixBase = UnixPathOf(base);
    if (unixBase.empty() || !InsideSandbox(unixBase)) {
        fprintf(stderr, "delete_bench: %s is not inside a Wine prefix's drive_c; refusing\n", base.c_str());
        return 1;
    }
    CreateDirectoryA(base.c_str(), nullptr);
    const std::string ours = base + "\\ours", theirs = base + "\\rm", empty = base + "\\empty";
    const std::string logged = base + "\\logged", unlogged = base + "\\unlogged";
    const std::string content(static_cast<size_t>(bytes), 'j');
    printf("%d runs, each deleting %d files of %d bytes in %d folders\n", runs, folders * files, bytes, folders);
    fflush(stdout);
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> ourTimes, rmTimes, ratios, journalRatios;
    int left = 0;
    for (int run = 0; run < runs; ++run) {
        if (!MakeTree(ours, folders, files, content) || !MakeTree(theirs, folders, files, content)) {
            fprintf(stderr, "delete_bench: could not generate the trees\n");
            return 1;
        }
        LARGE_INTEGER t0, t1, t2, t3, e0, e1;
        QueryPerformanceCounter(&t0);
        DeleteFolderContents(ours.c_str());
        QueryPerformanceCounter(&t1);
        // Starting a Unix program from Wine has a fixed cost: measured on
        // an empty folder and taken off rm's time.
        CreateDirectoryA(empty.c_str(), nullptr);
        QueryPerformanceCounter(&e0);
        RemoveWithRm(empty, UnixPathOf(empty));
        QueryPerformanceCounter(&e1);
        QueryPerformanceCounter(&t2);
        RemoveWithRm(theirs, UnixPathOf(theirs));
        QueryPerformanceCounter(&t3);
        // What DeleteFolderContents left is a failure of the run, not a result.
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((ours + "\\*.*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) ++left;
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        double ourSeconds = Seconds(t0, t1, freq);
        double rmSeconds = Seconds(t2, t3, freq) - Seconds(e0, e1, freq);
        if (rmSeconds <= 0) rmSeconds = Seconds(t2, t3, freq);
        ourTimes.push_back(ourSeconds);
        rmTimes.push_back(rmSeconds);
        ratios.push_back(ourSeconds / rmSeconds);
        // The journal's cost: the same recorded clean with it off, then on.
        if (!MakeTree(unlogged, folders, files, content) || !MakeTree(logged, folders, files, content)) {
            fprintf(stderr, "delete_bench: could not generate the trees\n");
            return 1;
        }
        double off = RecordedDelete(unlogged, false, freq);
        double on = RecordedDelete(logged, true, freq);
        journalRatios.push_back(on / off);
    }
    Spread o = SpreadOf(ourTimes), r = SpreadOf(rmTimes), q = SpreadOf(ratios);
    printf("DeleteFolderContents s: min %.2f median %.2f max %.2f (%d entries left)\n", o.min, o.median, o.max, left);
    printf("rm -rf s:               min %.2f median %.2f max %.2f\n", r.min, r.median, r.max);
    printf("ratio per run:          min %.2fx median %.2fx max %.2fx\n", q.min, q.median, q.max);
    Spread j = SpreadOf(journalRatios);
    printf("journal on / off:       min %.2fx median %.2fx max %.2fx (target < 1.10)\n", j.min, j.median, j.max);
    RemoveWithRm(ours, UnixPathOf(ours));
    RemoveWithRm(logged, UnixPathOf(logged));
    RemoveWithRm(unlogged, UnixPathOf(unlogged));
    RemoveDirectoryA(base.c_str());
    return left == 0 ? 0 : 1;
}
