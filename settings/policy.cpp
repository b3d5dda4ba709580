#include "settings/policy.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

const char kPolicyKey[] = "Software\\Policies\\VOSK Software\\Brisola";
const char kBlockedByPolicy[] = "blocked by policy";

namespace {

const char kCategoriesKey[] = "Categories";
const char kKeptSitesKey[] = "KeptSites";
// A site name is a host name; longer values are not sites.
const DWORD kMaxSite = 255;
// A hand-made policy with thousands of sites still reads in bounded time.
const DWORD kMaxSites = 10000;

class PolicyKey {
public:
    // The machine's policies are read from the 64-bit view, where Group
    // Policy writes them, also by the 32-bit program.
    PolicyKey(HKEY root, const char* sub) {
        std::string path = kPolicyKey;
        if (sub) path = path + "\\" + sub;
        REGSAM access = KEY_READ | (root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0);
        if (RegOpenKeyExA(root, path.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~PolicyKey() {
        if (key_) RegCloseKey(key_);
    }
    PolicyKey(const PolicyKey&) = delete;
    PolicyKey& operator=(const PolicyKey&) = delete;
    HKEY get() const { return key_; }

    bool Dword(const char* name, DWORD& value) const {
        DWORD type = 0, size = sizeof value;
        return key_ && RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof value;
    }
    bool Text(const char* name, std::string& value) const {
        char text[kMaxSite + 1] = {};
        DWORD type = 0, size = kMaxSite;
        if (!key_ || RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        value.assign(text, strnlen(text, size));
        return true;
    }

private:
    HKEY key_ = nullptr;
};

// The machine's value when it has one, else the user's.
bool PolicyDword(const char* sub, const char* name, DWORD& value) {
    return PolicyKey(HKEY_LOCAL_MACHINE, sub).Dword(name, value) || PolicyKey(HKEY_CURRENT_USER, sub).Dword(name, value);
}

bool PolicyText(const char* name, std::string& value) {
    return PolicyKey(HKEY_LOCAL_MACHINE, nullptr).Text(name, value) ||
           PolicyKey(HKEY_CURRENT_USER, nullptr).Text(name, value);
}

void AddSites(HKEY root, std::vector<std::string>& sites) {
    PolicyKey key(root, kKeptSitesKey);
    if (!key.get()) return;
    for (DWORD i = 0; i < kMaxSites; ++i) {
        char name[256];
        char data[kMaxSite + 1] = {};
        DWORD nameSize = sizeof name, type = 0, dataSize = kMaxSite;
        LONG result = RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        std::string site(data, strnlen(data, dataSize));
        if (!site.empty()) sites.push_back(site);
    }
}

bool DwordIsOne(const char* name) {
    DWORD value = 0;
    return PolicyDword(nullptr, name, value) && value == 1;
}

}  // namespace

CategoryPolicy CategoryPolicyFor(const char* shortName) {
    DWORD value = 0;
    if (!shortName || !PolicyDword(kCategoriesKey, shortName, value)) return CategoryPolicy::UserChoice;
    if (value == 1) return CategoryPolicy::AlwaysClean;
    if (value == 0) return CategoryPolicy::NeverClean;
    return CategoryPolicy::UserChoice;
}

bool PolicyAlwaysAsks() { return DwordIsOne("AlwaysAsk"); }

bool PolicyForbidsFoundFileDelete() { return DwordIsOne("NoFoundFileDelete"); }

std::vector<std::string> PolicyKeptSites() {
    std::vector<std::string> sites;
    AddSites(HKEY_LOCAL_MACHINE, sites);
    AddSites(HKEY_CURRENT_USER, sites);
    return sites;
}

PolicySchedule PolicyWeeklySchedule() {
    PolicySchedule schedule;
    DWORD day = 0;
    std::string time;
    if (!PolicyDword(nullptr, "ScheduleDay", day) || day < 1 || day > 7 || !PolicyText("ScheduleTime", time)) return schedule;
    int hour = -1, minute = -1;
    char end = 0;
    if (sscanf(time.c_str(), "%2d:%2d%c", &hour, &minute, &end) != 2 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59)
        return schedule;
    schedule.set = true;
    schedule.day = static_cast<int>(day);
    schedule.hour = hour;
    schedule.minute = minute;
    return schedule;
}
