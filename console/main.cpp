// brisolac: the console front end. It measures and cleans through the
// same code as the GUI program and never opens a window.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "browsers/sqlite_db.h"
#include "console/arguments.h"
#include "console/output.h"
#include "console/schedule.h"
#include "drives/disk_scan.h"
#include "drives/drive_table.h"
#include "drives/filters.h"
#include "drives/found_files.h"
#include "fs/data_file.h"
#include "fs/text.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/clean_context.h"
#include "sweep/clean_event.h"
#include "sweep/clean_report.h"
#include "sweep/cleaning.h"
#include "jobs/job_lock.h"
#include "sweep/preview.h"
#include "sweep/sweep.h"
#include "version.h"

namespace {

enum ExitCode { kDone = 0, kFilesLeft = 1, kBadUsage = 2, kRefused = 3 };

const char kUsage[] =
    "Usage: brisolac COMMAND [ARGUMENTS]\n"
    "  list                          the categories, their numbers, short names and ticks\n"
    "  measure [CATEGORY...] [--json] the figures of the categories (all when none named)\n"
    "  preview CATEGORY... [--json]  every item a clean of the categories would delete\n"
    "  clean CATEGORY... | --ticked [--yes] [--dry-run] [--report FILE]\n"
    "                                cleans the named or the ticked categories;\n"
    "                                --dry-run only lists what it would delete;\n"
    "                                --report writes what the clean did to FILE as JSON\n"
    "  scan [--json]                 the disk scan: files of the fixed drives that\n"
    "                                the enabled filters of datafilters.txt match\n"
    "  schedule weekly|daily|logon|policy|off\n"
    "                                runs \"clean --ticked --yes\" from the Task Scheduler;\n"
    "                                policy: at the weekly time a Group Policy sets\n"
    "  policy                        the Group Policy values it reads, and how each is set\n"
    "  --help, --version\n"
    "A CATEGORY is its number or its short name.\n"
    "Exit codes: 0 done, 1 done with files left, 2 bad usage, 3 refused.\n";

int BadUsage(const char* message, const char* what) {
    fprintf(stderr, "brisolac: %s%s%s\n%s", message, what ? ": " : "", what ? what : "", kUsage);
    return kBadUsage;
}

// Each policy value the program reads, a tab, and how it is set here.
int ShowPolicy() {
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        const char* name = CategoryAt(i).shortName;
        CategoryPolicy policy = CategoryPolicyFor(name);
        printf("Categories\\%s\t%s\n", name,
               policy == CategoryPolicy::AlwaysClean  ? "always clean"
               : policy == CategoryPolicy::NeverClean ? "never clean"
                                                      : "not set");
    }
    std::string sites;
    for (const std::string& site : PolicyKeptSites()) sites += (sites.empty() ? "" : ", ") + site;
    printf("KeptSites\t%s\n", sites.empty() ? "not set" : sites.c_str());
    printf("AlwaysAsk\t%s\n", PolicyAlwaysAsks() ? "on" : "not set");
    printf("NoFoundFileDelete\t%s\n", PolicyForbidsFoundFileDelete() ? "on" : "not set");
    PolicySchedule schedule = PolicyWeeklySchedule();
    if (schedule.set) {
        printf("ScheduleDay\t%d\nScheduleTime\t%02d:%02d\n", schedule.day, schedule.hour, schedule.minute);
    } else {
        printf("ScheduleDay\tnot set\nScheduleTime\tnot set\n");
    }
    return kDone;
}

int List() {
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        printf("%2d %-10s [%c] %s\n", i + 1, CategoryAt(i).shortName, table[i].ticked == 1 ? 'x' : ' ', table[i].label);
        if (const char* explanation = CategoryExplanation(i)) printf("                  %s\n", explanation);
    }
    return kDone;
}

// Measures `which` (every measured category when empty) into the table.
void MeasureSome(const std::vector<int>& which, SweepCategory (&table)[SWEEP_COUNT]) {
    static CategoryMeasurement measured[SWEEP_COUNT];
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) {
        measured[i] = CategoryMeasurement();
        bool named = which.empty();
        for (int w : which) named = named || w == i;
        if (!named || !CategoryAt(i).measure) continue;
        ShowProgress(CategoryAt(i).label);
        MeasureCategory(i, measured[i]);
    }
    ShowProgress("");
    PublishMeasuredCategories(measured);
    GetSweepTable(table);
}

int Measure(const Arguments& args) {
    SweepCategory table[SWEEP_COUNT];
    MeasureSome(args.categories, table);
    std::vector<int> shown = args.categories;
    if (shown.empty())
        for (int i = 0; i < SWEEP_CATEGORIES; ++i) shown.push_back(i);
    if (args.json) printf("{\"version\": \"%s\", \"categories\": [\n", BRISOLA_VERSION);
    for (size_t k = 0; k < shown.size(); ++k)
        printf("%s%s\n", CategoryFigures(shown[k], table[shown[k]], args.json).c_str(),
               args.json && k + 1 < shown.size() ? "," : "");
    if (args.json) printf("]}\n");
    return kDone;
}

// One listed item; `counted` false marks what the row's figure leaves out
// (a preview's only: found files are all counted).
void PrintItem(const std::string& path, bool isFolder, unsigned long long size, bool json, bool& first,
               bool counted = true, bool withCounted = false) {
    if (json) {
        printf("%s{\"path\": %s, \"folder\": %s, \"bytes\": %llu%s}", first ? "" : ",\n",
               JsonString(path).c_str(), isFolder ? "true" : "false", size,
               !withCounted ? "" : counted ? ", \"counted\": true" : ", \"counted\": false");
    } else {
        printf("%s%s\t%llu%s\n", path.c_str(), isFolder ? "\\" : "", size, counted ? "" : "\tnot counted");
    }
    first = false;
}

// Lists what cleaning `which` would delete now, by the clean's own walks.
int Preview(const std::vector<int>& which, bool json) {
    std::vector<PreviewList> lists(which.size());
    for (size_t k = 0; k < which.size(); ++k) {
        ShowProgress(CategoryAt(which[k]).label);
        if (!PreviewCategory(which[k], lists[k])) {
            ShowProgress("");
            fprintf(stderr, "brisolac: %s: %s\n", CategoryAt(which[k]).shortName, lists[k].reason.c_str());
            return kRefused;
        }
    }
    ShowProgress("");
    if (json) printf("{\"version\": \"%s\", \"categories\": [\n", BRISOLA_VERSION);
    for (size_t k = 0; k < which.size(); ++k) {
        const PreviewList& list = lists[k];
        const char* name = CategoryAt(which[k]).shortName;
        if (json)
            printf("%s{\"name\": %s, \"files\": %llu, \"folders\": %llu, \"bytes\": %llu, \"notCounted\": %llu, "
                   "\"items\": [\n",
                   k ? ",\n" : "", JsonString(name).c_str(), list.files, list.folderItems, list.bytes, list.uncounted);
        else if (list.uncounted > 0)
            printf("# %s: %llu files, %llu folders, %llu bytes; %llu not counted in the figure\n", name, list.files,
                   list.folderItems, list.bytes, list.uncounted);
        else
            printf("# %s: %llu files, %llu folders, %llu bytes\n", name, list.files, list.folderItems, list.bytes);
        bool first = true;
        for (size_t i = 0; i < list.size(); ++i)
            PrintItem(Utf8FromWide(list.PathOf(i)), list.IsFolder(i), list.items[i].size, json, first,
                      list.IsCounted(i), true);
        if (json) printf("]}");
    }
    if (json) printf("\n]}\n");
    return kDone;
}

// The disk scan over the fixed drives with the filters of datafilters.txt.
// No drive ticks are saved: every fixed drive counts as ticked, as it does
// when the GUI starts.
int Scan(bool json) {
    EnumerateDrives();
    LoadFilterTable();
    ShowProgress("Scanning the fixed drives...");
    RunDiskScan(TakeDiskScanSnapshot());
    ShowProgress("");
    unsigned long long seen = 0, found = 0;
    GetFoundFilesTotals(&seen, &found);
    DiskScanReport report = GetDiskScanReport();
    if (json) printf("{\"version\": \"%s\", \"filesSeen\": %llu, \"filesFound\": %llu, \"bytes\": %llu, \"files\": [\n",
                     BRISOLA_VERSION, seen, found, report.bytes);
    bool first = true;
    for (const FoundFile& file : CopyFoundFiles()) {
        std::string path = file.location + "\\" + file.name;
        WIN32_FILE_ATTRIBUTE_DATA data;
        unsigned long long size = 0;
        if (GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data))
            size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        PrintItem(path, false, size, json, first);
    }
    if (json) printf("\n]}\n");
    else printf("# %llu files seen, %llu found, %llu bytes\n", seen, found, report.bytes);
    return kDone;
}

// The after-clean summary of the clean's own report; files left, with
// their reasons, make the exit code 1.
int PrintCleanReport(const CleanReport& report) {
    for (const CategoryReport& category : report.categories) {
        char size[64];
        FormatSize(category.bytesFreed, size, sizeof size);
        printf("%s: %s freed, %llu items deleted, %llu left\n", CategoryAt(category.row).shortName, size,
               category.itemsDeleted, category.itemsLeft);
        if (!category.refused.empty()) printf("  not cleaned: %s\n", category.refused.c_str());
        for (const LeftItem& item : category.left)
            printf("  left: %s: %s\n", Utf8FromWide(item.path).c_str(), LeftItemText(item).c_str());
        if (category.itemsLeft > category.left.size())
            printf("  ... and %llu more left\n", category.itemsLeft - category.left.size());
    }
    printf("%s\n", CleanSummaryText(report).c_str());
    return report.itemsLeft ? kFilesLeft : kDone;
}

// The user has answered once for the whole clean.
bool AlreadyConfirmed(const char*) { return true; }

// "Clean WHAT? [y/N]" on the console; no answer (no console, a scheduled
// run) is a no.
bool AskYes(const std::string& what) {
    printf("Clean %s? [y/N] ", what.c_str());
    fflush(stdout);
    char answer[16] = {};
    if (!fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

// A policy that always asks is asked at each category, --yes or not.
bool AskEach(const char* subject) { return AskYes(subject); }

bool AskOnce(const std::vector<int>& which) {
    std::string names;
    for (int i : which) names += (names.empty() ? "" : " ") + std::string(CategoryAt(i).shortName);
    return AskYes(names);
}

// The --report file: what became of the clean, as its event says it.
void WriteReportFile(const Arguments& args, const CleanEvent& event) {
    if (!args.reportFile.empty() && !WriteFileAtomically(args.reportFile, event.Json()))
        fprintf(stderr, "brisolac: the report could not be written to %s\n", args.reportFile.c_str());
}

int Refuse(const Arguments& args, const std::string& why) {
    fprintf(stderr, "brisolac: %s; nothing was cleaned\n", why.c_str());
    CleanEvent event = RefusedEventOf(why, CurrentUserName());
    WriteCleanEvent(event);
    WriteReportFile(args, event);
    return kRefused;
}

int Clean(const Arguments& args) {
    std::vector<int> which = args.categories;
    if (args.ticked) {
        SweepCategory table[SWEEP_COUNT];
        GetSweepTable(table);
        CategoryTicks ticks;
        for (int i = 0; i < SWEEP_CATEGORIES; ++i) ticks[i] = table[i].ticked;
        ApplyPolicyToTicks(ticks);
        for (int i = 0; i < SWEEP_CATEGORIES; ++i)
            if (ticks[i] == 1) which.push_back(i);
    }
    if (args.dryRun) return Preview(which, args.json);
    for (int i : which) {
        char subject[256] = {};
        if (!CategoryAt(i).findSubject(subject))
            return Refuse(args, std::string(CategoryAt(i).shortName) + ": its folder cannot be found");
        if (PolicyTickFor(i) == 0) return Refuse(args, std::string(CategoryAt(i).shortName) + ": " + kBlockedByPolicy);
    }
    JobLock lock;
    if (!lock.held()) return Refuse(args, "Brisola is cleaning now");
    if (!args.yes && !AskOnce(which)) return Refuse(args, "not confirmed");
    CategoryTicks ticks{};
    for (int i : which) ticks[i] = 1;
    CleanContext context;
    context.confirm = PolicyAlwaysAsks() ? AskEach : AlreadyConfirmed;
    ShowProgress("Cleaning...");
    CleanCategoriesWithTicks(ticks, context);
    ShowProgress("");
    CleanReport report = CopyLastCleanReport();
    // Its event was written as the clean ended.
    WriteReportFile(args, CleanEventOf(report, CurrentUserName()));
    return PrintCleanReport(report);
}

// COM for what may go through the shell: the Recycle Bin, the history's
// shell folder, or categories not named. Under Wine, COM's start-up also
// starts the desktop process, which a clean of named folders never needs.
bool NeedsCom(const Arguments& args) {
    if (args.command != "measure" && args.command != "preview" && args.command != "clean") return true;
    if (args.categories.empty()) return true;
    for (int i : args.categories)
        if (i == SWEEP_RECYCLE_BIN || i == SWEEP_HISTORY) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(kUsage, stdout);
        return kDone;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("brisolac %s, %s\nSQLite %s\n", BRISOLA_VERSION, BRISOLA_COMPANY, SqliteVersion());
        return kDone;
    }
    Arguments args;
    UsageError error;
    if (!ParseArguments(argc, argv, FindCategory, args, error))
        return BadUsage(error.message, error.what);
    HRESULT com = NeedsCom(args) ? CoInitialize(nullptr) : E_FAIL;
    LoadSettings();
    LoadCategoryTicks();
    // The Recycle Bin is measured over the fixed drives of the drive table.
    EnumerateDrives();
    int code;
    if (args.command == "list") code = List();
    else if (args.command == "measure") code = Measure(args);
    else if (args.command == "preview") code = Preview(args.categories, args.json);
    else if (args.command == "clean") code = Clean(args);
    else if (args.command == "scan") code = Scan(args.json);
    else if (args.command == "schedule") code = ScheduleClean(args.when.c_str());
    else if (args.command == "policy") code = ShowPolicy();
    else code = BadUsage("unknown command", args.command.c_str());
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
