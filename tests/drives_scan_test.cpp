// The disk scan by filters: the matching rules, the counters and what a
// completed or stopped scan publishes, links, long paths, the stop, and
// commands that run while a scan does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> FoundPaths() {
    std::vector<std::string> out;
    for (const FoundFile& f : CopyFoundFiles()) out.push_back(f.location + "\\" + f.name);
    return out;
}

// The two totals as "checked/found".
std::string Totals() {
    unsigned long long checked = 0, found = 0;
    GetFoundFilesTotals(&checked, &found);
    return std::to_string(checked) + "/" + std::to_string(found);
}

class DiskScanTest : public testing::Test {
protected:
    void SetUp() override {
        ClearDriveCleaner();
        SetScanStopTest(nullptr);
        root = MakeSandboxFolder("scan");
    }
    void TearDown() override {
        SetScanStopTest(nullptr);
        ClearDriveCleaner();
        RemoveTree(root);
    }
    std::string root;
};

// Every matching filter records the file once; sizes are full 64-bit values.
TEST_F(DiskScanTest, FirstDotAndWholeNameRulesByteForByte) {
    AppendFilter(".tmp", "Temporary", 1);
    AppendFilter(".tmp", "Twice", 1);
    AppendFilter(".gz", "Gzip", 1);
    AppendFilter(".tar.gz", "Tarballs", 1);
    AppendFilter("thumbs.db", "Thumbnails", 1);
    AppendFilter(".log", "Logs, unticked", 0);
    AppendFilter("Makefile", "No dot", 1);
    for (const char* name : {"archive.tar.gz", "a.gz", ".tmp", "thumbs.db", "x.thumbs.db", "Makefile", "noext",
                             "run.log", "b.tmp.bak"})
        ASSERT_TRUE(MakeFile(root + "\\" + name, 10));
    ASSERT_TRUE(MakeFile(root + "\\report.tmp", 5ULL << 30));
    // Names differing only in case, in a folder of their own.
    CreateDirectoryA((root + "\\caps").c_str(), nullptr);
    ASSERT_TRUE(MakeFile(root + "\\caps\\REPORT.TMP", 10));
    ASSERT_TRUE(MakeFile(root + "\\caps\\Thumbs.db", 10));
    CreateDirectoryA((root + "\\sub.tmp").c_str(), nullptr);  // a folder is never recorded
    ASSERT_TRUE(MakeFile(root + "\\sub.tmp\\deep.tmp", 5));

    ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    auto found = FoundPaths();
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = {root + "\\.tmp",           root + "\\.tmp",
                                         root + "\\a.gz",           root + "\\archive.tar.gz",
                                         root + "\\report.tmp",     root + "\\report.tmp",
                                         root + "\\sub.tmp\\deep.tmp", root + "\\sub.tmp\\deep.tmp",
                                         root + "\\thumbs.db"};
    EXPECT_EQ(found, expected);
    for (const FoundFile& f : CopyFoundFiles()) EXPECT_TRUE(f.checked);
    EXPECT_EQ(Totals(), "13/9");  // every file seen, dotless ones too
    DiskScanReport report = GetDiskScanReport();
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.files, 9u);
    EXPECT_EQ(report.bytes, 2 * (10 + (5ULL << 30) + 5) + 30);

    // No enabled filter: the old totals give way to zeros.
    ClearDriveCleaner();
    AppendFilter(".tmp", "Off", 0);
    SetFoundFilesTotals(7, 7);
    ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    EXPECT_EQ(Totals(), "13/0");
    EXPECT_EQ(FoundFileCount(), 0u);
    EXPECT_EQ(GetDiskScanReport().bytes, 0u);
}

std::atomic<int> g_stopCalls{0};
std::atomic<int> g_stopAfter{0};
bool StopAfterSomeCalls() { return ++g_stopCalls > g_stopAfter.load(); }

TEST_F(DiskScanTest, StopEndsTheScanWithinOneFileAndKeepsWhatWasFound) {
    AppendFilter(".tmp", "Temporary", 1);
    for (int folder = 0; folder < 3; ++folder) {
        std::string dir = root + "\\f" + std::to_string(folder);
        CreateDirectoryA(dir.c_str(), nullptr);
        for (int i = 0; i < 20; ++i) ASSERT_TRUE(MakeFile(dir + "\\" + std::to_string(i) + ".tmp", 1));
    }
    // A completed scan first, whose totals the stopped one must keep.
    ASSERT_EQ(RunDiskScanOfFolders({root + "\\f0"}), 1);
    ClearFoundFiles();

    g_stopCalls = 0;
    // A yes on the 31st question: the root, a folder, its 20 files, a
    // second folder and 7 of its files were seen before it.
    g_stopAfter = 30;
    SetScanStopTest(StopAfterSomeCalls);
    EXPECT_EQ(RunDiskScanOfFolders({root}), 0);
    EXPECT_EQ(g_stopCalls.load(), 31);  // not asked again after the yes
    EXPECT_EQ(FoundFileCount(), 27u);
    EXPECT_EQ(Totals(), "20/20");  // from the completed scan
    EXPECT_EQ(GetDiskScanReport().files, 20u);

    // Stopped at once: nothing found, nothing published.
    ClearFoundFiles();
    g_stopCalls = 0;
    g_stopAfter = 0;
    EXPECT_EQ(RunDiskScanOfFolders({root}), 0);
    EXPECT_EQ(FoundFileCount(), 0u);
}

// A stop test that holds the scan at its first question until the test
// thread has changed everything the scan must not see.
HANDLE g_scanRunning, g_changesMade;
bool HoldTheScan() {
    static std::atomic<bool> first{true};
    if (first.exchange(false)) {
        SetEvent(g_scanRunning);
        WaitForSingleObject(g_changesMade, 20000);
    }
    return false;
}

struct ScanArgs {
    std::string root;
    int result;
};

DWORD WINAPI ScanThread(LPVOID param) {
    auto* args = static_cast<ScanArgs*>(param);
    args->result = RunDiskScanOfFolders({args->root});
    return 0;
}

TEST_F(DiskScanTest, CommandsDuringAScanDoNotReachIt) {
    AppendFilter(".tmp", "Temporary", 1);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(MakeFile(root + "\\" + std::to_string(i) + ".tmp", 3));
    ASSERT_TRUE(MakeFile(root + "\\other.bak", 3));
    g_scanRunning = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_changesMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetScanStopTest(HoldTheScan);
    ScanArgs args{root, -1};
    HANDLE thread = CreateThread(nullptr, 0, ScanThread, &args, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(g_scanRunning, 20000), WAIT_OBJECT_0);
    // Remove and add filters, read the array and the totals meanwhile.
    ClearFilterTable();
    AppendFilter(".bak", "Backups", 1);
    EXPECT_EQ(FoundFileCount(), 0u);
    SetEvent(g_changesMade);
    for (int i = 0; WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; ++i) {
        AppendFilter(".x", "churn", 1);
        CopyFilterTable();
        CopyFoundFiles();
        Totals();
    }
    CloseHandle(thread);
    CloseHandle(g_scanRunning);
    CloseHandle(g_changesMade);
    EXPECT_EQ(args.result, 1);
    // The scan used the filters of its start.
    EXPECT_EQ(FoundFileCount(), 60u);
    EXPECT_EQ(GetDiskScanReport().files, 60u);
    EXPECT_EQ(GetDiskScanReport().bytes, 180u);
}

}  // namespace
