// The settings. Placeholder until the settings store is built: the
// defaults stand.
#include "settings/settings.h"

#include "resource.h"

Settings g_settings;
const char kProgramKey[] = "Software\\VOSK Software\\Brisola";

void LoadSettings() {}
void SaveSettings() {}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SET_OK) {
            EndDialog(dialog, DIALOG_RESULT);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, DIALOG_RESULT);
        return FALSE;
    default:
        return FALSE;
    }
}
