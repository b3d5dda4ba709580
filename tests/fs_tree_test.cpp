// The file layer against links, swaps, awkward names, busy files and
// protected roots: every case runs through the measurement, the cleaning,
// the disk scan with the deletion of found files, and the cookie deletion,
// and whatever lies behind a link must survive.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "clean_support.h"
#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "fs/identity.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/cleaning.h"
#include "sweep/measure.h"

using cleantest::IsDirectoryLink;
using cleantest::MakeLink;
using cleantest::SpecialFolder;
using cleantest::TempFolderOverride;

namespace {

enum class Op { Measure, Clean, Scan, Cookies };
enum class Kind { FileLink, FullFolderLink, EmptyFolderLink };
enum class Timing { Before, Swapped };

const unsigned long long kCanaryBytes = 100000;  // far more than all the junk

// The swap the listing hook makes once, when the walk has listed `folder`.
struct PendingSwap {
    std::string folder;
    std::function<void()> swap;
} g_swap;

void SwapAfterListing(const std::wstring& folder) {
    if (!g_swap.swap || lstrcmpiA(AnsiFromWide(folder).c_str(), g_swap.folder.c_str()) != 0) return;
    auto swap = std::move(g_swap.swap);
    g_swap.swap = nullptr;
    swap();
}

// A category folder with junk at three depths, and outside it the targets
// of the links, each holding a canary.
struct LinkCase {
    Op op;
    Kind kind;
    int depth;  // 0, 1 or 3: where the link lies below the root
    Timing timing;
};

class LinkMatrix : public testing::TestWithParam<LinkCase> {
protected:
    void SetUp() override {
        ClearDriveCleaner();
        base = MakeSandboxFolder("matrix");
        root = base + "\\root";
        outside = base + "\\outside";
        for (const std::string& dir : {root, root + "\\a", root + "\\a\\b", root + "\\a\\b\\c", outside,
                                       outside + "\\full", outside + "\\empty"})
            ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
        for (const std::string& junk : {root + "\\junk0.tmp", root + "\\a\\junk1.tmp", root + "\\a\\b\\c\\junk3.tmp"})
            ASSERT_TRUE(MakeFile(junk, 10));
        ASSERT_TRUE(MakeFile(outside + "\\canary.tmp", kCanaryBytes));
        ASSERT_TRUE(MakeFile(outside + "\\full\\canary.tmp", kCanaryBytes));
        SetListingHookForTest(SwapAfterListing);
    }
    void TearDown() override {
        SetListingHookForTest(nullptr);
        g_swap = PendingSwap();
        RemoveUnixLink(victim);
        ClearDriveCleaner();
        RemoveTree(base);
    }

    std::string Holder(int depth) const {
        return depth == 0 ? root : depth == 1 ? root + "\\a" : root + "\\a\\b\\c";
    }
    std::string Target(Kind kind) const {
        return kind == Kind::FileLink ? outside + "\\canary.tmp"
               : kind == Kind::FullFolderLink ? outside + "\\full"
                                              : outside + "\\empty";
    }
    bool MakeVictimLink(Kind kind) { return MakeLink(Target(kind), victim, kind != Kind::FileLink); }

    void ExpectOutsideWhole() const {
        EXPECT_TRUE(FileExists(outside + "\\canary.tmp"));
        EXPECT_TRUE(FileExists(outside + "\\full\\canary.tmp"));
        EXPECT_TRUE(DirExists(outside + "\\empty"));
        EXPECT_TRUE(IsUnixSymlink(victim)) << "the link itself stays";
    }

    std::string base, root, outside, victim;
};

TEST_P(LinkMatrix, NothingBehindALinkIsCountedOrDeleted) {
    const LinkCase c = GetParam();
    std::string holder = Holder(c.depth);
    victim = holder + (c.kind == Kind::FileLink ? "\\victim.tmp" : "\\victim");
    if (c.timing == Timing::Before) {
        ASSERT_TRUE(MakeVictimLink(c.kind));
    } else if (c.kind == Kind::FileLink) {
        ASSERT_TRUE(MakeFile(victim, 10));
    } else {
        ASSERT_TRUE(CreateDirectoryA(victim.c_str(), nullptr));
        ASSERT_TRUE(MakeFile(victim + "\\inner.tmp", 10));
    }
    auto swapNow = [this, c] {
        std::string gone = base + "\\swapped-away";
        ASSERT_TRUE(MoveFileA(victim.c_str(), gone.c_str()));
        ASSERT_TRUE(MakeVictimLink(c.kind));
    };
    // The swap comes between the listing of the link's folder and the
    // opens that follow it; for found files, between the scan and the delete.
    if (c.timing == Timing::Swapped && c.op != Op::Scan) g_swap = PendingSwap{holder, swapNow};

    switch (c.op) {
    case Op::Measure: {
        ScanCounters counters;
        MeasureFolder(root.c_str(), counters);
        // Wine lists a file symlink as a plain file of its target's size;
        // only opening it would tell, which the measurement does not do.
        // The clean then leaves it as a skipped link.
        if (c.kind != Kind::FileLink || c.timing != Timing::Before) {
            EXPECT_LT(counters.bytes, kCanaryBytes);
        }
        EXPECT_GE(counters.files, 3u);
        break;
    }
    case Op::Clean:
        DeleteFolderContents(root.c_str());
        EXPECT_FALSE(FileExists(root + "\\junk0.tmp"));
        EXPECT_FALSE(FileExists(root + "\\a\\b\\c\\junk3.tmp"));
        EXPECT_TRUE(DirExists(root));
        break;
    case Op::Scan: {
        AppendFilter(".tmp", "Temporary", 1);
        ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
        for (const FoundFile& f : CopyFoundFiles())
            EXPECT_EQ(f.location.compare(0, root.size(), root), 0) << f.location << "\\" << f.name;
        if (c.timing == Timing::Swapped) swapNow();
        DeleteCheckedFoundFiles();
        EXPECT_FALSE(FileExists(root + "\\junk0.tmp"));
        break;
    }
    case Op::Cookies: {
        std::vector<NamedFile> files(2);
        files[0].name = L"junk0.tmp";
        files[1].name = c.kind == Kind::FileLink ? L"victim.tmp" : L"victim";
        TreeRules rules;
        EXPECT_EQ(DeleteNamedFiles(WideFromAnsi(root), false, rules, files), RootRefusal::None);
        EXPECT_TRUE(files[0].deleted);
        EXPECT_FALSE(files[1].deleted);
        break;
    }
    }
    EXPECT_FALSE(g_swap.swap) << "the walk never listed " << holder;
    ExpectOutsideWhole();
}

std::vector<LinkCase> AllLinkCases() {
    std::vector<LinkCase> cases;
    for (Op op : {Op::Measure, Op::Clean, Op::Scan, Op::Cookies})
        for (Kind kind : {Kind::FileLink, Kind::FullFolderLink, Kind::EmptyFolderLink})
            for (int depth : {0, 1, 3})
                for (Timing timing : {Timing::Before, Timing::Swapped})
                    if (op != Op::Cookies || depth == 0) cases.push_back(LinkCase{op, kind, depth, timing});
    return cases;
}

std::string CaseName(const testing::TestParamInfo<LinkCase>& info) {
    static const char* const ops[] = {"measure", "clean", "scan", "cookies"};
    static const char* const kinds[] = {"FileLink", "FullFolderLink", "EmptyFolderLink"};
    const LinkCase& c = info.param;
    return std::string(ops[static_cast<int>(c.op)]) + "_" + kinds[static_cast<int>(c.kind)] + "_depth" +
           std::to_string(c.depth) + (c.timing == Timing::Before ? "_before" : "_swapped");
}

INSTANTIATE_TEST_SUITE_P(Links, LinkMatrix, testing::ValuesIn(AllLinkCases()), CaseName);

// --- names the code page cannot spell, and paths past 260 characters -------

bool MakeWideFile(const std::wstring& path, DWORD bytes) {
    HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string data(bytes, 'n');
    DWORD written = 0;
    WriteFile(file, data.data(), bytes, &written, nullptr);
    CloseHandle(file);
    return written == bytes;
}

bool WideExists(const std::wstring& path) { return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(FsNames, EveryNameThatIsCountedIsAlsoDeleted) {
    std::string root = MakeSandboxFolder("names");
    std::wstring wroot = WideFromAnsi(root);
    std::wstring deep = wroot;
    while (deep.size() < 300) {
        deep += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring names[] = {
        wroot + L"\\\x0444\x0430\x0439\x043b.tmp",          // Cyrillic
        wroot + L"\\\x4e34\x65f6\x6587\x4ef6.tmp",          // CJK
        wroot + L"\\\xd83d\xde00 smile.tmp",                // an emoji
        wroot + L"\\\x0100-macron.tmp",                     // best-fit would make it "A-macron.tmp"
        deep + L"\\long-path.tmp",                          // past 300 characters
    };
    for (const std::wstring& name : names) ASSERT_TRUE(MakeWideFile(name, 7));
    ASSERT_TRUE(MakeFile(root + "\\A-macron.tmp", 7));

    ScanCounters counters;
    MeasureFolder(root.c_str(), counters);
    EXPECT_EQ(counters.files, 6u);
    EXPECT_EQ(counters.bytes, 42u);

    ClearDriveCleaner();
    AppendFilter(".tmp", "Temporary", 1);
    ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    EXPECT_EQ(CopyFoundFiles().size(), 6u);
    DeleteCheckedFoundFiles();
    for (const std::wstring& name : names) EXPECT_FALSE(WideExists(name)) << AnsiFromWide(name);
    EXPECT_FALSE(FileExists(root + "\\A-macron.tmp"));

    for (const std::wstring& name : names) ASSERT_TRUE(MakeWideFile(name, 7));
    DeleteFolderContents(root.c_str());
    ScanCounters after;
    MeasureFolder(root.c_str(), after);
    EXPECT_EQ(after.files, 0u);
    EXPECT_EQ(after.folders, 0u);
    EXPECT_TRUE(DirExists(root));
    ClearDriveCleaner();
    RemoveTree(root);
}

// --- files that cannot go: each is left and reported with its reason --------

class LeftRecorder : public TreeVisitor {
public:
    void OnLeft(const TreeEntry& entry, LeftReason reason) override {
        left.push_back(AnsiFromWide(entry.name) + ": " + LeftReasonText(reason));
    }
    std::vector<std::string> left;
};

std::string g_vanishing;
void RemoveVanishing(const std::wstring&) {
    if (!g_vanishing.empty()) DeleteFileA(g_vanishing.c_str());
    g_vanishing.clear();
}

TEST(FsStates, ReadOnlyInUseAndVanishingFiles) {
    std::string root = MakeSandboxFolder("states");
    ASSERT_TRUE(MakeFile(root + "\\readonly.tmp", 5));
    SetFileAttributesA((root + "\\readonly.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(MakeFile(root + "\\held.tmp", 6));
    HANDLE held = CreateFileA((root + "\\held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(MakeFile(root + "\\vanishing.tmp", 7));
    ASSERT_TRUE(MakeFile(root + "\\plain.tmp", 8));
    g_vanishing = root + "\\vanishing.tmp";
    SetListingHookForTest(RemoveVanishing);

    LeftRecorder recorder;
    TreeResult result = WalkTree(WideFromAnsi(root), TreeAction::Clean, TreeRules(), recorder);
    SetListingHookForTest(nullptr);

    EXPECT_EQ(result.refusal, RootRefusal::None);
    EXPECT_EQ(result.deleted.files, 1u);  // plain.tmp; vanishing.tmp was gone already
    EXPECT_EQ(result.left.files, 2u);
    EXPECT_EQ(result.left.bytes, 11u);
    std::sort(recorder.left.begin(), recorder.left.end());
    EXPECT_EQ(recorder.left, (std::vector<std::string>{"held.tmp: in use", "readonly.tmp: read-only"}));
    EXPECT_TRUE(FileExists(root + "\\readonly.tmp"));
    EXPECT_TRUE(FileExists(root + "\\held.tmp"));
    EXPECT_FALSE(FileExists(root + "\\plain.tmp"));
    CloseHandle(held);
    SetFileAttributesA((root + "\\readonly.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveTree(root);
}

// --- roots: protected folders, however they are named, are never emptied ---

std::string ShortName(const std::string& path) {
    char out[MAX_PATH] = {};
    DWORD n = GetShortPathNameA(path.c_str(), out, sizeof out);
    return n > 0 && n < sizeof out ? std::string(out) : std::string();
}

std::string UserName(const std::string& profile) { return profile.substr(profile.rfind('\\') + 1); }

// A drive letter for `target`, as subst makes one.
std::string MapDrive(char letter, const std::string& target) {
    if (!MapUnixDrive(letter, target)) return std::string();
    std::string drive = std::string(1, letter) + ":";
    return PollUntil([&] { return GetFileAttributesA((drive + "\\").c_str()) != INVALID_FILE_ATTRIBUTES; }, 3000)
               ? drive
               : std::string();
}

TEST(FsRoots, ProtectedFoldersAreRefusedByIdentity) {
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    std::string profile = SpecialFolder(CSIDL_PROFILE);
    std::string profiles = profile.substr(0, profile.rfind('\\'));
    ASSERT_FALSE(profile.empty());
    std::string base = MakeSandboxFolder("roots");
    bool junction = MakeLink(profiles, base + "\\users-link", true);
    std::string mapped = MapDrive('P', profiles);
    EXPECT_FALSE(mapped.empty()) << "no subst-style drive";

    struct Row {
        std::string root;
        RootRefusal expected;
    };
    std::vector<Row> rows = {
        {"C:\\", RootRefusal::Protected},
        {"c:/", RootRefusal::Protected},
        {windows, RootRefusal::Protected},
        {std::string(windows) + "\\", RootRefusal::Protected},
        {system, RootRefusal::Protected},
        {profile, RootRefusal::Protected},
        {profiles, RootRefusal::Protected},  // holds the profile
        {SpecialFolder(CSIDL_PERSONAL), RootRefusal::Protected},
        {SpecialFolder(CSIDL_DESKTOPDIRECTORY), RootRefusal::Protected},
        {SpecialFolder(CSIDL_PROGRAM_FILES), RootRefusal::Protected},
        {SpecialFolder(CSIDL_COMMON_APPDATA), RootRefusal::Protected},
        {"\\\\?\\" + profile, RootRefusal::Protected},
        {ShortName(profile), RootRefusal::Protected},
        {base + "\\users-link\\" + UserName(profile), RootRefusal::Protected},  // a link above it
        {base + "\\users-link", RootRefusal::Link},
        {base, RootRefusal::None},
        {SpecialFolder(CSIDL_RECENT), RootRefusal::None},
        {base + "\\missing", RootRefusal::Missing},
        {"relative", RootRefusal::Missing},
        {"", RootRefusal::Missing},
    };
    if (!mapped.empty()) {
        rows.push_back({mapped + "\\", RootRefusal::Protected});
        rows.push_back({mapped + "\\" + UserName(profile), RootRefusal::Protected});
    }
    EXPECT_TRUE(junction);
    for (const Row& row : rows) {
        if (row.root.empty() && row.expected != RootRefusal::Missing) continue;
        RootRefusal refusal = CheckRoot(WideFromAnsi(row.root), TreeRules());
        // Wine makes the profile's Documents and Desktop links to $HOME:
        // refused as links before their identity is even asked.
        if (row.expected == RootRefusal::Protected && refusal == RootRefusal::Link) continue;
        EXPECT_EQ(refusal, row.expected) << "'" << row.root << "'";
    }

    // Through the cleaning itself: TMP at each protected root leaves its canary.
    ASSERT_TRUE(MakeFile(profile + "\\brisola-canary.txt", 3));
    ASSERT_TRUE(MakeFile(std::string(windows) + "\\brisola-canary.txt", 3));
    CategoryTicks onlyTemp = {};
    onlyTemp[SWEEP_TEMP] = 1;
    for (const std::string& temp : {std::string("C:\\"), std::string(windows), profile,
                                    base + "\\users-link\\" + UserName(profile),
                                    mapped.empty() ? std::string() : mapped + "\\" + UserName(profile)}) {
        if (temp.empty()) continue;
        TempFolderOverride override(temp);
        CleanCategoriesWithTicks(onlyTemp);
        EXPECT_TRUE(FileExists(profile + "\\brisola-canary.txt")) << temp;
        EXPECT_TRUE(FileExists(std::string(windows) + "\\brisola-canary.txt")) << temp;
    }
    DeleteFileA((profile + "\\brisola-canary.txt").c_str());
    DeleteFileA((std::string(windows) + "\\brisola-canary.txt").c_str());
    MapUnixDrive('P', "");
    RemoveUnixLink(base + "\\users-link");
    RemoveTree(base);
}

}  // namespace
