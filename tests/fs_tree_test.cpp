// The file layer against links, swaps, awkward names, busy files and
// protected roots: every case runs through the measurement, the cleaning,
// the disk scan with the deletion of found files, and the cookie deletion,
// and whatever lies behind a link must survive. Then the disk scan's
// matching rules, its stop and commands that run while it does.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "clean_support.h"
#include "drives/disk_scan.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "fs/identity.h"
#include "fs/nt.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/clean_steps.h"
#include "sweep/measure.h"

using cleantest::SpecialFolder;
using cleantest::TempFolderOverride;

namespace {

enum class Op { Measure, Clean, Scan, Cookies };
enum class Kind { FileLink, FullFolderLink, EmptyFolderLink };
enum class Timing { Before, Swapped };

const unsigned long long kCanaryBytes = 100000;  // far more than all the junk

ScanCounters Measured(const std::string& folder) {
    ScanCounters counters;
    MeasureFolder(folder.c_str(), counters);
    return counters;
}

// The named files of `root` deleted as the cookie deletion does; true for each name deleted.
std::vector<bool> DeleteNamed(const std::string& root, std::initializer_list<const wchar_t*> names) {
    std::vector<NamedFile> files;
    for (const wchar_t* name : names) files.push_back({name});
    EXPECT_EQ(DeleteNamedFiles(WideFromAnsi(root), false, TreeRules(), files), RootRefusal::None);
    std::vector<bool> deleted;
    for (const NamedFile& f : files) deleted.push_back(f.deleted);
    return deleted;
}

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
    bool indexNames;  // the folders and the link named as the figures leave out, which a clean still empties
};

class LinkMatrix : public testing::TestWithParam<LinkCase> {
protected:
    void SetUp() override {
        ClearDriveCleaner();
        base = MakeSandboxFolder("matrix");
        root = base + "\\root";
        outside = base + "\\outside";
        if (GetParam().indexNames) {
            aName = "\\Content.IE5";
            cName = "\\XHistory.IE5x";
        }
        for (const std::string& dir : {root, root + aName, root + aName + "\\b", root + aName + "\\b" + cName, outside,
                                       outside + "\\full", outside + "\\empty"})
            ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
        for (const std::string& junk : {root + "\\junk0.tmp", root + aName + "\\junk1.tmp", Holder(3) + "\\junk3.tmp",
                                        root + "\\index.dat"})
            ASSERT_TRUE(MakeFile(junk, 10));
        ASSERT_TRUE(MakeFile(outside + "\\canary.tmp", kCanaryBytes));
        ASSERT_TRUE(MakeFile(outside + "\\full\\canary.tmp", kCanaryBytes));
        SetListingHookForTest(SwapAfterListing);
    }
    void TearDown() override {
        SetListingHookForTest(nullptr);
        g_swap = PendingSwap();
        ClearDriveCleaner();
        RemoveTree(base);  // rm never follows the links
    }

    std::string Holder(int depth) const { return root + (depth == 0 ? "" : depth == 1 ? aName : aName + "\\b" + cName); }
    std::string Target(Kind kind) const {
        return outside + (kind == Kind::FileLink ? "\\canary.tmp" : kind == Kind::FullFolderLink ? "\\full" : "\\empty");
    }
    bool MakeVictimLink(Kind kind) { return MakeUnixSymlink(Target(kind), victim); }

    std::string base, root, outside, victim, aName = "\\a", cName = "\\c";
};

TEST_P(LinkMatrix, NothingBehindALinkIsCountedOrDeleted) {
    const LinkCase c = GetParam();
    std::string holder = Holder(c.depth);
    victim = holder + (c.kind == Kind::FileLink ? (c.indexNames ? "\\victim.dat" : "\\victim.tmp")
                                                : (c.indexNames ? "\\Content.IE6" : "\\victim"));
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
        ScanCounters counters = Measured(root);
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
        EXPECT_FALSE(FileExists(root + "\\index.dat"));
        EXPECT_FALSE(FileExists(Holder(3) + "\\junk3.tmp"));
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
    case Op::Cookies:
        EXPECT_EQ(DeleteNamed(root, {L"junk0.tmp", c.kind == Kind::FileLink ? L"victim.tmp" : L"victim"}),
                  (std::vector<bool>{true, false}));
        break;
    }
    EXPECT_FALSE(g_swap.swap) << "the walk never listed " << holder;
    EXPECT_TRUE(FileExists(outside + "\\canary.tmp"));
    EXPECT_TRUE(FileExists(outside + "\\full\\canary.tmp"));
    EXPECT_TRUE(DirExists(outside + "\\empty"));
    EXPECT_TRUE(IsUnixSymlink(victim)) << "the link itself stays";
}

std::vector<LinkCase> AllLinkCases() {
    std::vector<LinkCase> cases;
    for (Op op : {Op::Measure, Op::Clean, Op::Scan, Op::Cookies})
        for (Kind kind : {Kind::FileLink, Kind::FullFolderLink, Kind::EmptyFolderLink})
            for (int depth : {0, 1, 3})
                for (Timing timing : {Timing::Before, Timing::Swapped})
                    for (bool index : {false, true})
                        if ((op != Op::Cookies || depth == 0) && (op == Op::Clean || !index))
                            cases.push_back(LinkCase{op, kind, depth, timing, index});
    return cases;
}

std::string CaseName(const testing::TestParamInfo<LinkCase>& info) {
    static const char* const ops[] = {"measure", "clean", "scan", "cookies"};
    static const char* const kinds[] = {"FileLink", "FullFolderLink", "EmptyFolderLink"};
    const LinkCase& c = info.param;
    return std::string(ops[static_cast<int>(c.op)]) + "_" + kinds[static_cast<int>(c.kind)] + "_depth" +
           std::to_string(c.depth) + (c.timing == Timing::Before ? "_before" : "_swapped") +
           (c.indexNames ? "_indexNames" : "");
}

INSTANTIATE_TEST_SUITE_P(Links, LinkMatrix, testing::ValuesIn(AllLinkCases()), CaseName);

// A file link to the very same path on another drive letter: the listing
// shows a plain file with the target's ID, and Wine opens the target. Only
// the handle's full object name, drive and all, tells it apart (the
// volume-relative name of FileNameInformation would match).
TEST(FsLinks, AFileLinkToTheSamePathOnAnotherDriveIsSkipped) {
    std::string base = MakeSandboxFolder("other-drive");
    std::string root = base + "\\root", mirror = base + "\\mirror";
    std::string mirrored = mirror + base.substr(2) + "\\root";  // Q:\brisola-tests\other-drive\root
    for (const std::string& dir : {root, mirror, mirror + "\\brisola-tests", mirror + base.substr(2), mirrored})
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    ASSERT_TRUE(MapUnixDrive('Q', mirror));
    ASSERT_TRUE(MakeFile(mirrored + "\\victim.tmp", kCanaryBytes));
    ASSERT_TRUE(MakeUnixSymlink(mirrored + "\\victim.tmp", root + "\\victim.tmp"));
    ASSERT_TRUE(MakeFile(root + "\\junk.tmp", 10));
    DeleteFolderContents(root.c_str());
    EXPECT_FALSE(FileExists(root + "\\junk.tmp"));
    EXPECT_TRUE(IsUnixSymlink(root + "\\victim.tmp"));
    EXPECT_TRUE(FileExists("Q:" + base.substr(2) + "\\root\\victim.tmp"));

    EXPECT_EQ(DeleteNamed(root, {L"victim.tmp"}), std::vector<bool>{false});
    EXPECT_TRUE(FileExists(mirrored + "\\victim.tmp"));
    RemoveUnixLink(root + "\\victim.tmp");
    MapUnixDrive('Q', "");
    RemoveTree(base);
}

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

    ScanCounters counters = Measured(root);
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
    ScanCounters after = Measured(root);
    EXPECT_EQ(after.files, 0u);
    EXPECT_EQ(after.folders, 0u);
    EXPECT_TRUE(DirExists(root));
    ClearDriveCleaner();
    RemoveTree(root);
}

// --- roots: protected folders, however they are named, are never emptied ---

std::string ShortName(const std::string& path) {
    char out[MAX_PATH] = {};
    DWORD n = GetShortPathNameA(path.c_str(), out, sizeof out);
    return n > 0 && n < sizeof out ? std::string(out) : std::string();
}

std::string UserName(const std::string& profile) { return profile.substr(profile.rfind('\\') + 1); }

// Roots refused by identity, and, through CheckFolderPath, a browser
// profile's path, used only when no folder on its way down is a link.
TEST(FsRoots, ProtectedFoldersAreRefusedByIdentity) {
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    std::string profile = SpecialFolder(CSIDL_PROFILE);
    std::string profiles = profile.substr(0, profile.rfind('\\'));
    ASSERT_FALSE(profile.empty());
    std::string base = MakeSandboxFolder("roots");
    ASSERT_TRUE(CreateDirectoryA((base + "\\real").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "\\real\\inner").c_str(), nullptr));
    ASSERT_TRUE(MakeUnixSymlink(base + "\\real", base + "\\link"));
    bool junction = MakeUnixSymlink(profiles, base + "\\users-link");
    std::string mapped = MapUnixDrive('P', profiles) ? "P:" : "";
    EXPECT_FALSE(mapped.empty()) << "no subst-style drive";

    struct Row {
        std::string root;
        RootRefusal expected;
        bool wholePath = false;  // CheckFolderPath
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
        {base + "\\real\\inner", RootRefusal::None, true},
        {base + "\\link", RootRefusal::Link, true},
        {base + "\\link\\inner", RootRefusal::Link, true},  // a link above it
        {base + "\\real\\missing", RootRefusal::Missing, true},
        {SpecialFolder(CSIDL_LOCAL_APPDATA), RootRefusal::None, true},
        {"relative\\path", RootRefusal::Missing, true},
    };
    if (!mapped.empty()) {
        rows.push_back({mapped + "\\", RootRefusal::Protected});
        rows.push_back({mapped + "\\" + UserName(profile), RootRefusal::Protected});
    }
    EXPECT_TRUE(junction);
    for (const Row& row : rows) {
        if (row.root.empty() && row.expected != RootRefusal::Missing) continue;
        std::wstring root = WideFromAnsi(row.root);
        RootRefusal refusal = row.wholePath ? CheckFolderPath(root) : CheckRoot(root, TreeRules());
        // Wine makes the profile's Documents and Desktop links to $HOME:
        // refused as links before their identity is even asked.
        if (row.expected == RootRefusal::Protected && refusal == RootRefusal::Link) continue;
        EXPECT_EQ(refusal, row.expected) << "'" << row.root << "'";
    }

    // Through the cleaning itself: TMP at each protected root leaves its canary.
    ASSERT_TRUE(MakeFile(profile + "\\brisola-canary.txt", 3));
    ASSERT_TRUE(MakeFile(std::string(windows) + "\\brisola-canary.txt", 3));
    for (const std::string& temp : {std::string("C:\\"), std::string(windows), profile,
                                    base + "\\users-link\\" + UserName(profile),
                                    mapped.empty() ? std::string() : mapped + "\\" + UserName(profile)}) {
        if (temp.empty()) continue;
        TempFolderOverride override(temp);
        cleantest::Clean(cleantest::Only(SWEEP_TEMP));
        EXPECT_TRUE(FileExists(profile + "\\brisola-canary.txt")) << temp;
        EXPECT_TRUE(FileExists(std::string(windows) + "\\brisola-canary.txt")) << temp;
    }
    DeleteFileA((profile + "\\brisola-canary.txt").c_str());
    DeleteFileA((std::string(windows) + "\\brisola-canary.txt").c_str());
    MapUnixDrive('P', "");
    RemoveTree(base);
}

// --- the disk scan by filters ----------------------------------------------


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
        root = MakeSandboxFolder("scan");
    }
    void TearDown() override {
        ClearDriveCleaner();
        RemoveTree(root);
    }
    std::string root;
};

// Every matching filter records the file once; an unticked filter matches
// nothing, a folder is never recorded, sizes are full 64-bit values. (The
// matching rules themselves: tests/unit/filter_match_ut.cpp.)
TEST_F(DiskScanTest, EnabledFiltersRecordFilesWithFullSizes) {
    AppendFilter(".tmp", "Temporary", 1);
    AppendFilter(".tmp", "Twice", 1);
    AppendFilter("thumbs.db", "Thumbnails", 1);
    AppendFilter(".log", "Logs, unticked", 0);
    for (const char* name : {"thumbs.db", "noext", "run.log"}) ASSERT_TRUE(MakeFile(root + "\\" + name, 10));
    ASSERT_TRUE(MakeFile(root + "\\report.tmp", 5ULL << 30));
    CreateDirectoryA((root + "\\sub.tmp").c_str(), nullptr);  // a folder is never recorded
    ASSERT_TRUE(MakeFile(root + "\\sub.tmp\\deep.tmp", 5));

    ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    auto found = FoundPaths();
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected;
    for (const char* name : {"report.tmp", "report.tmp", "sub.tmp\\deep.tmp", "sub.tmp\\deep.tmp", "thumbs.db"})
        expected.push_back(root + "\\" + name);
    EXPECT_EQ(found, expected);
    for (const FoundFile& f : CopyFoundFiles()) EXPECT_TRUE(f.checked);
    EXPECT_EQ(Totals(), "5/5");  // every file seen, dotless ones too
    DiskScanReport report = GetDiskScanReport();
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.files, 5u);
    EXPECT_EQ(report.bytes, 2 * ((5ULL << 30) + 5) + 10);

    // No enabled filter: the old totals give way to zeros.
    ClearDriveCleaner();
    AppendFilter(".tmp", "Off", 0);
    PublishDiskScanResult(7, 7, 7);
    ASSERT_EQ(RunDiskScanOfFolders({root}), 1);
    EXPECT_EQ(Totals(), "5/0");
    EXPECT_EQ(FoundFileCount(), 0u);
    EXPECT_EQ(GetDiskScanReport().bytes, 0u);
}

std::atomic<int> g_stopCalls{0};
// A yes on the 31st question: the root, a folder, its 20 files, a second
// folder and 7 of its files were seen before it.
bool StopAfterSomeCalls() { return ++g_stopCalls > 30; }

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
    DiskScanProgress stopping;
    stopping.stopRequested = StopAfterSomeCalls;
    EXPECT_EQ(RunDiskScanOfFolders({root}, stopping), 0);
    EXPECT_EQ(g_stopCalls.load(), 31);  // not asked again after the yes
    EXPECT_EQ(FoundFileCount(), 27u);
    EXPECT_EQ(Totals(), "20/20");  // from the completed scan
    EXPECT_EQ(GetDiskScanReport().files, 20u);
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

TEST_F(DiskScanTest, CommandsDuringAScanDoNotReachIt) {
    AppendFilter(".tmp", "Temporary", 1);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(MakeFile(root + "\\" + std::to_string(i) + ".tmp", 3));
    ASSERT_TRUE(MakeFile(root + "\\other.bak", 3));
    g_scanRunning = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_changesMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DiskScanProgress holding;
    holding.stopRequested = HoldTheScan;
    std::atomic<int> result{-1};
    std::thread scan([&] { result = RunDiskScanOfFolders({root}, holding); });
    EXPECT_EQ(WaitForSingleObject(g_scanRunning, 20000), WAIT_OBJECT_0);
    // Remove and add filters, read the array and the totals meanwhile.
    ClearFilterTable();
    AppendFilter(".bak", "Backups", 1);
    EXPECT_EQ(FoundFileCount(), 0u);
    SetEvent(g_changesMade);
    while (result == -1) {
        AppendFilter(".x", "churn", 1);
        CopyFilterTable();
        CopyFoundFiles();
        Totals();
    }
    scan.join();
    CloseHandle(g_scanRunning);
    CloseHandle(g_changesMade);
    EXPECT_EQ(result, 1);
    // The scan used the filters of its start.
    EXPECT_EQ(FoundFileCount(), 60u);
    EXPECT_EQ(GetDiskScanReport().files, 60u);
    EXPECT_EQ(GetDiskScanReport().bytes, 180u);
}

// --- cost: what each file costs in native calls ----------------------------

// Every native call costs Wine a round trip to its server, so a call added
// to the check of every file shows here, as a count, before any benchmark.
using CallTally = std::vector<uint64_t>;

CallTally CallsFor(const std::string& root, int files, bool clean) {
    CallTally tally(static_cast<size_t>(nt::Call::Kinds), 0);
    if (!CreateDirectoryA(root.c_str(), nullptr) || !CreateDirectoryA((root + "\\a").c_str(), nullptr)) return tally;
    for (int i = 0; i < files; ++i) MakeFile(root + "\\a\\f" + std::to_string(i) + ".tmp", 1);
    nt::ResetCallCounts();
    if (clean) {
        DeleteFolderContents(root.c_str());
    } else {
        Measured(root);
    }
    for (size_t k = 0; k < tally.size(); ++k) tally[k] = nt::CallCount(static_cast<nt::Call>(k));
    return tally;
}

TEST(FsCost, NativeCallsPerFileOfAMeasurementAndACheckedDelete) {
    std::string base = MakeSandboxFolder("cost");
    Measured(base);  // the protected set is built on first use
    CallTally cleanSmall = CallsFor(base + "\\clean10", 10, true), cleanLarge = CallsFor(base + "\\clean30", 30, true);
    CallTally measureSmall = CallsFor(base + "\\measure10", 10, false);
    CallTally measureLarge = CallsFor(base + "\\measure30", 30, false);
    // Per file: the clean opens it relative to its folder, asks the handle
    // its attributes, file ID and object name, marks it and closes it; the
    // measurement has all it needs from the folder's listing.
    struct Row {
        nt::Call call;
        const char* name;
        uint64_t clean;
        uint64_t measure;
    } rows[] = {
        {nt::Call::Open, "open", 1, 0},       {nt::Call::List, "list", 0, 0},
        {nt::Call::Query, "query", 2, 0},     {nt::Call::Name, "object name", 1, 0},
        {nt::Call::Dispose, "dispose", 1, 0}, {nt::Call::Close, "close", 1, 0},
        {nt::Call::Volume, "volume", 0, 0},
    };
    for (const Row& row : rows) {
        size_t k = static_cast<size_t>(row.call);
        EXPECT_EQ(cleanLarge[k] - cleanSmall[k], 20 * row.clean) << row.name;
        EXPECT_EQ(measureLarge[k] - measureSmall[k], 20 * row.measure) << row.name;
    }
    ScanCounters left = Measured(base + "\\clean30");
    EXPECT_EQ(left.files + left.folders, 0u);
    RemoveTree(base);
}

// --- reports: each entry once, in the walk's order ------------------------

struct ReportLog : TreeVisitor {
    std::vector<std::string> files;   // OnFile, in the walk's order
    std::vector<std::string> events;  // "path: deleted" or "path: <reason>"
    static std::string PathOf(const TreeEntry& e) { return AnsiFromWide(e.folder + L"\\" + std::wstring(e.name)); }
    void OnFile(const TreeEntry& e) override { files.push_back(PathOf(e)); }
    void OnDeleted(const TreeEntry& e) override { events.push_back(PathOf(e) + ": deleted"); }
    void OnLeft(const TreeEntry& e, LeftReason r) override { events.push_back(PathOf(e) + ": " + LeftReasonText(r)); }
};

TEST(FsReports, EachEntryIsReportedOnceInTheWalksOrderAndEachFolderAfterItsFiles) {
    std::string root = MakeSandboxFolder("reports");
    const int kFolders = 4, kFiles = 25;
    for (int d = 0; d < kFolders; ++d) {
        ASSERT_TRUE(CreateDirectoryA((root + "\\d" + std::to_string(d)).c_str(), nullptr));
        for (int f = 0; f < kFiles; ++f) ASSERT_TRUE(MakeFile(root + "\\d" + std::to_string(d) + "\\f" + std::to_string(f) + ".tmp", 3));
    }
    HANDLE held = CreateFileA((root + "\\d1\\f7.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileAttributesA((root + "\\d2\\f11.tmp").c_str(), FILE_ATTRIBUTE_READONLY));

    ReportLog log;
    TreeResult result = WalkTree(WideFromAnsi(root), TreeAction::Clean, TreeRules(), log);
    CloseHandle(held);
    SetFileAttributesA((root + "\\d2\\f11.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);

    struct Row {
        std::string item;
        const char* outcome;
    } rows[] = {
        {"d1\\f7.tmp", "in use"}, {"d2\\f11.tmp", "read-only"}, {"d0\\f0.tmp", "deleted"},
        {"d3\\f24.tmp", "deleted"}, {"d0", "deleted"}, {"d3", "deleted"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(std::count(log.events.begin(), log.events.end(), root + "\\" + row.item + ": " + row.outcome), 1)
            << row.item;
    // Every file once, in the order the walk met them; the folders that
    // went, after all of their files; the kept ones, kept by what stayed.
    ASSERT_EQ(log.files.size(), static_cast<size_t>(kFolders * kFiles));
    std::vector<std::string> fileEvents;
    for (const std::string& e : log.events)
        if (e.find(".tmp: ") != std::string::npos) fileEvents.push_back(e.substr(0, e.find(".tmp: ") + 4));
    EXPECT_EQ(fileEvents, log.files);
    for (int d : {0, 3}) {
        std::string folder = root + "\\d" + std::to_string(d);
        auto gone = std::find(log.events.begin(), log.events.end(), folder + ": deleted");
        ASSERT_NE(gone, log.events.end());
        EXPECT_EQ(std::count_if(log.events.begin(), gone, [&](const std::string& e) { return e.rfind(folder + "\\", 0) == 0; }),
                  kFiles);
        EXPECT_FALSE(DirExists(folder));
    }
    EXPECT_EQ(result.deleted.files, static_cast<unsigned long long>(kFolders * kFiles - 2));
    EXPECT_EQ(result.left.files, 2u);
    EXPECT_TRUE(FileExists(root + "\\d1\\f7.tmp"));
    EXPECT_TRUE(FileExists(root + "\\d2\\f11.tmp"));
    RemoveTree(root);
}

// A stop in the middle of a folder's files: what was reported as deleted is
// gone and every other file is still there (a clean's report and journal
// say what it did, even when it was stopped).
struct StoppingLog : ReportLog {
    int polls = 0;
    int stopAfter;
    explicit StoppingLog(int after) : stopAfter(after) {}
    bool Stop() override { return ++polls > stopAfter; }
};

TEST(FsReports, AStopMidFolderLeavesExactlyTheFilesNotReported) {
    std::string root = MakeSandboxFolder("stop");
    const int kFiles = 100;
    std::vector<std::string> all;
    for (int f = 0; f < kFiles; ++f) {
        all.push_back(root + "\\f" + std::to_string(f) + ".tmp");
        ASSERT_TRUE(MakeFile(all.back(), 3));
    }
    StoppingLog log(8);
    TreeResult result = WalkTree(WideFromAnsi(root), TreeAction::Clean, TreeRules(), log);
    EXPECT_TRUE(result.stopped);
    ASSERT_GT(log.files.size(), 0u);
    ASSERT_EQ(log.events.size(), log.files.size());
    for (size_t i = 0; i < log.files.size(); ++i) EXPECT_EQ(log.events[i], log.files[i] + ": deleted");
    for (const std::string& file : all) {
        bool reported = std::find(log.files.begin(), log.files.end(), file) != log.files.end();
        EXPECT_EQ(FileExists(file), !reported) << file;
    }
    EXPECT_EQ(result.deleted.files, log.files.size());
    RemoveTree(root);
}

}  // namespace
