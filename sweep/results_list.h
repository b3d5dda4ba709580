// The results list (1010), the totals list (1015) and size text.
#pragma once

#include <cstddef>

void SetUpResultsLists();
void FillResultsLists();
// "%.2f KB", "%.2f MB" or "%.2f GB" of a byte count.
void FormatSize(unsigned long long bytes, char* out, size_t outSize);
