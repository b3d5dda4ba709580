// The preview of a category: the clean's own walks, measuring.
#include "sweep/preview.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "cookies/cookies.h"
#include "drives/found_files.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/app_caches.h"
#include "sweep/browser_rows.h"
#include "sweep/categories.h"
#include "sweep/clean_steps.h"
#include "sweep/sweep.h"

std::wstring PreviewList::PathOf(size_t i) const {
    const std::wstring& folder = FolderOf(i);
    return folder.empty() ? std::wstring(NameOf(i)) : folder + L"\\" + NameOf(i);
}

void PreviewList::Add(std::wstring_view folder, std::wstring_view name, bool isFolder, unsigned long long size,
                      bool counted) {
    if (folders.empty() || folders.back() != folder) folders.emplace_back(folder);
    Item item;
    item.size = isFolder ? 0 : size;
    item.name = static_cast<uint32_t>(names.size());
    item.folder = static_cast<uint32_t>(folders.size() - 1) | (isFolder ? kFolderBit : 0) | (counted ? 0 : kUncountedBit);
    names.insert(names.end(), name.begin(), name.end());
    names.push_back(L'\0');
    items.push_back(item);
    if (isFolder)
        ++folderItems;
    else
        ++files;
    bytes += item.size;
    if (!counted) {
        ++uncounted;
        uncountedBytes += item.size;
    }
}

void PreviewList::Clear() { *this = PreviewList(); }

size_t PreviewList::MemoryUse() const {
    size_t total = items.capacity() * sizeof(Item) + names.capacity() * sizeof(wchar_t) +
                   folders.capacity() * sizeof(std::wstring);
    for (const std::wstring& folder : folders)
        if (folder.capacity() > 7) total += (folder.capacity() + 1) * sizeof(wchar_t);
    return total;
}

namespace {

class PreviewVisitor : public TreeVisitor {
public:
    explicit PreviewVisitor(PreviewList& list) : list_(list) {}
    void OnFile(const TreeEntry& e) override { list_.Add(e.folder, e.name, false, e.size, e.counted); }
    void OnFolder(const TreeEntry& e) override { list_.Add(e.folder, e.name, true, 0, e.counted); }

private:
    PreviewList& list_;
};

const char* RefusalText(RootRefusal refusal) {
    switch (refusal) {
    case RootRefusal::Missing: return "The folder cannot be found.";
    case RootRefusal::NotAFolder: return "The path is not a folder.";
    case RootRefusal::Link: return "The folder is a link; it is never cleaned.";
    case RootRefusal::Protected: return "The folder is protected; it is never cleaned.";
    default: return "";
    }
}

bool Fail(PreviewList& out, const char* reason) {
    out.Clear();
    out.reason = reason;
    return false;
}

bool WalkRoot(const std::wstring& root, const TreeRules& rules, PreviewList& out) {
    PreviewVisitor visitor(out);
    TreeResult result = WalkTree(root, TreeAction::Measure, rules, visitor);
    if (result.refusal == RootRefusal::None) return true;
    return Fail(out, RefusalText(result.refusal));
}

unsigned long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool PreviewCookies(PreviewList& out) {
    std::wstring folder;
    std::vector<std::wstring> names;
    if (!ListedCookieFiles(folder, names)) return Fail(out, "The cookie folder cannot be found.");
    folder = TrimFolderPath(folder);
    for (const std::wstring& name : names) out.Add(folder, name, false, FileSize(folder + L"\\" + name));
    return true;
}

void PreviewFoundFiles(PreviewList& out) {
    for (const FoundFile& file : CopyFoundFiles())
        if (file.checked) {
            std::wstring folder = WideFromUtf8(file.location);
            std::wstring name = WideFromUtf8(file.name);
            out.Add(folder, name, false, FileSize(folder + L"\\" + name));
        }
}

void PreviewUrlCache(PreviewList& out) {
    std::vector<UrlCacheItem> urls;
    ListUrlCacheEntries(urls);
    for (const UrlCacheItem& url : urls) out.Add(L"", WideFromAnsi(url.url), false, url.size);
}

std::wstring StrRetText(STRRET& value, LPCITEMIDLIST item) {
    wchar_t text[MAX_PATH] = {};
    if (FAILED(StrRetToBufW(&value, item, text, MAX_PATH))) return std::wstring();
    return text;
}

}  // namespace

bool ListRecycleBin(PreviewList& out) {
    HRESULT init = CoInitialize(nullptr);
    IShellFolder* desktop = nullptr;
    IShellFolder2* bin = nullptr;
    IEnumIDList* items = nullptr;
    LPITEMIDLIST binList = nullptr;
    bool ok = SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
              SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binList)) &&
              SUCCEEDED(desktop->BindToObject(binList, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(&bin))) &&
              bin && bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK &&
              items;
    if (ok) {
        LPITEMIDLIST child = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &child, &fetched) == S_OK && fetched == 1 && child) {
            STRRET name = {}, stored = {};
            std::wstring shown, storedPath, folder;
            if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) shown = StrRetText(name, child);
            if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_FORPARSING, &stored))) storedPath = StrRetText(stored, child);
            SHELLDETAILS details = {};
            if (SUCCEEDED(bin->GetDetailsOf(child, 1, &details))) folder = StrRetText(details.str, child);
            SFGAOF attributes = SFGAO_FOLDER;
            LPCITEMIDLIST one = child;
            bool isFolder = SUCCEEDED(bin->GetAttributesOf(1, &one, &attributes)) && (attributes & SFGAO_FOLDER);
            out.Add(TrimFolderPath(folder), shown, isFolder, isFolder ? 0 : FileSize(storedPath));
            CoTaskMemFree(child);
            child = nullptr;
        }
    }
    if (items) items->Release();
    if (bin) bin->Release();
    if (binList) CoTaskMemFree(binList);
    if (desktop) desktop->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

bool PreviewCategory(int row, PreviewList& out) {
    out.Clear();
    if (row < 0 || row >= SWEEP_CATEGORIES) return Fail(out, "Not a category.");
    char subject[256] = {};
    if (!CategoryAt(row).findSubject(subject)) return Fail(out, "The category's folder cannot be found.");
    std::vector<std::wstring> roots;
    TreeRules rules;
    switch (row) {
    case SWEEP_INTERNET_CACHE: PreviewUrlCache(out); return true;
    case SWEEP_COOKIES: return PreviewCookies(out);
    case SWEEP_OTHER: PreviewFoundFiles(out); return true;
    case SWEEP_RECYCLE_BIN:
        if (!ListRecycleBin(out)) return Fail(out, "The Recycle Bin cannot be read.");
        return true;
    case SWEEP_TEMP: return WalkRoot(TempFolderPath(), rules, out);
    case SWEEP_RECENT:
    case SWEEP_HISTORY: return WalkRoot(WideFromAnsi(subject), rules, out);
    default:
        if (IsBrowserStoreRow(row)) return PreviewBrowserStoreRow(row, out);
        if (!AppCacheRoots(row, roots, rules)) return Fail(out, "The category's folder cannot be found.");
        // The clean walks every root it can and passes over the others.
        for (const std::wstring& root : roots)
            if (CheckRoot(root, rules) == RootRefusal::None) WalkRoot(root, rules, out);
        return true;
    }
}
