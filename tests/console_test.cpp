// brisolac.exe, run as a script would run it, against a temporary folder of
// its own (TMP and TEMP point the child there). scripts/test.sh puts the
// program at C:\.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "browser_support.h"
#include "browsers/site_list.h"
#include "clean_support.h"
#include "fs/text.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/clean_event.h"
#include "sweep/cleaning.h"
#include "sweep/journal.h"
#include "jobs/job_lock.h"
#include "sweep/sweep.h"
#include "version.h"

namespace {

using cleantest::TempFolderOverride;

struct Result {
    DWORD code = static_cast<DWORD>(-1);
    std::string out;
};

// Runs brisolac with `arguments`, stdin empty, and collects stdout.
Result RunConsole(const std::string& arguments) {
    Result result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return result;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE none = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = none;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::string command = "C:\\brisolac.exe " + arguments;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    CloseHandle(none);
    if (started) {
        char buffer[4096];
        DWORD n;
        while (ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n) result.out.append(buffer, n);
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &result.code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(read);
    return result;
}

// A number field of the JSON object of category `name`; -1 when absent.
long long JsonField(const std::string& json, const char* name, const char* field) {
    size_t at = json.find(std::string("\"name\": \"") + name + "\"");
    if (at == std::string::npos) return -1;
    at = json.find(std::string("\"") + field + "\": ", at);
    long long value = -1;
    if (at != std::string::npos) sscanf(json.c_str() + at + strlen(field) + 4, "%lld", &value);
    return value;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        temp_ = std::string(base) + "brisolac-temp";
        DeleteFileA((temp_ + "\\held.tmp").c_str());  // a run that stopped halfway
        Plant();
        override_.reset(new TempFolderOverride(temp_ + "\\"));
    }
    void Plant() const {
        CreateDirectoryA(temp_.c_str(), nullptr);
        CreateDirectoryA((temp_ + "\\sub").c_str(), nullptr);
        WriteWholeFile(temp_ + "\\a.tmp", std::string(1000, 'a'));
        WriteWholeFile(temp_ + "\\sub\\b.log", std::string(3000, 'b'));
    }
    bool Planted() const { return Exists(temp_ + "\\a.tmp") && Exists(temp_ + "\\sub\\b.log"); }

    std::string temp_;
    std::unique_ptr<TempFolderOverride> override_;
};

// Every wrong or refused command deletes nothing. (What the command line
// parser refuses: tests/unit/console_ut.cpp.)
TEST_F(Console, BadOrRefusedCommandsDeleteNothing) {
    const struct {
        const char* arguments;
        DWORD code;
        const char* says;
    } kCases[] = {
        {"clean 0 --yes", 2, "no category"},
        {"clean 15 --yes", 2, "no category"},
        {"frobnicate", 2, "unknown command"},
        {"schedule hourly", 2, "hourly"},
        {"clean temp", 3, "not confirmed"},  // stdin gives no "y"
        {"--version", 0, BRISOLA_VERSION},
        {"--help", 0, "Exit codes"},
        {"list", 0, " 4 temp       [x] Sweep Temporary Windows file"},
    };
    for (const auto& c : kCases) {
        Result r = RunConsole(c.arguments);
        EXPECT_EQ(r.code, c.code) << c.arguments << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.arguments << "\n" << r.out;
        EXPECT_TRUE(Planted()) << c.arguments;
    }
    // While a clean job holds the lock, the console refuses.
    JobLock job;
    ASSERT_TRUE(job.held());
    Result r = RunConsole("clean temp --yes");
    EXPECT_EQ(r.code, 3u) << r.out;
    EXPECT_NE(r.out.find("cleaning now"), std::string::npos) << r.out;
    EXPECT_TRUE(Planted());
}

// The paths of a plain preview's "path<TAB>size" lines; folders end in "\".
std::set<std::string> ListedPaths(const std::string& out) {
    std::set<std::string> paths;
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(at, end - at);
        size_t tab = line.find('\t');
        if (!line.empty() && line[0] != '#' && tab != std::string::npos) paths.insert(line.substr(0, tab));
        at = end + 1;
    }
    return paths;
}

TEST_F(Console, CleanDeletesExactlyWhatPreviewListed) {
    Result preview = RunConsole("preview temp");
    ASSERT_EQ(preview.code, 0u) << preview.out;
    const std::set<std::string> listed = ListedPaths(preview.out);
    EXPECT_EQ(listed, (std::set<std::string>{temp_ + "\\a.tmp", temp_ + "\\sub\\", temp_ + "\\sub\\b.log"}))
        << preview.out;
    Result dry = RunConsole("clean temp --dry-run --yes");
    EXPECT_EQ(dry.code, 0u);
    EXPECT_EQ(dry.out, preview.out);
    EXPECT_TRUE(Planted()) << "--dry-run deletes nothing";

    const std::string journal = ReadWholeFile(Utf8FromWide(JournalPath()));
    Result r = RunConsole("clean 4 --yes");
    EXPECT_EQ(r.code, 0u) << r.out;
    EXPECT_NE(r.out.find("temp: 3.91 KB freed, 3 items deleted, 0 left"), std::string::npos) << r.out;
    const std::string added = ReadWholeFile(Utf8FromWide(JournalPath())).substr(journal.size());
    for (const std::string& path : listed) {
        std::string bare = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        EXPECT_FALSE(Exists(bare)) << path;
        EXPECT_NE(added.find("\t" + bare + "\r\n"), std::string::npos) << "journal: " << path << "\n" << added;
    }
    EXPECT_TRUE(Exists(temp_)) << "the folder itself stays";

    // A file in use stays, with its reason, and the exit code says so.
    WriteWholeFile(temp_ + "\\held.tmp", "x");
    HANDLE held = CreateFileA((temp_ + "\\held.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    r = RunConsole("clean temp --yes");
    CloseHandle(held);
    EXPECT_EQ(r.code, 1u) << r.out;
    EXPECT_NE(r.out.find("  left: " + temp_ + "\\held.tmp: in use"), std::string::npos) << r.out;
    EXPECT_TRUE(Exists(temp_ + "\\held.tmp"));
    DeleteFileA((temp_ + "\\held.tmp").c_str());
}

// An index file is deleted by the clean but left out of the figure: the
// preview lists it, marked, in both forms.
TEST_F(Console, PreviewMarksWhatTheFigureLeavesOut) {
    WriteWholeFile(temp_ + "\\index.dat", "12345");
    Result plain = RunConsole("preview temp");
    Result json = RunConsole("preview temp --json");
    Result measured = RunConsole("measure temp --json");
    DeleteFileA((temp_ + "\\index.dat").c_str());
    EXPECT_NE(plain.out.find(temp_ + "\\index.dat\t5\tnot counted\r\n"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("\\a.tmp\t1000\r\n"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("# temp: 3 files, 1 folders, 4005 bytes; 1 not counted in the figure"), std::string::npos)
        << plain.out;
    EXPECT_NE(json.out.find("index.dat\", \"folder\": false, \"bytes\": 5, \"counted\": false}"), std::string::npos)
        << json.out;
    EXPECT_EQ(JsonField(json.out, "temp", "notCounted"), 1) << json.out;
    // The figures the GUI's table has, of the named category only.
    CategoryMeasurement model;
    MeasureCategory(SWEEP_TEMP, model);
    EXPECT_EQ(JsonField(measured.out, "temp", "files"), static_cast<long long>(model.counters.files)) << measured.out;
    EXPECT_EQ(JsonField(measured.out, "temp", "folders"), static_cast<long long>(model.counters.folders)) << measured.out;
    EXPECT_EQ(JsonField(measured.out, "temp", "bytes"), static_cast<long long>(model.counters.bytes)) << measured.out;
    EXPECT_EQ(model.counters.files, 2u);
    EXPECT_EQ(model.counters.bytes, 4000u);
    EXPECT_EQ(JsonField(measured.out, "cookies", "files"), -1) << measured.out;
}

// --- every category through the console ------------------------------------

std::string Local() { return cleantest::SpecialFolder(CSIDL_LOCAL_APPDATA); }

// Plants one file (its folders made) and gives its path as a preview prints it.
std::string PlantFile(const std::string& path, unsigned long long size) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.rfind('\\')).c_str(), nullptr);
    return MakeFile(path, size) ? path : "";
}

bool BinHoldsSomething() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinA(nullptr, &info)) && info.i64NumItems > 0;
}

const char kConsoleUrl[] = "http://console.example/page.html";

// One item per category, planted by this process for the console program
// to find through its own folder lookups.
struct Reach {
    const char* name;
    std::string (*plant)();                      // the item as a preview prints it; "" when none can be planted
    bool cleaned;                                // false: the clean keeps it by design
    bool (*present)(const std::string& item);
};

const Reach kReaches[] = {
    {"cache",
     [] { return cleantest::AddCacheEntry(kConsoleUrl, 100, NORMAL_CACHE_ENTRY) ? std::string(kConsoleUrl) : ""; }, true,
     [](const std::string& url) { return cleantest::CacheEntryExists(url); }},
    // Only what the Cookies Manager listed goes, and brisolac lists none.
    {"cookies", [] { return PlantFile(CookieFolder() + "\\brisolac@console.txt", 40); }, false, Exists},
    {"recent", [] { return PlantFile(cleantest::SpecialFolder(CSIDL_RECENT) + "\\brisolac-doc.lnk", 12); }, true, Exists},
    {"temp", [] { return std::string(); }, true, Exists},  // the fixture's own files
    {"history", [] { return PlantFile(cleantest::SpecialFolder(CSIDL_HISTORY) + "\\brisolac-day\\visit.url", 12); },
     true, Exists},
    {"other", [] { return std::string(); }, true, Exists},  // found files live in the process that scanned
    {"recycle",
     [] {
         std::string file = PlantFile(MakeSandboxFolder("console-bin") + "\\binned.txt", 64);
         return cleantest::RecycleFile(file) ? std::string("binned.txt") : "";
     },
     true, [](const std::string&) { return BinHoldsSomething(); }},
    {"browsers",
     [] { return PlantFile(Local() + "\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\f_console", 100); },
     true, Exists},
    {"thumbnails", [] { return PlantFile(Local() + "\\Microsoft\\Windows\\Explorer\\thumbcache_console.db", 50); },
     true, Exists},
    {"dumps", [] { return PlantFile(Local() + "\\CrashDumps\\console.exe.1.dmp", 70); }, true, Exists},
};

// Each category is measured, previewed and cleaned by brisolac itself: one
// whose folder the console cannot find would measure nothing and refuse.
TEST_F(Console, EveryCategoryIsMeasuredPreviewedAndCleaned) {
    for (const Reach& reach : kReaches) {
        SCOPED_TRACE(reach.name);
        ASSERT_GE(FindCategory(reach.name), 0);
        std::string item = reach.plant();
        bool planted = !item.empty() || std::string(reach.name) == "temp";
        if (std::string(reach.name) == "temp") item = temp_ + "\\a.tmp";

        Result measured = RunConsole(std::string("measure ") + reach.name + " --json");
        EXPECT_EQ(measured.code, 0u) << measured.out;
        if (planted) {
            EXPECT_GE(JsonField(measured.out, reach.name, "files"), 1) << measured.out;
        }

        Result preview = RunConsole(std::string("preview ") + reach.name);
        EXPECT_EQ(preview.code, 0u) << preview.out;
        bool listed = preview.out.find(item + "\t") != std::string::npos;
        if (planted) {
            EXPECT_EQ(listed, reach.cleaned) << item << "\n" << preview.out;
        }

        Result clean = RunConsole(std::string("clean ") + reach.name + " --yes");
        EXPECT_LT(clean.code, 2u) << "refused: " << clean.out;
        EXPECT_NE(clean.out.find(std::string(reach.name) + ": "), std::string::npos) << clean.out;
        if (planted) {
            EXPECT_EQ(reach.present(item), !reach.cleaned) << item;
        }
    }
    DeleteFileA((CookieFolder() + "\\brisolac@console.txt").c_str());
    RemoveTree(Local() + "\\Google");
    RemoveTree("C:\\brisola-tests\\console-bin");
}

// The scan reads the shared datafilters.txt, as the GUI does.
TEST_F(Console, ScanFindsWhatTheFiltersMatch) {
    const std::string filters = FiltersFilePath();
    const bool had = Exists(filters);
    const std::string saved = had ? ReadWholeFile(filters) : "";
    WriteWholeFile(filters, ".brisolac-probe Probe files $ true\r\n[end]");
    WriteWholeFile(temp_ + "\\c.brisolac-probe", "probe");
    Result r = RunConsole("scan --json");
    if (had) WriteWholeFile(filters, saved);
    else DeleteFileA(filters.c_str());
    DeleteFileA((temp_ + "\\c.brisolac-probe").c_str());
    EXPECT_EQ(r.code, 0u) << r.out;
    EXPECT_NE(r.out.find("\"filesFound\": 1,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("brisolac-temp\\\\c.brisolac-probe\", \"folder\": false, \"bytes\": 5}"), std::string::npos)
        << r.out;
}

// Group Policy values under HKLM or HKCU, all removed again at the end.
class Policies {
public:
    Policies() { Clear(); }
    ~Policies() { Clear(); }
    void Dword(HKEY root, const char* sub, const char* name, DWORD value) {
        std::string path = std::string(kPolicyKey) + (sub ? std::string("\\") + sub : "");
        ASSERT_TRUE(cleantest::SetRegDword(root, path, name, value));
    }
    void Text(HKEY root, const char* name, const char* text) {
        ASSERT_TRUE(cleantest::SetRegValue(root, kPolicyKey, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1)));
    }

private:
    static void Clear() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
    }
};

enum Where { kNone, kMachine, kUser };

// Each policy against what a clean in this process and brisolac then do
// with the planted temporary folder.
TEST_F(Console, PoliciesDecideWhatACleanDoes) {
    const std::string report = "C:\\brisolac-report.json";
    const struct {
        const char* what;
        Where temp;        // a per-category policy for temp, 0 never / 1 always
        DWORD tempValue;
        Where userOverride;  // the user's opposite value beside the machine's
        Where alwaysAsk;
        const char* arguments;
        DWORD code;
        bool cleaned;
        DWORD event;
    } kCases[] = {
        {"no policy", kNone, 0, kNone, kNone, "clean temp --yes", 0, true, kEventCleaned},
        {"machine: never", kMachine, 0, kNone, kNone, "clean temp --yes", 3, false, kEventRefused},
        {"user: never", kUser, 0, kNone, kNone, "clean temp --yes", 3, false, kEventRefused},
        {"machine always wins over user never", kMachine, 1, kUser, kNone, "clean temp --yes", 0, true, kEventCleaned},
        {"always ask, nobody answers", kNone, 0, kNone, kUser, "clean temp --yes", 0, false, kEventCleaned},
        {"always clean joins --ticked", kMachine, 1, kNone, kNone, "clean --ticked --yes", 0, true, kEventCleaned},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        Policies policies;
        HKEY root = c.temp == kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        if (c.temp != kNone) policies.Dword(root, "Categories", "temp", c.tempValue);
        if (c.userOverride != kNone) policies.Dword(HKEY_CURRENT_USER, "Categories", "temp", !c.tempValue);
        if (c.alwaysAsk != kNone) policies.Dword(HKEY_CURRENT_USER, nullptr, "AlwaysAsk", 1);
        if (strstr(c.arguments, "--ticked")) {
            // Only temp may be cleaned: every other category is forbidden,
            // and temp's own stored tick is off.
            for (int i = 0; i < SWEEP_CATEGORIES; ++i)
                if (i != SWEEP_TEMP) policies.Dword(HKEY_LOCAL_MACHINE, "Categories", CategoryAt(i).shortName, 0);
        }
        DeleteFileA(report.c_str());
        Result r = RunConsole(std::string(c.arguments) + " --report " + report);
        EXPECT_EQ(r.code, c.code) << r.out;
        EXPECT_EQ(!Planted(), c.cleaned) << r.out;
        const std::string json = ReadWholeFile(report);
        EXPECT_EQ(json.find("{\"event\": " + std::to_string(c.event) + ","), 0u) << json;
        if (c.event == kEventRefused) {
            EXPECT_NE(r.out.find("temp: blocked by policy; nothing was cleaned"), std::string::npos) << r.out;
            EXPECT_NE(json.find("\"refused\": \"temp: blocked by policy\""), std::string::npos) << json;
        }

        // The same clean in this process, through the engine.
        if (!Planted()) Plant();
        if (strstr(c.arguments, "--ticked")) continue;
        int before = EventsWrittenForTest();
        cleantest::Clean(cleantest::Only(SWEEP_TEMP));
        EXPECT_EQ(!Planted(), c.cleaned);
        // Wine keeps no Application log; the event is still handed over,
        // and the clean went on.
        EXPECT_EQ(EventsWrittenForTest(), before + 1);
        CleanEvent event = LastEventForTest();
        if (c.event == kEventRefused) {
            EXPECT_EQ(event.id, kEventItemsLeft);
            ASSERT_EQ(event.report.categories.size(), 1u);
            EXPECT_EQ(event.report.categories[0].refused, "blocked by policy");
        } else {
            EXPECT_EQ(event.id, kEventCleaned);
        }
        if (!Planted()) Plant();
    }
}

TEST_F(Console, FoundFilesPolicyBlocksTheirCategory) {
    Policies policies;
    policies.Dword(HKEY_LOCAL_MACHINE, nullptr, "NoFoundFileDelete", 1);
    Result r = RunConsole("clean other --yes");
    EXPECT_EQ(r.code, 3u) << r.out;
    EXPECT_NE(r.out.find("other: blocked by policy"), std::string::npos) << r.out;
    r = RunConsole("policy");
    EXPECT_NE(r.out.find("NoFoundFileDelete\ton"), std::string::npos) << r.out;
}

// The Application log's event ID and type follow what the clean did.
// (Its inserts and the --report JSON: tests/unit/clean_text_ut.cpp.)
TEST(CleanEvent, IdAndTypeFollowTheReport) {
    CleanReport clean;
    clean.valid = true;
    clean.categories.resize(1);
    CleanReport left = clean, blocked = clean;
    left.itemsLeft = 2;
    blocked.categories[0].refused = "blocked by policy";
    const struct {
        CleanEvent event;
        DWORD id;
        WORD type;
    } kCases[] = {
        {CleanEventOf(clean, "ann"), kEventCleaned, EVENTLOG_INFORMATION_TYPE},
        {CleanEventOf(left, "ann"), kEventItemsLeft, EVENTLOG_WARNING_TYPE},
        {CleanEventOf(blocked, "ann"), kEventItemsLeft, EVENTLOG_WARNING_TYPE},
        {RefusedEventOf("busy", "ann"), kEventRefused, EVENTLOG_ERROR_TYPE},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.event.id, c.id);
        EXPECT_EQ(c.event.type, c.type);
    }
    EXPECT_FALSE(CurrentUserName().empty());
}

// Each time makes the task and "off" removes it; "policy", run at logon,
// takes the weekly time a policy sets: none set, nothing scheduled.
TEST_F(Console, ScheduleCreatesAndRemovesTheTask) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string task = std::string(windows) + "\\System32\\Tasks\\Brisola clean";
    const struct {
        const char* when;
        DWORD day;
        const char* time;
        bool scheduled;
    } kCases[] = {{"weekly", 0, nullptr, true},  {"daily", 0, nullptr, true},   {"logon", 0, nullptr, true},
                  {"policy", 0, nullptr, false}, {"policy", 3, "21:30", true}, {"policy", 3, "25:00", false},
                  {"policy", 8, "12:00", false}, {"policy", 7, "7:05", true}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.when) + " " + (c.time ? c.time : ""));
        Policies policies;
        if (c.day) policies.Dword(HKEY_LOCAL_MACHINE, nullptr, "ScheduleDay", c.day);
        if (c.time) policies.Text(HKEY_LOCAL_MACHINE, "ScheduleTime", c.time);
        Result r = RunConsole(std::string("schedule ") + c.when);
        EXPECT_EQ(r.code, 0u) << r.out;
        // Wine keeps the task but writes its triggers and actions back
        // as empty elements, so only its presence can be seen here.
        EXPECT_EQ(Exists(task), c.scheduled) << r.out;
        EXPECT_EQ(RunConsole("schedule off").code, 0u);
        EXPECT_FALSE(Exists(task));
    }
}

// A closed Chrome profile in the sandbox, for the browser rows.
class ConsoleBrowsers : public Console {
protected:
    void SetUp() override {
        Console::SetUp();
        data_ = Local() + "\\Google\\Chrome\\User Data";
        profile_ = data_ + "\\Default";
        RemoveTree(Local() + "\\Google");
        SHCreateDirectoryExA(nullptr, (profile_ + "\\Network").c_str(), nullptr);
        WriteWholeFile(profile_ + "\\Preferences", "{}");
        browsertest::Sql(profile_ + "\\Network\\Cookies",
                         std::string(browsertest::kChromeCookies) + browsertest::ChromeCookie(".example.com", "", "SID") +
                             browsertest::ChromeCookie(".example.net", "", "ad"));
        browsertest::Sql(profile_ + "\\Web Data", browsertest::kChromeWebData);
    }
    void TearDown() override { RemoveTree(Local() + "\\Google"); }

    std::string data_, profile_;
};

TEST_F(ConsoleBrowsers, FormValuesAreMeasuredListedAndCleaned) {
    Result measure = RunConsole("measure browser-forms --json");
    ASSERT_EQ(measure.code, 0u) << measure.out;
    EXPECT_EQ(JsonField(measure.out, "browser-forms", "files"), 2) << measure.out;
    Result preview = RunConsole("preview browser-forms");
    EXPECT_NE(preview.out.find("field email (1 value)"), std::string::npos) << preview.out;
    Result r = RunConsole("clean browser-forms --yes");
    EXPECT_EQ(r.code, 0u) << r.out;
    EXPECT_NE(r.out.find("browser-forms: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 items deleted, 0 left"), std::string::npos) << r.out;
    EXPECT_EQ(browsertest::Query(profile_ + "\\Web Data", "SELECT COUNT(*) FROM autofill"), "0");
    EXPECT_EQ(browsertest::Query(profile_ + "\\Web Data", "SELECT COUNT(*) FROM token_service"), "1");
}

// (A keep list that cannot be read: browsers_test.)
TEST_F(ConsoleBrowsers, CookiesFollowTheKeepList) {
    ASSERT_TRUE(SaveKeepSites({"example.com"}));
    Result preview = RunConsole("preview browser-cookies");
    EXPECT_NE(preview.out.find(".example.net (1 cookie)"), std::string::npos) << preview.out;
    EXPECT_EQ(preview.out.find(".example.com"), std::string::npos) << preview.out;
    Result r = RunConsole("clean browser-cookies --yes");
    EXPECT_EQ(r.code, 0u) << r.out;
    EXPECT_EQ(browsertest::Column(profile_ + "\\Network\\Cookies", "SELECT host_key FROM cookies"),
              (std::set<std::string>{".example.com"}));
    ASSERT_TRUE(SaveKeepSites({}));
}

}  // namespace
