// The measuring walks on real folder trees, and the categories measured
// together (each category's own figures: clean_engine_test).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "clean_support.h"
#include "sweep/measure.h"
#include "sweep/sweep.h"

namespace {

ScanCounters Measure(const std::string& folder) {
    ScanCounters counters;
    MeasureFolder(folder.c_str(), counters);
    return counters;
}

void ExpectCounts(const ScanCounters& c, unsigned long long files, unsigned long long folders,
                  unsigned long long bytes) {
    EXPECT_EQ(c.files, files);
    EXPECT_EQ(c.folders, folders);
    EXPECT_EQ(c.bytes, bytes);
}

void MakeDir(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

// A tree with every skip rule: 3 counted files (10+20+5 GiB bytes, a
// size past 32 bits) and 2 counted folders (sub, content.ie5).
TEST(MeasureFolder, FollowsTheSkipRulesAndCountsFull64BitSizes) {
    const unsigned long long fiveGiB = 5ULL << 30;
    std::string root = MakeSandboxFolder("skip-rules");
    for (const char* dir : {"\\Content.IE5", "\\XHistory.IE5x", "\\sub", "\\sub\\content.ie5"}) MakeDir(root + dir);
    // The file system ignores letter case, so the other spelling lives apart.
    const struct {
        const char* name;
        unsigned long long size;
    } files[] = {{"\\Content.IE5\\cached.htm", 1000}, {"\\XHistory.IE5x\\visit.url", 1000},
                 {"\\sub\\content.ie5\\page.htm", 10}, {"\\sub\\data.DAT", 20},
                 {"\\sub\\index.dat", 500}, {"\\report.database", 700}, {"\\huge.bin", fiveGiB}};
    for (const auto& f : files) ASSERT_TRUE(MakeFile(root + f.name, f.size)) << f.name;
    ExpectCounts(Measure(root), 3, 2, fiveGiB + 30);
    // A trailing backslash on the walked folder changes nothing.
    ExpectCounts(Measure(root + "\\"), 3, 2, fiveGiB + 30);
    RemoveTree(root);
}

std::string MakeWideTree(const std::string& name, unsigned long long& files, unsigned long long& folders,
                         unsigned long long& bytes) {
    std::string root = MakeSandboxFolder(name);
    files = folders = bytes = 0;
    for (int i = 0; i < 4; ++i) {
        std::string child = root + "\\f" + std::to_string(i);
        CreateDirectoryA(child.c_str(), nullptr);
        for (int j = 0; j < 4; ++j) {
            std::string leaf = child + "\\g" + std::to_string(j);
            CreateDirectoryA(leaf.c_str(), nullptr);
            MakeFile(leaf + "\\x.tmp", i * 4 + j + 1);
            bytes += i * 4 + j + 1;
        }
        folders += 5;
        files += 4;
    }
    return root;
}

// --- the categories together ------------------------------------------------

struct FakeFolders {
    std::string cookies, recent, history;
    bool relativeHistory = false;
};
FakeFolders g_fake;

HRESULT WINAPI FakeFolderPath(HWND, int csidl, HANDLE, DWORD, LPSTR out) {
    const std::string* path = nullptr;
    if (csidl == CSIDL_COOKIES) path = &g_fake.cookies;
    if (csidl == CSIDL_RECENT) path = &g_fake.recent;
    if (csidl == CSIDL_HISTORY) path = &g_fake.history;
    if (csidl == CSIDL_HISTORY && g_fake.relativeHistory) {
        strcpy(out, "brisola-tests");
        return S_OK;
    }
    if (!path || path->empty()) {
        out[0] = '\0';  // as Wine leaves it on failure
        return E_FAIL;
    }
    strcpy(out, path->c_str());
    return S_OK;
}

class CategoriesTest : public testing::Test {
protected:
    void SetUp() override {
        ResetSweepTableForTest();
        savedFolderPath_ = g_app.folderPath;
        g_app.folderPath = FakeFolderPath;
        g_fake = FakeFolders();
    }
    void TearDown() override {
        g_app.folderPath = savedFolderPath_;
        RemoveTree(temp_);
        ResetSweepTableForTest();
    }
    FolderPathFunction savedFolderPath_ = nullptr;
    std::string temp_ = MakeSandboxFolder("cat-temp");
    cleantest::TempFolderOverride override_{temp_ + "\\"};
};

void ExpectRecord(const SweepCategory& r, unsigned long long files, unsigned long long folders,
                  unsigned long long bytes) {
    EXPECT_EQ(r.files, files) << r.label;
    EXPECT_EQ(r.folders, folders) << r.label;
    EXPECT_EQ(r.bytes, bytes) << r.label;
}

TEST_F(CategoriesTest, AFailedLookupGivesZerosNotTheLastPath) {
    g_fake.cookies = MakeSandboxFolder("cat-cookies");
    MakeFile(g_fake.cookies + "\\a@site.txt", 100);
    g_fake.relativeHistory = true;  // recent fails, history is not absolute
    MeasureCategories();
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    ExpectRecord(t[SWEEP_COOKIES], 1, 0, 100);
    ExpectRecord(t[SWEEP_RECENT], 0, 0, 0);
    ExpectRecord(t[SWEEP_HISTORY], 0, 0, 0);

    g_app.folderPath = nullptr;  // shfolder.dll missing
    MeasureCategories();
    GetSweepTable(t);
    ExpectRecord(t[SWEEP_COOKIES], 0, 0, 0);
    ExpectRecord(t[SWEEP_RECENT], 0, 0, 0);
    ExpectRecord(t[SWEEP_HISTORY], 0, 0, 0);
    RemoveTree(g_fake.cookies);
}

TEST_F(CategoriesTest, OverlappingMeasurementsPublishWholeTables) {
    g_fake.cookies = MakeSandboxFolder("cat-cookies");
    unsigned long long files, folders, bytes;
    std::string tree = MakeWideTree("cat-recent", files, folders, bytes);
    g_fake.recent = tree;
    std::vector<std::thread> runs;
    for (int i = 0; i < 3; ++i) runs.emplace_back([] { MeasureCategories(); });
    runs.emplace_back([] {
        for (int i = 1; i <= 50; ++i) PublishOtherTemporaryFiles(i, 100ULL * i);
    });
    bool consistent = true;
    for (int i = 0; i < 200; ++i) {
        SweepCategory t[SWEEP_COUNT];
        GetSweepTable(t);
        unsigned long long sum = 0;
        for (int k = 0; k < SWEEP_CATEGORIES; ++k) sum += t[k].files;
        if (sum != t[SWEEP_TOTALS].files) consistent = false;
        if (t[SWEEP_RECENT].files != 0 && t[SWEEP_RECENT].files != files) consistent = false;
    }
    for (std::thread& run : runs) run.join();
    EXPECT_TRUE(consistent);
    SweepCategory t[SWEEP_COUNT];
    GetSweepTable(t);
    ExpectRecord(t[SWEEP_RECENT], files, folders, bytes);
    ExpectRecord(t[SWEEP_OTHER], 50, 0, 5000);
    RemoveTree(tree);
    RemoveTree(g_fake.cookies);
}

}  // namespace
