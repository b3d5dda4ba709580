// What the console program prints: plain figures or one JSON document, and
// the progress line on stderr.
#pragma once

#include <string>

#include "fs/text.h"  // JsonString
#include "sweep/sweep.h"

// One category's figures: "label: N files, N folders, size" or a JSON object.
std::string CategoryFigures(int index, const SweepCategory& row, bool json);
// Shows `text` on stderr's one progress line, only when stderr is a
// console; an empty text clears the line.
void ShowProgress(const char* text);
