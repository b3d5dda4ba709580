// Text at the file layer's edge: inside, names are UTF-16; the program's
// windows and data files speak the ANSI code page, and stored found files
// keep UTF-8 so that no name is lost.
#pragma once

#include <string>
#include <string_view>

#include "fs/text_format.h"  // JsonString, FormatSize

std::wstring WideFromAnsi(std::string_view text);
// '?' stands in for characters the code page cannot spell: for display only.
std::string AnsiFromWide(std::wstring_view text);
// True when the name survives a trip through the code page unchanged.
bool FitsAnsi(std::wstring_view text);
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
// UTF-8 to the code page, for showing a stored name.
std::string AnsiFromUtf8(std::string_view text);
