// The confirmation asked before a category is cleaned (dialog 149).
#pragma once

#include <windows.h>

// Asks about `subject` on the calling thread, the user-interface thread,
// owned by `owner`; true only for OK. While it is open its window is in
// `*open` (when given), so that the caller can close it, as a cancel, when
// the question is withdrawn.
bool RunConfirmDialog(HWND owner, const char* subject, HWND* open = nullptr);
