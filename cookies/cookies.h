// The cookie catalogue, datacookies.txt and the Cookies Manager (138).
#pragma once

#include <windows.h>

void LoadKeptCookies();
void SaveKeptCookies();
// Cleaning step 2: deletes the cookies of the cookies-to-delete array.
void DeleteListedCookies();
INT_PTR CALLBACK CookiesManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
