// The confirmation asked before a category is cleaned (dialog 149).
#pragma once

#include <windows.h>

// Makes the dialog the cleaning engine's confirmer, owned by `owner` (null
// until the main window exists).
void UseConfirmDialog(HWND owner);
// Asks on the calling thread; true only for OK. An abort of the clean
// closes it as if cancelled.
bool RunConfirmDialog(const char* subject);
