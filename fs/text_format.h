// Text the program writes for people and for other programs: sizes and
// JSON strings. No Windows call, so the native unit tests build it too.
#pragma once

#include <cstddef>
#include <string>

// A JSON string of UTF-8 text, quotes included: quotes, backslashes and
// control characters escaped.
std::string JsonString(const std::string& text);

// "%.2f KB", "%.2f MB" or "%.2f GB" of a byte count.
void FormatSize(unsigned long long bytes, char* out, size_t outSize);
