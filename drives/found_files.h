// The found-files array: what the last disk scan found, and its deletion.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fs/tree.h"

// Found files, compactly: each folder is stored once and shared by the
// files found in it, the names live in one character pool. Text is UTF-8,
// so that every name the scan saw can be deleted; the display converts.
struct FoundFileStore {
    struct Entry {
        uint32_t folder;  // index into folders
        uint32_t name;    // offset of a NUL-terminated name in names
        uint8_t checked;  // 1 = delete at the next cleaning
        uint8_t left;     // 0, or 1 + the LeftReason the last cleaning left it for
    };
    std::vector<std::string> folders;  // without a trailing backslash
    std::vector<char> names;
    std::vector<Entry> entries;        // in order of discovery

    size_t size() const { return entries.size(); }
    const char* NameOf(size_t i) const { return names.data() + entries[i].name; }
    const std::string& FolderOf(size_t i) const { return folders[entries[i].folder]; }
    // Adds a folder and returns its index.
    uint32_t AddFolder(const char* folder);
    void Add(uint32_t folder, const char* name, uint8_t checked = 1, uint8_t left = 0);
    // Why the last cleaning left entry i, or null when it did not try.
    const char* LeftTextOf(size_t i) const;
    // Appends all of `other` (its folder indexes and names moved along).
    void Append(const FoundFileStore& other);
    void Clear();
    // Bytes of memory the store holds.
    size_t MemoryUse() const;
};

// Cleaning step 6: deletes the checked found files. Those that stay keep
// in the array, still checked, with the reason they stayed.
void DeleteCheckedFoundFiles(TreeVisitor* report = nullptr);
// Empties the found-files array; the job frame calls it before a scan.
void ClearFoundFiles();

// Adds a scan's records to the found-files array, whole, under the lock.
void PublishFoundFiles(const FoundFileStore& records);
void GetFoundFilesTotals(unsigned long long* filesChecked, unsigned long long* filesFound);

// One found file as the dialog shows it.
struct FoundFile {
    std::string name;
    std::string location;
    bool checked;
};
std::vector<FoundFile> CopyFoundFiles();
// The whole array, and the generation it had, for a dialog to edit.
unsigned CopyFoundFileStore(FoundFileStore& out);
// Writes a dialog's ticks (one per entry, in order) into the `checked`
// bytes, unless the array was replaced after `generation` (a scan ended),
// when they belong to other rows. False when nothing was written.
bool StoreFoundFileTicks(unsigned generation, const std::vector<uint8_t>& ticks);
size_t FoundFileCount();
// Memory the found-files array holds, in bytes.
size_t FoundFilesMemoryUse();
