// datasites.txt on disk: both copies read as the other data files are,
// the sites a Group Policy keeps added, and the file written back.
#include "browsers/site_list.h"

#include <algorithm>
#include <unordered_set>

#include "fs/data_file.h"
#include "fs/shell_folders.h"
#include "settings/policy.h"

namespace {

const char kSitesFileName[] = "datasites.txt";

// Reads the newer copy into `keep` through `file`, which then knows whether
// saving is safe.
KeepSites LoadFrom(DataFile& file) {
    std::string bytes;
    KeepSites keep;
    bool loaded = file.Load(ProgramDataFile(kSitesFileName), bytes);
    if (file.SavesRefused()) {
        // Either copy unreadable, or too big to read whole: nothing may be
        // deleted on its word.
        keep.readable = false;
        keep.error = loaded ? "datasites.txt is too large to be read whole" : "datasites.txt could not be read";
        return keep;
    }
    if (!loaded) return keep;
    keep = ParseKeepSites(bytes);
    if (!keep.readable) file.MarkIncomplete();
    return keep;
}

}  // namespace

KeepSites LoadKeepSites() {
    DataFile file;
    KeepSites keep = LoadFrom(file);
    if (!keep.readable) return keep;
    for (const std::string& line : PolicyKeptSites()) {
        std::string site = NormalizeHost(line);
        if (CheckSite(site) != SiteRefusal::None) {
            keep.warnings.push_back("policy site \"" + line + "\" ignored: " + SiteRefusalText(CheckSite(site)));
            continue;
        }
        if (std::find(keep.sites.begin(), keep.sites.end(), site) != keep.sites.end()) continue;
        keep.sites.push_back(site);
        keep.policySites.push_back(site);
    }
    return keep;
}

bool SaveKeepSites(const std::vector<std::string>& sites) {
    DataFile file;
    if (!LoadFrom(file).readable) return false;
    std::unordered_set<std::string> seen;
    std::string bytes;
    for (const std::string& site : sites) {
        if (CheckSite(site) != SiteRefusal::None) continue;
        std::string normalized = NormalizeHost(site);
        if (seen.insert(normalized).second) bytes += normalized + "\r\n";
    }
    DataFilePaths paths = ProgramDataFile(kSitesFileName);
    return bytes.empty() ? file.Remove(paths) : file.Save(paths, bytes);
}
