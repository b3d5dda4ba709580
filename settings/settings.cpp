// The settings flags and their registry store.
#include "settings/settings.h"


Settings g_settings;
const char kProgramKey[] = "Software\\VOSK Software\\Brisola";
const char kExplorerPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char kNoRecentDocsMenu[] = "NoRecentDocsMenu";

namespace {

// Closes the registry key it holds.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Out() {
        Close();
        return &key_;
    }
    HKEY Get() const { return key_; }
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

struct NamedFlag {
    const char* name;
    std::atomic<bool>* flag;
};

const NamedFlag kFlags[] = {
    {"NeverUpdate", &g_settings.neverUpdate},
    {"AskDel", &g_settings.askDel},
    {"EnableSnd", &g_settings.enableSnd},
    {"EnableTips", &g_settings.enableTips},
};

bool WriteFlags(HKEY root, const ProgramFlag* flags, size_t count) {
    RegKey key;
    if (RegCreateKeyExA(root, kProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (size_t i = 0; i < count; ++i) {
        BYTE data[4] = {static_cast<BYTE>(flags[i].value == 1 ? 1 : 0), 0, 0, 0};
        if (RegSetValueExA(key.Get(), flags[i].name, 0, REG_BINARY, data, sizeof data) != ERROR_SUCCESS) ok = false;
    }
    return ok;
}

void WriteRecentDocsPolicy(DWORD data) {
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kExplorerPolicyKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.Get(), kNoRecentDocsMenu, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

}  // namespace

void ResetSettings() {
    g_settings.neverUpdate = false;
    g_settings.askDel = false;
    g_settings.enableSnd = true;
    g_settings.enableTips = true;
}

void ToggleFlag(std::atomic<bool>& flag) { flag = !flag; }

// Switches the Explorer policy at once, independently of the save at exit.
void ToggleNeverUpdate() {
    ToggleFlag(g_settings.neverUpdate);
    WriteRecentDocsPolicy(g_settings.neverUpdate ? 1 : 0);
}

// The machine-wide key is the store. A standard user can neither open it
// with full access nor write it (unless the system virtualizes it), so
// such a user's settings are kept in the same path under HKEY_CURRENT_USER;
// without a copy of its own the user still reads the machine-wide values.
HKEY OpenProgramKeyForReading() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS ||
        RegOpenKeyExA(HKEY_CURRENT_USER, kProgramKey, 0, KEY_READ, &key) == ERROR_SUCCESS ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramKey, 0, KEY_READ, &key) == ERROR_SUCCESS)
        return key;
    return nullptr;
}

bool ReadProgramFlag(HKEY key, const char* name, BYTE& value) {
    BYTE data[4] = {};
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS || size != sizeof data ||
        (type != REG_BINARY && type != REG_DWORD))
        return false;
    DWORD number = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    value = number == 1 ? 1 : 0;
    return true;
}

void WriteProgramFlags(const ProgramFlag* flags, size_t count) {
    if (!WriteFlags(HKEY_LOCAL_MACHINE, flags, count)) WriteFlags(HKEY_CURRENT_USER, flags, count);
}

void LoadSettings() {
    HKEY key = OpenProgramKeyForReading();
    if (!key) return;
    // A value that is missing or malformed leaves the flag as it is.
    for (const NamedFlag& f : kFlags) {
        BYTE value = 0;
        if (ReadProgramFlag(key, f.name, value)) *f.flag = value == 1;
    }
    RegCloseKey(key);
}

void SaveSettings() {
    ProgramFlag flags[4];
    for (size_t i = 0; i < 4; ++i) flags[i] = {kFlags[i].name, static_cast<BYTE>(kFlags[i].flag->load() ? 1 : 0)};
    WriteProgramFlags(flags, 4);
}
