// The settings flags, their registry store and the Settings dialog.
#include "settings/settings.h"

#include "resource.h"
#include "ui/skin.h"

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
    std::atomic<BYTE>* flag;
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

void SetCheck(HWND dialog, int id, const std::atomic<BYTE>& flag) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, flag == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    SetCheck(dialog, IDC_SET_NEVERUPDATE, g_settings.neverUpdate);
    SetCheck(dialog, IDC_SET_ASKDEL, g_settings.askDel);
    SetCheck(dialog, IDC_SET_SOUND, g_settings.enableSnd);
}

// Switches the Explorer policy at once, independently of the save at exit.
void OnNeverUpdate() {
    ToggleFlag(g_settings.neverUpdate);
    WriteRecentDocsPolicy(g_settings.neverUpdate == 1 ? 1 : 0);
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
    case IDC_SET_ASKDEL:
        ToggleFlag(g_settings.askDel);
        return TRUE;
    case IDC_SET_SOUND:
        ToggleFlag(g_settings.enableSnd);
        return TRUE;
    case IDC_SET_NEVERUPDATE:
        OnNeverUpdate();
        return TRUE;
    case IDC_SET_OK:
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    default:
        // Escape (IDCANCEL) does not close this dialog.
        return FALSE;
    }
}

const int kHoverIds[] = {IDC_SET_OK};
const HoverList kHover = {kHoverIds, 1};

}  // namespace

void ResetSettings() {
    g_settings.neverUpdate = 0;
    g_settings.askDel = 0;
    g_settings.enableSnd = 1;
    g_settings.enableTips = 1;
}

void ToggleFlag(std::atomic<BYTE>& flag) { flag = flag == 1 ? 0 : 1; }

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
        if (ReadProgramFlag(key, f.name, value)) *f.flag = value;
    }
    RegCloseKey(key);
}

void SaveSettings() {
    ProgramFlag flags[4];
    for (size_t i = 0; i < 4; ++i) flags[i] = {kFlags[i].name, kFlags[i].flag->load()};
    WriteProgramFlags(flags, 4);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return FALSE;
    case WM_DESTROY:
        return TRUE;
    case WM_SETCURSOR:
        TrackHover(dialog, kHover, reinterpret_cast<HWND>(wParam));
        return FALSE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
