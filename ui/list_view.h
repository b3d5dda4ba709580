// The look and columns every report-style list view of the program shares.
#pragma once

#include <windows.h>

// Extended styles (all others cleared), the given background behind rows
// and text, and black text.
void SetListLook(HWND list, DWORD extendedStyles, COLORREF background);
// Inserts a text column of the given width and alignment (LVCFMT_*) at index.
void InsertListColumn(HWND list, int index, const char* text, int width, int format);
