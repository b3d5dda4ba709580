// The found-files array and the found-files dialog (144).
#pragma once

#include <windows.h>

INT_PTR CALLBACK FoundFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Cleaning step 6: deletes the checked found files.
void DeleteCheckedFoundFiles();
// Empties the found-files array (before a new disk scan).
void ClearFoundFiles();
