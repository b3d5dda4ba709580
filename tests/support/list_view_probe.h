// Reading and driving list views the way a user or the screen sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The text of one cell (`column` 0 is the item itself).
std::string Cell(HWND list, int row, int column);
int RowCount(HWND list);
// The row's state image: 0 none, 1 unticked, 2 ticked.
int StateImage(HWND list, int row);
void SetStateImage(HWND list, int row, int image);
// Selects the row, also giving it the focus when asked.
void SelectRow(HWND list, int row, bool focus = false);
// The row whose item text is `name`, or -1.
int FindRow(HWND list, const std::string& name);
// Ticks or unticks a row with the space bar, as the user does, and waits
// until the list shows it (an owner-data list answers asynchronously).
void ToggleRow(HWND list, int row);
// The text of a dialog's control.
std::string ControlText(HWND dialog, int id);

