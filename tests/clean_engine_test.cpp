// The cleaning engine: folder emptying and its link and path safety, the
// guard on category folders and the work of each cleaning step.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "app/app_state.h"
#include "clean_support.h"
#include "settings/settings.h"
#include "sweep/cleaning.h"

using namespace cleantest;

namespace {

const BYTE kNone[7] = {0, 0, 0, 0, 0, 0, 0};
const BYTE kAll[7] = {1, 1, 1, 1, 1, 1, 1};

class CleanEngineTest : public testing::Test {
protected:
    void SetUp() override {
        ResetCleaningAbort();
        savedAskDel_ = g_settings.askDel;
        g_settings.askDel = 0;
    }
    void TearDown() override { g_settings.askDel = savedAskDel_; }
    BYTE savedAskDel_ = 0;
};

// A category folder with junk, a read-only file, and links to folders and
// a file outside it; beside it a canary and the link targets.
struct LinkedTree {
    std::string root, folder, outside, emptyOutside;
    bool linked = false;
    explicit LinkedTree(const std::string& name) {
        root = MakeSandboxFolder(name);
        folder = root + "\\category";
        outside = root + "\\outside";
        emptyOutside = root + "\\empty-outside";
        for (const std::string& dir : {folder, outside, emptyOutside, folder + "\\sub", folder + "\\sub\\deep",
                                       folder + "\\locked", folder + "\\links"})
            CreateDirectoryA(dir.c_str(), nullptr);
        MakeFile(root + "\\beside.txt", 5);
        MakeFile(outside + "\\canary.txt", 7);
        MakeFile(outside + "\\file-target.txt", 9);
        MakeFile(folder + "\\a.tmp", 10);
        MakeFile(folder + "\\empty.tmp", 0);
        MakeFile(folder + "\\sub\\b.tmp", 20);
        MakeFile(folder + "\\sub\\deep\\c.tmp", 30);
        MakeFile(folder + "\\locked\\readonly.tmp", 40);
        SetFileAttributesA((folder + "\\locked\\readonly.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
        linked = MakeLink(outside, folder + "\\links\\dirlink", true) &&
                 MakeLink(emptyOutside, folder + "\\links\\emptylink", true) &&
                 MakeLink(outside + "\\file-target.txt", folder + "\\links\\filelink.txt", false);
    }
    ~LinkedTree() {
        SetFileAttributesA((folder + "\\locked\\readonly.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveTree(root);
    }
    void ExpectOutsideUntouched() const {
        EXPECT_TRUE(linked) << "the links were not made";
        for (const std::string& file : {root + "\\beside.txt", outside + "\\canary.txt", outside + "\\file-target.txt"})
            EXPECT_TRUE(FileExists(file)) << file;
        EXPECT_TRUE(DirExists(emptyOutside));
        EXPECT_TRUE(IsDirectoryLink(folder + "\\links\\dirlink"));
        EXPECT_TRUE(IsDirectoryLink(folder + "\\links\\emptylink"));
    }
    void ExpectJunkGone() const {
        EXPECT_TRUE(DirExists(folder));
        EXPECT_FALSE(FileExists(folder + "\\a.tmp"));
        EXPECT_FALSE(FileExists(folder + "\\empty.tmp"));
        EXPECT_FALSE(DirExists(folder + "\\sub"));
        EXPECT_TRUE(FileExists(folder + "\\locked\\readonly.tmp"));
    }
};

TEST_F(CleanEngineTest, NothingTickedDeletesNothingAndStillTakesSevenSteps) {
    LinkedTree tree("clean-none");
    TempFolderOverride temp(tree.folder);
    std::string recent = SpecialFolder(CSIDL_RECENT);
    MakeFile(recent + "\\brisola-kept.lnk", 3);
    MakeTypedUrls();
    ASSERT_TRUE(AddCacheEntry("http://kept.example/none", 10, NORMAL_CACHE_ENTRY));
    DWORD start = timeGetTime();
    CleanCategoriesWithTicks(kNone);
    EXPECT_GE(timeGetTime() - start, 7u * 120u);
    EXPECT_TRUE(FileExists(tree.folder + "\\a.tmp"));
    EXPECT_TRUE(FileExists(tree.folder + "\\sub\\deep\\c.tmp"));
    EXPECT_TRUE(FileExists(recent + "\\brisola-kept.lnk"));
    EXPECT_TRUE(TypedUrlsExist());
    EXPECT_TRUE(CacheEntryExists("http://kept.example/none"));
    DeleteFileA((recent + "\\brisola-kept.lnk").c_str());
    DeleteUrlCacheEntryA("http://kept.example/none");
}

TEST_F(CleanEngineTest, ProtectedOrMissingTempFolderSkipsTheStep) {
    std::string folder = MakeSandboxFolder("clean-root-guard");
    MakeFile(folder + "\\survivor.txt", 1);
    std::string recent = SpecialFolder(CSIDL_RECENT);
    ASSERT_FALSE(recent.empty());
    MakeFile(recent + "\\brisola-previous-step.lnk", 1);
    const BYTE onlyTemp[7] = {0, 0, 0, 1, 0, 0, 0};
    ASSERT_TRUE(IsProtectedFolder("C:\\"));  // otherwise this test would empty the drive
    {
        TempFolderOverride temp("C:\\");
        CleanCategoriesWithTicks(onlyTemp);
    }
    EXPECT_TRUE(FileExists(folder + "\\survivor.txt"));
    {
        // Too long for the buffer: the lookup fails, and the step must not
        // fall back to the Recent folder looked up before.
        TempFolderOverride temp("C:\\" + std::string(300, 't'));
        CleanCategoriesWithTicks(onlyTemp);
    }
    EXPECT_TRUE(FileExists(recent + "\\brisola-previous-step.lnk"));
    DeleteFileA((recent + "\\brisola-previous-step.lnk").c_str());
    RemoveTree(folder);
}

TEST_F(CleanEngineTest, CacheRecentHistoryAndBinStepsEmptyTheirStores) {
    ASSERT_TRUE(AddCacheEntry("http://junk.example/page.html", 100, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("http://junk.example/empty", 0, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:user@junk.example/", 50, COOKIE_CACHE_ENTRY));
    std::string recent = SpecialFolder(CSIDL_RECENT), history = SpecialFolder(CSIDL_HISTORY);
    ASSERT_FALSE(recent.empty() || history.empty());
    MakeFile(recent + "\\brisola-doc.lnk", 12);
    CreateDirectoryA(history.c_str(), nullptr);
    CreateDirectoryA((history + "\\brisola-day").c_str(), nullptr);
    MakeFile(history + "\\brisola-day\\visit.url", 12);
    // The clean deletes what the measurement counts, and it counts no index.
    MakeFile(history + "\\index.dat", 12);
    MakeTypedUrls();
    std::string folder = MakeSandboxFolder("clean-recycle");
    MakeFile(folder + "\\binned.txt", 64);
    ASSERT_TRUE(RecycleFile(folder + "\\binned.txt"));
    ASSERT_GT(RecycleBinItems(), 0);

    const BYTE ticks[7] = {1, 0, 1, 0, 1, 0, 1};  // cache, recent, history, bin
    CleanCategoriesWithTicks(ticks);

    EXPECT_FALSE(CacheEntryExists("http://junk.example/page.html"));
    EXPECT_FALSE(CacheEntryExists("http://junk.example/empty"));
    EXPECT_TRUE(CacheEntryExists("Cookie:user@junk.example/")) << "cookies are not the cache's";
    EXPECT_FALSE(FileExists(recent + "\\brisola-doc.lnk"));
    EXPECT_TRUE(DirExists(recent));
    EXPECT_FALSE(DirExists(history + "\\brisola-day"));
    EXPECT_TRUE(DirExists(history));
    EXPECT_TRUE(FileExists(history + "\\index.dat"));
    DeleteFileA((history + "\\index.dat").c_str());
    EXPECT_FALSE(TypedUrlsExist());
    EXPECT_EQ(RecycleBinItems(), 0);
    DeleteUrlCacheEntryA("Cookie:user@junk.example/");
    RemoveTree(folder);
}

TEST_F(CleanEngineTest, EveryCategoryLeavesWhatLiesBesideAndBehindLinksAlone) {
    LinkedTree tree("clean-all");
    TempFolderOverride temp(tree.folder);
    std::string recent = SpecialFolder(CSIDL_RECENT);
    LinkedTree besideRecent("clean-all-2");
    RemoveUnixLink(recent + "\\brisola-recent-link");
    ASSERT_TRUE(MakeLink(besideRecent.outside, recent + "\\brisola-recent-link", true));
    CleanCategoriesWithTicks(kAll);
    tree.ExpectJunkGone();
    tree.ExpectOutsideUntouched();
    EXPECT_TRUE(FileExists(besideRecent.outside + "\\canary.txt"));
    EXPECT_TRUE(IsDirectoryLink(recent + "\\brisola-recent-link"));
    RemoveUnixLink(recent + "\\brisola-recent-link");
}

TEST_F(CleanEngineTest, ConfirmedHistoryStepRunsTheShellDeleteFirst) {
    std::string history = SpecialFolder(CSIDL_HISTORY);
    ASSERT_FALSE(history.empty());
    CreateDirectoryA(history.c_str(), nullptr);
    MakeFile(history + "\\brisola-item.url", 12);
    MakeTypedUrls();
    g_settings.askDel = 1;
    std::vector<std::string> subjects;
    {
        ConfirmResponder responder([&](const std::string& s) { return s == history ? IDC_CONF_OK : IDC_CONF_CANCEL; });
        CleanCategoriesWithTicks(kAll);
        subjects = responder.Subjects();
    }
    EXPECT_EQ(subjects, AllConfirmSubjects());
    EXPECT_FALSE(FileExists(history + "\\brisola-item.url"));
    EXPECT_TRUE(DirExists(history));
    EXPECT_FALSE(TypedUrlsExist());
}

}  // namespace
