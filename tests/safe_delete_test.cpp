// The link-safe delete: plain entries go, links and what is behind them stay.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/test_support.h"
#include "sweep/safe_delete.h"

namespace {

class SafeDeleteTest : public testing::Test {
protected:
    void SetUp() override {
        root = MakeSandboxFolder("safe-delete");
        walked = root + "\\walked";
        outside = root + "\\outside";
        CreateDirectoryA(walked.c_str(), nullptr);
        CreateDirectoryA(outside.c_str(), nullptr);
    }
    void TearDown() override { RemoveTree(root); }
    std::string root, walked, outside;
};

TEST_F(SafeDeleteTest, DeletesPlainFilesAndEmptyFolders) {
    ASSERT_TRUE(MakeFile(walked + "\\junk.tmp", 10));
    ASSERT_TRUE(CreateDirectoryA((walked + "\\empty").c_str(), nullptr));
    EXPECT_TRUE(DeleteFileNoFollow((walked + "\\junk.tmp").c_str()));
    EXPECT_FALSE(FileExists(walked + "\\junk.tmp"));
    EXPECT_TRUE(RemoveDirectoryNoFollow((walked + "\\empty").c_str()));
    EXPECT_FALSE(DirExists(walked + "\\empty"));
    EXPECT_TRUE(DirExists(walked));
}

TEST_F(SafeDeleteTest, RefusesWrongKindsMissingEntriesReadOnlyFilesAndBadPaths) {
    ASSERT_TRUE(MakeFile(walked + "\\file.txt", 1));
    ASSERT_TRUE(CreateDirectoryA((walked + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(walked + "\\sub\\inner.txt", 1));
    EXPECT_FALSE(DeleteFileNoFollow((walked + "\\sub").c_str()));
    EXPECT_FALSE(RemoveDirectoryNoFollow((walked + "\\file.txt").c_str()));
    EXPECT_FALSE(RemoveDirectoryNoFollow((walked + "\\sub").c_str()));  // not empty
    for (const std::string& bad : {walked + "\\missing.txt", std::string(), std::string("file.txt"), walked + "\\",
                                   walked + "\\sub\\..", walked + "\\" + std::string(300, 'x')})
        EXPECT_FALSE(DeleteFileNoFollow(bad.c_str())) << bad;
    EXPECT_FALSE(DeleteFileNoFollow(nullptr));
    EXPECT_TRUE(FileExists(walked + "\\file.txt"));
    EXPECT_TRUE(FileExists(walked + "\\sub\\inner.txt"));

    std::string locked = walked + "\\locked.tmp";
    ASSERT_TRUE(MakeFile(locked, 5));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFileNoFollow(locked.c_str()));
    EXPECT_TRUE(FileExists(locked));
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Under Wine a file symlink looks like a plain file and DeleteFileA on it
// deletes the target; the safe delete must leave both alone.
TEST_F(SafeDeleteTest, FileLinkAndItsTargetSurvive) {
    std::string canary = outside + "\\canary.txt";
    std::string link = walked + "\\innocent.tmp";
    ASSERT_TRUE(MakeFile(canary, 42));
    ASSERT_TRUE(MakeUnixSymlink(canary, link));
    ASSERT_TRUE(IsUnixSymlink(link));
    EXPECT_FALSE(DeleteFileNoFollow(link.c_str()));
    EXPECT_TRUE(FileExists(canary));
    EXPECT_TRUE(IsUnixSymlink(link));
}

TEST_F(SafeDeleteTest, FolderLinksAndWhatIsBehindThemSurvive) {
    std::string empty = outside + "\\empty-target";
    std::string full = outside + "\\full-target";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(full.c_str(), nullptr));
    ASSERT_TRUE(MakeFile(full + "\\canary.txt", 7));
    ASSERT_TRUE(MakeUnixSymlink(empty, walked + "\\to-empty"));
    ASSERT_TRUE(MakeUnixSymlink(full, walked + "\\to-full"));
    EXPECT_FALSE(RemoveDirectoryNoFollow((walked + "\\to-empty").c_str()));
    EXPECT_TRUE(DirExists(empty));
    // A file reached through a linked folder is not inside the walked folder.
    EXPECT_FALSE(DeleteFileNoFollow((walked + "\\to-full\\canary.txt").c_str()));
    EXPECT_TRUE(FileExists(full + "\\canary.txt"));
}

TEST_F(SafeDeleteTest, FolderSwappedForALinkAfterTheWalkIsNotFollowed) {
    std::string sub = walked + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(MakeFile(sub + "\\a.tmp", 1));
    ASSERT_TRUE(MakeFile(sub + "\\b.tmp", 1));
    ASSERT_TRUE(MakeFile(outside + "\\b.tmp", 1));
    EXPECT_TRUE(DeleteFileNoFollow((sub + "\\a.tmp").c_str()));  // the folder is resolved now
    RemoveTree(sub);
    ASSERT_TRUE(MakeUnixSymlink(outside, sub));
    EXPECT_FALSE(DeleteFileNoFollow((sub + "\\b.tmp").c_str()));
    EXPECT_TRUE(FileExists(outside + "\\b.tmp"));
}

}  // namespace
