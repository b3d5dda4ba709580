// The routines that delete the original categories' junk. Every deletion
// goes through the file layer, which empties a folder only when it is
// plainly the category's own folder.
#include "sweep/clean_steps.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "fs/text.h"
#include "fs/tree.h"
#include "sweep/clean_context.h"

void EmptyCategoryFolder(const std::wstring& folder, CleanContext& context) {
    DeleteFolderContents(folder, context.recorder);
}

TreeResult DeleteFolderContents(const std::wstring& folder, TreeVisitor& visitor) {
    return WalkTree(folder, TreeAction::Clean, TreeRules(), visitor);
}

void DeleteFolderContents(const char* folder, TreeVisitor* record) {
    if (!folder || !*folder) return;
    TreeVisitor nobody;
    DeleteFolderContents(WideFromAnsi(folder), record ? *record : nobody);
}

bool ListUrlCacheEntries(std::vector<UrlCacheItem>& out) {
    std::vector<unsigned char> buffer(4096);
    HANDLE find = nullptr;
    bool result = false;
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        BOOL ok;
        if (!find) {
            find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
            ok = find != nullptr;
        } else {
            ok = FindNextUrlCacheEntryA(find, entry, &size);
        }
        if (!ok) {
            DWORD error = GetLastError();
            if (error == ERROR_INSUFFICIENT_BUFFER && size > buffer.size()) {
                buffer.assign(size, 0);
                continue;
            }
            result = error == ERROR_NO_MORE_ITEMS;
            break;
        }
        if (!(entry->CacheEntryType & COOKIE_CACHE_ENTRY) && entry->lpszSourceUrlName)
            out.push_back({entry->lpszSourceUrlName,
                           (static_cast<unsigned long long>(entry->dwSizeHigh) << 32) | entry->dwSizeLow});
    }
    if (find) FindCloseUrlCache(find);
    return result;
}

bool DeleteUrlCacheEntries(CleanContext& context) {
    // The URLs are collected first and deleted after the walk, so that the
    // walk never runs over entries that are going away under it.
    std::vector<UrlCacheItem> urls;
    bool result = ListUrlCacheEntries(urls);
    CleanRecorder& recorder = context.recorder;
    for (const UrlCacheItem& url : urls) {
        if (context.Aborted()) break;
        // An entry whose file is open stays pending (sharing violation): it
        // is not gone, and the next measurement still counts it.
        std::wstring name = WideFromAnsi(url.url);
        if (DeleteUrlCacheEntryA(url.url.c_str())) {
            recorder.Deleted(name, false, url.size);
        } else {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND)
                recorder.Left(name, error == ERROR_SHARING_VIOLATION ? LeftReason::InUse
                                    : error == ERROR_ACCESS_DENIED   ? LeftReason::AccessDenied
                                                                     : LeftReason::Other);
        }
    }
    return result;
}

void ShellDeleteHistoryItem() {
    HRESULT init = CoInitialize(nullptr);
    IMalloc* allocator = nullptr;
    IShellFolder* desktop = nullptr;
    IShellFolder* history = nullptr;
    IEnumIDList* items = nullptr;
    LPITEMIDLIST historyList = nullptr;
    LPITEMIDLIST first = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_HISTORY, &historyList)) &&
        SUCCEEDED(desktop->BindToObject(historyList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&history))) &&
        history && SUCCEEDED(history->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) && items) {
        ULONG fetched = 0;
        if (items->Next(1, &first, &fetched) == S_OK && fetched == 1 && first) {
            IContextMenu* menu = nullptr;
            LPCITEMIDLIST one = first;
            if (SUCCEEDED(history->GetUIObjectOf(nullptr, 1, &one, IID_IContextMenu, nullptr,
                                                 reinterpret_cast<void**>(&menu))) &&
                menu) {
                CMINVOKECOMMANDINFO info = {};
                info.cbSize = sizeof info;
                info.fMask = CMIC_MASK_FLAG_NO_UI;
                info.lpVerb = "delete";
                menu->InvokeCommand(&info);
                menu->Release();
            }
        }
    }
    if (allocator) {
        if (first) allocator->Free(first);
        if (historyList) allocator->Free(historyList);
    }
    if (items) items->Release();
    if (history) history->Release();
    if (allocator) allocator->Release();
    if (desktop) desktop->Release();
    if (SUCCEEDED(init)) CoUninitialize();
}
