// The browsers' profiles on this machine: the Chromium family's, listed by
// their Local State (read-only) or found by their folder names, and
// Firefox's, listed by profiles.ini. A browser that runs is marked, never
// read; a profile reached through a link is never used.
#pragma once

#include <string>
#include <vector>

enum class BrowserFamily { Chromium, Firefox };

struct BrowserProfile {
    std::wstring folder;  // no trailing backslash
    bool running = false;  // its browser (or, for Firefox, the profile) is locked
    bool throughLink = false;  // the folder or one above it is a link
};

struct BrowserInstall {
    std::string name;  // "Google Chrome", "Firefox"
    BrowserFamily family = BrowserFamily::Chromium;
    std::wstring root;  // User Data (Chromium), the Firefox data folder
    std::vector<BrowserProfile> profiles;
};

// Every browser found, in a fixed order; a browser without a profile is
// left out. Reads only the lock files' state, Local State and profiles.ini.
std::vector<BrowserInstall> FindBrowsers();

// The names of the browsers with a running profile, "Google Chrome, Firefox".
std::string RunningBrowserNames(const std::vector<BrowserInstall>& browsers);

// Reads a small file whole, at most `maxBytes`; false when it is missing,
// unreadable or larger.
bool ReadSmallFile(const std::wstring& path, size_t maxBytes, std::string& bytes);
bool FileExistsW(const std::wstring& path);

// The profile folder names listed in a Local State text: the members of
// profile.info_cache that are plain folder names, less Guest Profile,
// System Profile and the profiles pending deletion. False when the text is
// not JSON or has no profile list.
bool ParseLocalStateProfiles(const std::string& text, std::vector<std::string>& names);

struct FirefoxIniProfile {
    std::string path;  // as written, '/' turned into '\'
    bool relative = true;
};
// The [Profile...] sections of a profiles.ini text.
std::vector<FirefoxIniProfile> ParseProfilesIni(const std::string& text);
