#include "fs/text.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::string FromWide(UINT codePage, std::wstring_view text, BOOL* lossy) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    // UTF-8 refuses the lossy-use flag.
    BOOL* flag = codePage == CP_UTF8 ? nullptr : lossy;
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, flag);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, flag);
    return out;
}

}  // namespace

std::wstring WideFromAnsi(std::string_view text) { return ToWide(CP_ACP, text); }

std::string AnsiFromWide(std::wstring_view text) { return FromWide(CP_ACP, text, nullptr); }

bool FitsAnsi(std::wstring_view text) {
    BOOL lossy = FALSE;
    std::string ansi = FromWide(CP_ACP, text, &lossy);
    return !lossy && ToWide(CP_ACP, ansi) == text;
}

std::string Utf8FromWide(std::wstring_view text) { return FromWide(CP_UTF8, text, nullptr); }

std::wstring WideFromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }

std::string AnsiFromUtf8(std::string_view text) { return AnsiFromWide(WideFromUtf8(text)); }
