// The file layer: the only code that lists folders or deletes files.
//
// Every walk is anchored on handles. A root is opened once and refused when
// it is a link or a protected folder; each folder below it is opened
// relative to its parent's handle without following links, and must be the
// very folder its parent listed (same file ID); each file is opened the same
// way, checked on its handle and deleted through it. No path string is
// resolved below the root, so a folder swapped for a link mid-walk leads
// nowhere. The same walk measures, previews and cleans; a clean deletes
// every name the walk reaches, and each entry says whether the category's
// figures count it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Why an entry was left where it was. The Folder... reasons: the folder
// holding it was refused as a whole.
enum class LeftReason : uint8_t {
    InUse,
    AccessDenied,
    ReadOnly,
    LinkSkipped,
    Protected,
    TooDeep,
    Other,
    FolderMissing,
    FolderNotAFolder,
    FolderLink,
};
const char* LeftReasonText(LeftReason reason);

// Why a root was refused as a whole.
enum class RootRefusal : uint8_t { None, Missing, NotAFolder, Link, Protected };
// What a refusal of its folder means for each file that was to go from it.
LeftReason LeftReasonOfRefusal(RootRefusal refusal);

struct TreeEntry {
    const std::wstring& folder;  // the folder holding it, as a path, no trailing backslash
    std::wstring_view name;
    bool isFolder;
    unsigned long long size;  // files only
    int depth;                // 0 for the root's own entries
    bool counted = true;      // false: left out of the figures by the rules, deleted all the same
};

// Folders are entered down to this depth, and while their path fits the
// longest path Windows can name; a folder past either limit is counted as
// listed, never entered, and a clean leaves it as "nested too deep". Every
// entry a walk reports carries its whole path, so the limits also bound
// what a preview, a report or a journal holds for one hostile tree.
constexpr int kMaxWalkDepth = 1000;
constexpr size_t kMaxWalkPath = 32767;

struct TreeFigures {
    unsigned long long files = 0;
    unsigned long long folders = 0;
    unsigned long long bytes = 0;
};

struct TreeRules {
    // The category figures leave out folders whose name holds "History.IE"
    // or "Content.IE", with all inside them, and files whose name holds
    // ".dat" (case-sensitive). A figures-only measurement does not enter
    // such folders; every other walk reports their entries as not counted,
    // and a clean deletes them like the rest. True counts every name.
    bool countIndexNames = false;
    // Protected folders refuse the root and are never entered. The disk
    // scan, which deletes nothing itself, walks them.
    bool guardProtected = true;
    // The disk scan walks whole drives.
    bool allowDriveRoot = false;
    // The disk scan counts folder links it does not enter.
    bool countLinkedFolders = false;
    // When set, only files whose name it accepts are counted and deleted.
    bool (*fileFilter)(std::wstring_view name) = nullptr;
    // False: only the root's own files; sub-folders are neither counted
    // nor entered.
    bool descend = true;
};

// What a walk reports as it goes. Called on the walking thread.
class TreeVisitor {
public:
    virtual ~TreeVisitor() = default;
    // Polled before every entry; true ends the walk.
    virtual bool Stop() { return false; }
    // A visitor that wants only the figures (and a thread-safe Stop) lets a
    // measurement list folders on two threads, in no particular order.
    virtual bool WantsEntries() const { return true; }
    virtual void OnFile(const TreeEntry&) {}
    virtual void OnFolder(const TreeEntry&) {}
    virtual void OnDeleted(const TreeEntry&) {}
    virtual void OnLeft(const TreeEntry&, LeftReason) {}
};

// A seam for tests that change the tree between a listing and the opens
// that follow it: called with the folder's path after each folder is
// listed, and after the lookups of a delete by name.
typedef void (*ListingHook)(const std::wstring& folder);
void SetListingHookForTest(ListingHook hook);

enum class TreeAction { Measure, Clean };

struct TreeResult {
    RootRefusal refusal = RootRefusal::None;
    bool stopped = false;
    TreeFigures counted;  // everything the rules count
    TreeFigures deleted;  // what went (Clean), counted or not
    TreeFigures left;     // what the rules count and stayed, each reported through OnLeft
};

// Walks everything below `root` (the root itself stays).
TreeResult WalkTree(std::wstring_view root, TreeAction action, const TreeRules& rules, TreeVisitor& visitor);

// Whether `root` could be walked with these rules, without walking it.
RootRefusal CheckRoot(std::wstring_view root, const TreeRules& rules);

// A file to delete by name from one folder.
struct NamedFile {
    std::wstring name;
    bool deleted = false;
    LeftReason reason = LeftReason::Other;  // when not deleted and not gone already
    bool gone = false;                      // it was not there
    unsigned long long size = 0;
};

// Deletes files by name from `folder`. With `fromDriveRoot` the folder is
// reached from its drive's root, each folder on the way opened relative to
// the one before and checked as a walk checks it (found files); without,
// `folder` is a root as for WalkTree (the cookie folder).
RootRefusal DeleteNamedFiles(std::wstring_view folder, bool fromDriveRoot, const TreeRules& rules,
                             std::vector<NamedFile>& files);
// Tells `visitor` what DeleteNamedFiles did: OnDeleted for each file that
// went, OnLeft for each that stayed (not for those that were gone already).
void ReportNamedFiles(const std::wstring& folder, const std::vector<NamedFile>& files, TreeVisitor& visitor);
// After a refusal of their folder: every file stayed, for its reason.
void MarkRefused(std::vector<NamedFile>& files, RootRefusal refusal);

// The plain files directly in `folder` (a root as for WalkTree).
RootRefusal ListFolderFiles(std::wstring_view folder, const TreeRules& rules, std::vector<std::wstring>& names);
// The sub-folders directly in `folder` that are not links.
RootRefusal ListSubfolders(std::wstring_view folder, const TreeRules& rules, std::vector<std::wstring>& names);

// Whether `folder` is a real folder reached from its drive's root through
// real folders only, each as its parent lists it: Link when any folder on
// the way is a link (a browser profile that must not be used).
RootRefusal CheckFolderPath(std::wstring_view folder);

// True when another program holds the file open without letting it be
// deleted (a browser's profile lock, a thumbnail cache in use).
bool FileHeldOpen(std::wstring_view path);

// The temporary folder (GetTempPathW), or "" when it is unknown.
std::wstring TempFolderPath();

// Deletes one of the program's own files (a data file's leftovers) by its
// full path, the same link-safe way; the folder may be a protected one.
bool DeleteOwnFile(const char* path);

// Removes trailing backslashes but keeps "C:\".
std::wstring TrimFolderPath(std::wstring_view path);
