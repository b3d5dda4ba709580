// Finding the browsers' profiles. Nothing here writes a byte.
#include "browsers/profiles.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "browsers/json_scan.h"
#include "fs/text.h"
#include "fs/tree.h"

namespace {

// Local State is mostly preferences; a few megabytes at most.
const size_t kLocalStateMax = 32u << 20;
const size_t kProfilesIniMax = 1u << 20;

struct ChromiumPlace {
    const char* name;
    bool roaming;            // under the roaming application data (Opera)
    const wchar_t* folder;   // the User Data folder
    bool rootIsProfile;      // Opera keeps its first profile in that folder itself
};

const ChromiumPlace kChromium[] = {
    {"Google Chrome", false, L"Google\\Chrome\\User Data", false},
    {"Google Chrome Beta", false, L"Google\\Chrome Beta\\User Data", false},
    {"Google Chrome Dev", false, L"Google\\Chrome Dev\\User Data", false},
    {"Google Chrome Canary", false, L"Google\\Chrome SxS\\User Data", false},
    {"Microsoft Edge", false, L"Microsoft\\Edge\\User Data", false},
    {"Microsoft Edge Beta", false, L"Microsoft\\Edge Beta\\User Data", false},
    {"Microsoft Edge Dev", false, L"Microsoft\\Edge Dev\\User Data", false},
    {"Microsoft Edge Canary", false, L"Microsoft\\Edge SxS\\User Data", false},
    {"Brave", false, L"BraveSoftware\\Brave-Browser\\User Data", false},
    {"Brave Beta", false, L"BraveSoftware\\Brave-Browser-Beta\\User Data", false},
    {"Brave Nightly", false, L"BraveSoftware\\Brave-Browser-Nightly\\User Data", false},
    {"Vivaldi", false, L"Vivaldi\\User Data", false},
    {"Opera", true, L"Opera Software\\Opera Stable", true},
    {"Opera GX", true, L"Opera Software\\Opera GX Stable", true},
    {"Chromium", false, L"Chromium\\User Data", false},
};

const wchar_t kFirefoxRoaming[] = L"Mozilla\\Firefox";
// Firefox from the Microsoft Store keeps its roaming data in its package.
const wchar_t kFirefoxStore[] = L"Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache\\Roaming\\Mozilla\\Firefox";

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) || !path[0]) return std::wstring();
    return TrimFolderPath(path);
}

bool SameLetters(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// "Default" or "Profile <number>".
bool IsProfileFolderName(const std::wstring& name) {
    if (CompareStringOrdinal(name.c_str(), -1, L"Default", -1, TRUE) == CSTR_EQUAL) return true;
    const std::wstring prefix = L"Profile ";
    if (name.size() <= prefix.size() ||
        CompareStringOrdinal(name.c_str(), static_cast<int>(prefix.size()), prefix.c_str(), -1, TRUE) != CSTR_EQUAL)
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// One folder name, nothing that could lead out of its parent.
bool IsPlainFolderName(const std::string& name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|')
            return false;
    return true;
}

std::string LastComponent(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class LocalStateReader : public JsonVisitor {
public:
    void OnValue(const std::vector<std::string>& path, JsonKind kind, const std::string& text) override {
        if (path.size() < 2 || path[0] != "profile") return;
        if (path[1] == "info_cache") {
            if (path.size() == 2 && kind == JsonKind::Object) found = true;
            if (path.size() == 3) listed.push_back(path[2]);
        } else if (path[1] == "profiles_deleted" && path.size() == 3 && kind == JsonKind::String) {
            deleted.push_back(LastComponent(text));
        }
    }
    bool found = false;
    std::vector<std::string> listed, deleted;
};

BrowserProfile ProfileAt(const std::wstring& folder, bool running) {
    BrowserProfile profile;
    profile.folder = folder;
    profile.running = running;
    profile.throughLink = CheckFolderPath(folder) == RootRefusal::Link;
    return profile;
}

void AddChromium(const ChromiumPlace& place, const std::wstring& base, std::vector<BrowserInstall>& out) {
    if (base.empty()) return;
    BrowserInstall install;
    install.name = place.name;
    install.family = BrowserFamily::Chromium;
    install.root = base + L"\\" + place.folder;
    // Most browsers are not installed: a plain look first spares the walk
    // from the drive's root.
    if (GetFileAttributesW(install.root.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    RootRefusal rootState = CheckFolderPath(install.root);
    if (rootState == RootRefusal::Missing || rootState == RootRefusal::NotAFolder) return;
    bool running = FileHeldOpen(install.root + L"\\lockfile");

    std::vector<std::wstring> names;
    std::string localState;
    std::vector<std::string> listed;
    if (rootState == RootRefusal::None && ReadSmallFile(install.root + L"\\Local State", kLocalStateMax, localState) &&
        ParseLocalStateProfiles(localState, listed) && !listed.empty()) {
        for (const std::string& name : listed) names.push_back(WideFromUtf8(name));
    } else if (rootState == RootRefusal::None) {
        std::vector<std::wstring> folders;
        TreeRules rules;
        rules.countIndexNames = true;
        ListSubfolders(install.root, rules, folders);
        std::sort(folders.begin(), folders.end());
        for (const std::wstring& name : folders)
            if (IsProfileFolderName(name) && FileExistsW(install.root + L"\\" + name + L"\\Preferences")) names.push_back(name);
    }
    if (place.rootIsProfile && FileExistsW(install.root + L"\\Preferences")) install.profiles.push_back(ProfileAt(install.root, running));
    for (const std::wstring& name : names) {
        std::wstring folder = install.root + L"\\" + name;
        if (CheckFolderPath(folder) == RootRefusal::Missing) continue;
        install.profiles.push_back(ProfileAt(folder, running));
    }
    if (rootState == RootRefusal::Link) {
        // Nothing below a linked User Data folder is used; the clean says so.
        install.profiles.clear();
        BrowserProfile linked;
        linked.folder = install.root;
        linked.throughLink = true;
        install.profiles.push_back(linked);
    }
    if (!install.profiles.empty()) out.push_back(std::move(install));
}

void AddFirefox(const std::wstring& data, std::vector<BrowserInstall>& out) {
    if (GetFileAttributesW(data.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    RootRefusal rootState = CheckFolderPath(data);
    if (rootState == RootRefusal::Missing || rootState == RootRefusal::NotAFolder) return;
    BrowserInstall install;
    install.name = "Firefox";
    install.family = BrowserFamily::Firefox;
    install.root = data;
    std::vector<std::wstring> folders;
    std::string ini;
    if (ReadSmallFile(data + L"\\profiles.ini", kProfilesIniMax, ini)) {
        for (const FirefoxIniProfile& p : ParseProfilesIni(ini)) {
            std::wstring path = WideFromUtf8(p.path);
            folders.push_back(TrimFolderPath(p.relative ? data + L"\\" + path : path));
        }
    } else {
        std::vector<std::wstring> names;
        TreeRules rules;
        rules.countIndexNames = true;
        ListSubfolders(data + L"\\Profiles", rules, names);
        std::sort(names.begin(), names.end());
        for (const std::wstring& name : names) folders.push_back(data + L"\\Profiles\\" + name);
    }
    for (const std::wstring& folder : folders) {
        if (CheckFolderPath(folder) == RootRefusal::Missing) continue;
        bool duplicate = false;
        for (const BrowserProfile& seen : install.profiles)
            duplicate = duplicate || CompareStringOrdinal(seen.folder.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL;
        if (duplicate) continue;
        // Each profile has its own lock: a closed one is cleaned while another runs.
        install.profiles.push_back(ProfileAt(folder, FileHeldOpen(folder + L"\\parent.lock")));
    }
    if (!install.profiles.empty()) out.push_back(std::move(install));
}

}  // namespace

bool FileExistsW(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadSmallFile(const std::wstring& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && static_cast<unsigned long long>(size.QuadPart) <= maxBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD n = 0;
            DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            ok = ReadFile(file, &bytes[done], want, &n, nullptr) && n > 0;
            done += n;
        }
    }
    CloseHandle(file);
    if (!ok) bytes.clear();
    return ok;
}

bool ParseLocalStateProfiles(const std::string& text, std::vector<std::string>& names) {
    names.clear();
    LocalStateReader reader;
    if (!ScanJson(text, reader) || !reader.found) return false;
    for (const std::string& name : reader.listed) {
        if (!IsPlainFolderName(name) || SameLetters(name, "Guest Profile") || SameLetters(name, "System Profile")) continue;
        bool deleted = false;
        for (const std::string& gone : reader.deleted) deleted = deleted || SameLetters(gone, name.c_str());
        bool twice = false;
        for (const std::string& seen : names) twice = twice || SameLetters(seen, name.c_str());
        if (!deleted && !twice) names.push_back(name);
    }
    return true;
}

std::vector<FirefoxIniProfile> ParseProfilesIni(const std::string& text) {
    std::vector<FirefoxIniProfile> out;
    bool inProfile = false;
    FirefoxIniProfile current;
    bool hasPath = false;
    auto finish = [&] {
        if (inProfile && hasPath) out.push_back(current);
        current = FirefoxIniProfile();
        hasPath = false;
    };
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t lead = line.find_first_not_of(" \t");
        if (lead == std::string::npos) continue;
        line.erase(0, lead);
        if (line[0] == '[') {
            finish();
            inProfile = line.compare(0, 8, "[Profile") == 0;
            continue;
        }
        size_t eq = line.find('=');
        if (!inProfile || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "Path") {
            for (char& c : value)
                if (c == '/') c = '\\';
            current.path = value;
            hasPath = !value.empty();
        } else if (key == "IsRelative") {
            current.relative = value != "0";
        }
    }
    finish();
    // A relative path stays below the data folder.
    out.erase(std::remove_if(out.begin(), out.end(),
                             [](const FirefoxIniProfile& p) {
                                 if (!p.relative) return p.path.size() < 3 || p.path[1] != ':';
                                 size_t start = 0;
                                 while (start <= p.path.size()) {
                                     size_t next = p.path.find('\\', start);
                                     if (next == std::string::npos) next = p.path.size();
                                     std::string part = p.path.substr(start, next - start);
                                     if (part == ".." || part.find(':') != std::string::npos) return true;
                                     start = next + 1;
                                 }
                                 return p.path.empty() || p.path[0] == '\\';
                             }),
              out.end());
    return out;
}

std::vector<BrowserInstall> FindBrowsers() {
    std::vector<BrowserInstall> out;
    std::wstring local = ShellFolder(CSIDL_LOCAL_APPDATA), roaming = ShellFolder(CSIDL_APPDATA);
    for (const ChromiumPlace& place : kChromium) AddChromium(place, place.roaming ? roaming : local, out);
    if (!roaming.empty()) AddFirefox(roaming + L"\\" + kFirefoxRoaming, out);
    if (!local.empty()) AddFirefox(local + L"\\" + kFirefoxStore, out);
    return out;
}

std::string RunningBrowserNames(const std::vector<BrowserInstall>& browsers) {
    std::string names;
    for (const BrowserInstall& browser : browsers) {
        bool running = false;
        for (const BrowserProfile& profile : browser.profiles) running = running || profile.running;
        if (running && names.find(browser.name) == std::string::npos) names += (names.empty() ? "" : ", ") + browser.name;
    }
    return names;
}
