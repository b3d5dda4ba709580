// The preview dialog (160): what a CLEAN of one category would delete now.
#pragma once

#include <windows.h>

// Modal. The found files of "Sweep Other temporary files" open the
// found-files dialog instead.
void ShowPreviewDialog(HWND owner, int row);
INT_PTR CALLBACK PreviewDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
