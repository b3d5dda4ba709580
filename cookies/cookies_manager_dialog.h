// The Cookies Manager dialog (138) and the list views it shows the cookie
// lists in.
#pragma once

#include <windows.h>

#include "cookies/cookies.h"

// Runs the dialog, modal to `owner`.
void RunCookiesManagerDialog(HWND owner);
INT_PTR CALLBACK CookiesManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void SetUpCookieListView(HWND listView);
// Shows one list in a list view, one row per entry in list order; returns
// the number of rows.
int FillCookieListView(HWND listView, CookieList list);
// Moves the entries behind the selected rows of `sourceView` (which shows
// `source`) to the end of `target`.
void MoveSelectedCookies(CookieList source, CookieList target, HWND sourceView);
