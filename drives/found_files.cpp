// The found-files array and the deletion of the checked found files.
#include "drives/found_files.h"

#include <cstdint>
#include <cstring>

#include "drives/drives_state.h"
#include "fs/text.h"
#include "fs/tree.h"

uint32_t FoundFileStore::AddFolder(const char* folder) {
    folders.emplace_back(folder);
    return static_cast<uint32_t>(folders.size() - 1);
}

void FoundFileStore::Add(uint32_t folder, const char* name, uint8_t checked, uint8_t left) {
    size_t at = names.size();
    size_t length = strlen(name);
    names.insert(names.end(), name, name + length + 1);
    entries.push_back(Entry{folder, static_cast<uint32_t>(at), checked, left});
}

const char* FoundFileStore::LeftTextOf(size_t i) const {
    uint8_t left = entries[i].left;
    return left ? LeftReasonText(static_cast<LeftReason>(left - 1)) : nullptr;
}

void FoundFileStore::Append(const FoundFileStore& other) {
    uint32_t folderBase = static_cast<uint32_t>(folders.size());
    uint32_t nameBase = static_cast<uint32_t>(names.size());
    folders.reserve(folders.size() + other.folders.size());
    folders.insert(folders.end(), other.folders.begin(), other.folders.end());
    names.reserve(names.size() + other.names.size());
    names.insert(names.end(), other.names.begin(), other.names.end());
    entries.reserve(entries.size() + other.entries.size());
    for (const Entry& entry : other.entries)
        entries.push_back(Entry{entry.folder + folderBase, entry.name + nameBase, entry.checked, entry.left});
}

void FoundFileStore::Clear() { *this = FoundFileStore(); }

size_t FoundFileStore::MemoryUse() const {
    size_t bytes = folders.capacity() * sizeof(std::string) + names.capacity() + entries.capacity() * sizeof(Entry);
    for (const std::string& folder : folders)
        if (folder.capacity() > 15) bytes += folder.capacity() + 1;  // beyond the string's own buffer
    return bytes;
}

namespace {

// Keeps the entries that `keep` accepts, with their folders and names,
// in order, and nothing else.
template <typename Keep>
FoundFileStore Filtered(const FoundFileStore& from, Keep keep) {
    FoundFileStore to;
    std::vector<int64_t> folderMap(from.folders.size(), -1);
    for (size_t i = 0; i < from.entries.size(); ++i) {
        if (!keep(from.entries[i])) continue;
        uint32_t old = from.entries[i].folder;
        if (folderMap[old] < 0) folderMap[old] = to.AddFolder(from.folders[old].c_str());
        to.Add(static_cast<uint32_t>(folderMap[old]), from.NameOf(i), from.entries[i].checked, from.entries[i].left);
    }
    return to;
}

}  // namespace

void ClearFoundFiles() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.found.Clear();
    ++g_drives.foundGeneration;
}

void PublishFoundFiles(const FoundFileStore& records) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.found.Append(records);
    ++g_drives.foundGeneration;
}

void GetFoundFilesTotals(unsigned long long* filesChecked, unsigned long long* filesFound) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    *filesChecked = g_drives.filesChecked;
    *filesFound = g_drives.filesFound;
}

std::vector<FoundFile> CopyFoundFiles() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    const FoundFileStore& store = g_drives.found;
    std::vector<FoundFile> out;
    out.reserve(store.size());
    for (size_t i = 0; i < store.size(); ++i)
        out.push_back(FoundFile{store.NameOf(i), store.FolderOf(i), store.entries[i].checked == 1});
    return out;
}

unsigned CopyFoundFileStore(FoundFileStore& out) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    out = g_drives.found;
    return g_drives.foundGeneration;
}

bool StoreFoundFileTicks(unsigned generation, const std::vector<uint8_t>& ticks) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (generation != g_drives.foundGeneration || g_drives.found.size() != ticks.size()) return false;
    for (size_t i = 0; i < ticks.size(); ++i) g_drives.found.entries[i].checked = ticks[i];
    return true;
}

size_t FoundFileCount() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return g_drives.found.size();
}

size_t FoundFilesMemoryUse() {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    return g_drives.found.MemoryUse();
}

void DeleteCheckedFoundFiles(TreeVisitor* report) {
    // The checked entries leave the array under the lock; the files are
    // deleted afterwards, outside it, folder by folder through the file
    // layer, each folder reached from its drive's root.
    FoundFileStore checked;
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        checked = Filtered(g_drives.found, [](const FoundFileStore::Entry& e) { return e.checked == 1; });
        g_drives.found = Filtered(g_drives.found, [](const FoundFileStore::Entry& e) { return e.checked != 1; });
        ++g_drives.foundGeneration;
        g_drives.filesChecked = 0;
        g_drives.filesFound = 0;
    }
    TreeRules rules;
    rules.countIndexNames = true;  // the user picked these very files
    rules.guardProtected = false;
    std::vector<std::vector<NamedFile>> byFolder(checked.folders.size());
    std::vector<std::vector<size_t>> entriesOf(checked.folders.size());  // beside byFolder
    for (size_t i = 0; i < checked.size(); ++i) {
        NamedFile file;
        file.name = WideFromUtf8(checked.NameOf(i));
        byFolder[checked.entries[i].folder].push_back(std::move(file));
        entriesOf[checked.entries[i].folder].push_back(i);
    }
    FoundFileStore left;
    for (size_t f = 0; f < byFolder.size(); ++f) {
        if (byFolder[f].empty()) continue;
        std::wstring folder = WideFromUtf8(checked.folders[f]);
        if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
        RootRefusal refusal = DeleteNamedFiles(folder, true, rules, byFolder[f]);
        // A refused folder leaves each of its files, for the refusal's reason.
        if (refusal != RootRefusal::None) MarkRefused(byFolder[f], refusal);
        if (report) ReportNamedFiles(folder, byFolder[f], *report);
        uint32_t at = UINT32_MAX;
        for (size_t k = 0; k < byFolder[f].size(); ++k) {
            const NamedFile& file = byFolder[f][k];
            if (file.deleted || file.gone) continue;
            if (at == UINT32_MAX) at = left.AddFolder(checked.folders[f].c_str());
            left.Add(at, checked.NameOf(entriesOf[f][k]), 1, static_cast<uint8_t>(static_cast<int>(file.reason) + 1));
        }
    }
    if (left.size() == 0) return;
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.found.Append(left);
    ++g_drives.foundGeneration;
}
