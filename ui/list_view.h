// The look and columns every report-style list view of the program shares.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <string>

// Extended styles (all others cleared), the given background behind rows
// and text, and black text.
void SetListLook(HWND list, DWORD extendedStyles, COLORREF background);
// Inserts a text column of the given width and alignment (LVCFMT_*) at index.
void InsertListColumn(HWND list, int index, const char* text, int width, int format);
// Inserts a row with its first column's text (and the first image); returns
// its index, or -1.
int InsertListRow(HWND list, int row, const char* text, bool withImage = true);
// Sets the text of one cell of a row.
void SetListCell(HWND list, int row, int column, const char* text);

// State images of a list view with checkboxes.
const UINT kUncheckedImage = 1;
const UINT kCheckedImage = 2;
// The state image held in an item state, and the state bits showing one.
UINT StateImageOf(UINT state);
UINT StateImageBits(UINT image);
// A row counts as ticked unless it shows the empty box.
bool IsListRowTicked(HWND list, int row);
// Writes a tick the way every fill does; writing one also clears the
// row's selection.
void SetListRowTick(HWND list, int row, bool ticked);
// The tick an LVN_ITEMCHANGING or LVN_ITEMCHANGED sets on its row (1 or 0),
// or -1 when the change leaves the row's checkbox as it was.
int TickChangeOf(const NMLISTVIEW* change);

// A list that shows a model's ticks. While `filling`, the changes of its
// checkboxes are the fill's own, never the user's.
struct TickList {
    HWND list = nullptr;
    bool filling = false;
};
// The look of such a list: checkboxes, full-row selection and flat scroll
// bars on the panel colour, with the icon `iconId` on every row.
void SetTickListLook(HWND list, int iconId);
// The tick (1 or 0) the user set on a row, when `header` is the list's
// LVN_ITEMCHANGED of a checkbox outside a fill; else -1.
int UserTickOf(const TickList& view, const NMHDR* header);

// An owner-data list (LVS_OWNERDATA) holds no rows: it asks its owner for
// each cell it draws. The text of one cell, by row and column:
using OwnerDataText = std::function<std::wstring(size_t row, int column)>;
// And a row's tick (true: ticked), for a list with checkboxes.
using OwnerDataTick = std::function<bool(size_t row)>;
// Answers LVN_GETDISPINFOA or LVN_GETDISPINFOW of an owner-data list of
// `rows` rows, in whichever character set it asks; a row past the end is
// left unanswered. False when `header` is neither notification.
bool AnswerOwnerDataCell(const NMHDR* header, size_t rows, const OwnerDataText& text,
                         const OwnerDataTick& tick = nullptr);

// comctl32 is loaded on first use, never at start-up: brisolac links the
// lists' code but shows no list, and under Wine loading comctl32 starts the
// desktop process and the theming engine.
// Gives `list` a 16x16 image list holding the program's icon `iconId`, the
// one image of every row; the list frees it with itself. Nothing when
// comctl32 is missing.
void SetListIcon(HWND list, int iconId);
