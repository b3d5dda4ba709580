// What a CLEAN of one category would delete now, listed by the very walk
// and rules the clean runs, so the two cannot disagree; items the row's
// figure leaves out are listed too, marked. No windows here: the preview
// dialog and the console program both read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Listed items, compactly: each folder is stored once, the names live in
// one pool, an item is 16 bytes.
struct PreviewList {
    struct Item {
        unsigned long long size;
        uint32_t name;    // offset of a NUL-terminated name in names
        uint32_t folder;  // index into folders, and the two flags below
    };
    static constexpr uint32_t kFolderBit = 0x80000000u;     // a folder item
    static constexpr uint32_t kUncountedBit = 0x40000000u;  // left out of the row's figure
    static constexpr uint32_t kFolderIndex = 0x3FFFFFFFu;
    std::vector<std::wstring> folders;  // without a trailing backslash
    std::vector<wchar_t> names;
    std::vector<Item> items;  // in order of the walk
    unsigned long long files = 0, folderItems = 0, bytes = 0;  // every item listed
    unsigned long long uncounted = 0, uncountedBytes = 0;       // of them, those not counted
    std::string reason;  // why nothing could be listed, when PreviewCategory is false

    size_t size() const { return items.size(); }
    const wchar_t* NameOf(size_t i) const { return names.data() + items[i].name; }
    const std::wstring& FolderOf(size_t i) const { return folders[items[i].folder & kFolderIndex]; }
    bool IsFolder(size_t i) const { return (items[i].folder & kFolderBit) != 0; }
    bool IsCounted(size_t i) const { return (items[i].folder & kUncountedBit) == 0; }
    std::wstring PathOf(size_t i) const;
    // Consecutive items of one folder share its entry.
    void Add(std::wstring_view folder, std::wstring_view name, bool isFolder, unsigned long long size,
             bool counted = true);
    void Clear();
    size_t MemoryUse() const;
};
static_assert(sizeof(PreviewList::Item) == 16, "an item is 16 bytes in both builds");

// Lists what cleaning row `row` of the category table would delete now.
// False, with `out.reason` set, when its folder cannot be found or is
// refused; the list is then empty.
bool PreviewCategory(int row, PreviewList& out);

// The Recycle Bin's items through the shell (name, original folder, size).
bool ListRecycleBin(PreviewList& out);
