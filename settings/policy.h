// Group Policy: what an administrator has decided for every user of a
// machine, under "Software\Policies\VOSK Software\Brisola" in
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, where a machine value wins.
// With no policy set, every choice stays the user's. Read afresh at each
// question, so a policy refresh applies without a restart.
#pragma once

#include <string>
#include <vector>

extern const char kPolicyKey[];

// Per category, by its console name ("temp", "browser-cookies"): a value
// of that name under kPolicyKey\Categories, REG_DWORD 1 always clean, 0
// never clean.
enum class CategoryPolicy { UserChoice, AlwaysClean, NeverClean };
CategoryPolicy CategoryPolicyFor(const char* shortName);

// "AlwaysAsk" = 1: ask before each category, whatever AskDel says.
bool PolicyAlwaysAsks();
// "NoFoundFileDelete" = 1: the files the disk scan found are never deleted.
bool PolicyForbidsFoundFileDelete();
// Sites under kPolicyKey\KeptSites (any value names, REG_SZ): kept for
// every user, on top of the user's own list, and not removable.
std::vector<std::string> PolicyKeptSites();

// "ScheduleDay" (REG_DWORD 1 Monday .. 7 Sunday) and "ScheduleTime"
// (REG_SZ "HH:MM"): a weekly "clean --ticked --yes" for every user who
// logs on. `set` is false unless both are there and well formed.
struct PolicySchedule {
    bool set = false;
    int day = 0;  // 1 Monday .. 7 Sunday
    int hour = 0;
    int minute = 0;
};
PolicySchedule PolicyWeeklySchedule();

// The text a refusal names.
extern const char kBlockedByPolicy[];
