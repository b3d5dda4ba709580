// Benchmark: DeleteFolderContents (with its link-safety check on every
// file) against `rm -rf` on an identical tree, in the same run.
//   delete_bench.exe [folders] [files-per-folder]     (default 1000 x 100)
// Runs only inside a sandboxed Wine prefix: the trees are generated under
// C:\brisola-bench of that prefix, never anywhere else.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sweep/cleaning.h"

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

bool MakeTree(const std::string& root, int folders, int files) {
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
            WriteFile(h, "junk", 4, &written, nullptr);
            CloseHandle(h);
        }
    }
    return true;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
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

int main(int argc, char** argv) {
    int folders = argc > 1 ? atoi(argv[1]) : 1000;
    int files = argc > 2 ? atoi(argv[2]) : 100;
    if (folders <= 0 || files <= 0 || folders > 9999 || files > 9999) {
        fprintf(stderr, "usage: delete_bench [folders 1..9999] [files 1..9999]\n");
        return 2;
    }
    const std::string base = "C:\\brisola-bench";
    std::string unixBase = UnixPathOf(base);
    if (unixBase.empty() || !InsideSandbox(unixBase)) {
        fprintf(stderr, "delete_bench: %s is not inside a Wine prefix's drive_c; refusing\n", base.c_str());
        return 1;
    }
    CreateDirectoryA(base.c_str(), nullptr);
    const std::string ours = base + "\\ours", theirs = base + "\\rm";
    printf("generating 2 x %d files in %d folders under %s ...\n", folders * files, folders, base.c_str());
    fflush(stdout);
    if (!MakeTree(ours, folders, files) || !MakeTree(theirs, folders, files)) {
        fprintf(stderr, "delete_bench: could not generate the trees\n");
        return 1;
    }
    LARGE_INTEGER freq, t0, t1, t2, t3;
    QueryPerformanceFrequency(&freq);

    QueryPerformanceCounter(&t0);
    DeleteFolderContents(ours.c_str());
    QueryPerformanceCounter(&t1);

    // Starting a Unix program from Wine has a fixed cost: measured on an
    // empty folder and taken off rm's time.
    const std::string empty = base + "\\empty";
    CreateDirectoryA(empty.c_str(), nullptr);
    LARGE_INTEGER e0, e1;
    QueryPerformanceCounter(&e0);
    RemoveWithRm(empty, UnixPathOf(empty));
    QueryPerformanceCounter(&e1);
    double startCost = Seconds(e0, e1, freq);

    QueryPerformanceCounter(&t2);
    RemoveWithRm(theirs, UnixPathOf(theirs));
    QueryPerformanceCounter(&t3);

    // What DeleteFolderContents left is a failure of the run, not a result.
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((ours + "\\*.*").c_str(), &data);
    int left = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) ++left;
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    double ourSeconds = Seconds(t0, t1, freq), rmSeconds = Seconds(t2, t3, freq) - startCost;
    if (rmSeconds <= 0) rmSeconds = Seconds(t2, t3, freq);
    printf("(starting rm costs %.2f s, taken off)\n", startCost);
    printf("DeleteFolderContents: %.2f s (%d top-level entries left)\n", ourSeconds, left);
    printf("rm -rf:               %.2f s\n", rmSeconds);
    printf("ratio:                %.1fx (target <= 10x)\n", rmSeconds > 0 ? ourSeconds / rmSeconds : 0.0);
    RemoveWithRm(ours, UnixPathOf(ours));
    RemoveDirectoryA(base.c_str());
    return left == 0 ? 0 : 1;
}
