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
#include "support/test_support.h"
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

// A tree with every skip rule: 3 counted files (10+20+30 bytes) and 2
// counted folders (sub, content.ie5).
std::string MakeSkipTree(const std::string& name) {
    std::string root = MakeSandboxFolder(name);
    MakeDir(root + "\\Content.IE5");
    MakeFile(root + "\\Content.IE5\\cached.htm", 1000);
    MakeDir(root + "\\XHistory.IE5x");
    MakeFile(root + "\\XHistory.IE5x\\visit.url", 1000);
    MakeDir(root + "\\sub");
    // The file system ignores letter case, so the other spelling lives apart.
    MakeDir(root + "\\sub\\content.ie5");
    MakeFile(root + "\\sub\\content.ie5\\page.htm", 10);
    MakeFile(root + "\\sub\\data.DAT", 20);
    MakeFile(root + "\\sub\\index.dat", 500);
    MakeFile(root + "\\report.database", 700);
    MakeFile(root + "\\notes.txt", 30);
    return root;
}

TEST(MeasureFolder, FollowsTheSkipRules) {
    std::string root = MakeSkipTree("skip-rules");
    ExpectCounts(Measure(root), 3, 2, 60);
    // A trailing backslash on the walked folder changes nothing.
    ExpectCounts(Measure(root + "\\"), 3, 2, 60);
    RemoveTree(root);
}

TEST(MeasureFolder, CountsSizesAsFull64BitValues) {
    std::string root = MakeSandboxFolder("huge");
    const unsigned long long fiveGiB = 5ULL << 30;
    ASSERT_TRUE(MakeFile(root + "\\huge.bin", fiveGiB));
    MakeFile(root + "\\small.bin", 7);
    ExpectCounts(Measure(root), 2, 0, fiveGiB + 7);
    RemoveTree(root);
}

std::string MakeWideTree(const std::string& name, int width, int depth, unsigned long long& files,
                         unsigned long long& folders, unsigned long long& bytes) {
    std::string root = MakeSandboxFolder(name);
    files = folders = bytes = 0;
    std::vector<std::string> level = {root};
    for (int d = 0; d < depth; ++d) {
        std::vector<std::string> next;
        for (const std::string& parent : level)
            for (int i = 0; i < width; ++i) {
                std::string child = parent + "\\f" + std::to_string(i);
                CreateDirectoryA(child.c_str(), nullptr);
                ++folders;
                unsigned long long size = static_cast<unsigned long long>(d * 7 + i + 1);
                MakeFile(child + "\\x" + std::to_string(i) + ".tmp", size);
                ++files;
                bytes += size;
                next.push_back(child);
            }
        level = next;
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
        char temp[MAX_PATH] = {};
        savedTmp_ = GetEnvironmentVariableA("TMP", temp, sizeof temp) ? temp : "";
        temp_ = MakeSandboxFolder("cat-temp");
        SetEnvironmentVariableA("TMP", (temp_ + "\\").c_str());
    }
    void TearDown() override {
        g_app.folderPath = savedFolderPath_;
        SetEnvironmentVariableA("TMP", savedTmp_.empty() ? nullptr : savedTmp_.c_str());
        RemoveTree(temp_);
        ResetSweepTableForTest();
    }
    FolderPathFunction savedFolderPath_ = nullptr;
    std::string savedTmp_, temp_;
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
    std::string tree = MakeWideTree("cat-recent", 4, 2, files, folders, bytes);
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
