// Whole files as strings and the program's data files.
#pragma once

#include <string>

// The file's bytes, or "" when it cannot be opened.
std::string ReadWholeFile(const std::string& path);
// Replaces the file with `bytes`; a failure to open it fails the test.
void WriteWholeFile(const std::string& path, const std::string& bytes);
// A file in the Windows directory, where the program keeps datafilters.txt
// and datacookies.txt; "" when there is none.
std::string DataFilePath(const char* name);
// The cookie folder the program cleans (CSIDL_COOKIES); "" when unknown.
std::string CookieFolder();
// The program's filter table and kept-cookies list, by those helpers.
std::string FiltersFilePath();
std::string KeptCookiesFilePath();
