#include "fs/text_format.h"

#include <cstdio>

void FormatSize(unsigned long long bytes, char* out, size_t outSize) {
    double value = static_cast<double>(bytes);
    if (bytes < 1000000ULL) snprintf(out, outSize, "%.2f KB", value * 0.0009765625);
    else if (bytes < 1000000000ULL) snprintf(out, outSize, "%.2f MB", value * 9.5367431640625e-07);
    else snprintf(out, outSize, "%.2f GB", value * 9.313225746154785e-10);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
