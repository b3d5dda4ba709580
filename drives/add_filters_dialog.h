// The Add Filters dialog (143): appends a filter to the table and refills
// the filter list.
#pragma once

#include <windows.h>

// Modal.
void RunAddFiltersDialog(HWND owner);
