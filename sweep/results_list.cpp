// The results and totals lists. Filled in full with the junk-sweep work.
#include "sweep/results_list.h"

#include <cstdio>

void SetUpResultsLists() {}

void FillResultsLists() {}

void FormatSize(unsigned long long bytes, char* out, size_t outSize) {
    double value = static_cast<double>(bytes);
    if (bytes < 1000000ULL) snprintf(out, outSize, "%.2f KB", value * 0.0009765625);
    else if (bytes < 1000000000ULL) snprintf(out, outSize, "%.2f MB", value * 9.5367431640625e-07);
    else snprintf(out, outSize, "%.2f GB", value * 9.313225746154785e-10);
}
