// The cleaning engine. Every deletion goes through the file layer, which
// empties a folder only when it is plainly the category's own folder.
#include "sweep/cleaning.h"

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fs/text.h"
#include "fs/tree.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "sweep/categories.h"
#include "sweep/clean_report.h"
#include "sweep/progress.h"
#include "sweep/sweep.h"

namespace {

const DWORD kStepMilliseconds = 120;

struct CleaningState {
    std::atomic<bool> abort{false};
    std::atomic<CleanConfirmer> confirmer{nullptr};
    std::atomic<ConfirmCloser> closer{nullptr};
};
CleaningState g_clean;

// Asks the confirmer on the calling thread. With none installed nothing is
// confirmed: a clean never deletes what nobody agreed to.
bool Confirm(const char* subject) {
    if (g_clean.abort) return false;
    CleanConfirmer confirmer = g_clean.confirmer;
    return confirmer && confirmer(subject) && !g_clean.abort;
}

// Waits until more than the step time has passed since `mark`; the end of
// the wait becomes the new mark.
void PaceStep(DWORD& mark) {
    for (;;) {
        DWORD now = timeGetTime();
        DWORD elapsed = now - mark;
        if (elapsed > kStepMilliseconds || g_clean.abort) {
            mark = now;
            return;
        }
        Sleep(kStepMilliseconds + 1 - elapsed);
    }
}

}  // namespace

void EmptyCategoryFolder(const std::wstring& folder) {
    DeleteFolderContents(folder, ActiveCleanRecorder());
}

void AbortCleaning() {
    g_clean.abort = true;
    if (ConfirmCloser closer = g_clean.closer) closer();
}

void SetCleanConfirmer(CleanConfirmer confirmer, ConfirmCloser closer) {
    g_clean.closer = closer;
    g_clean.confirmer = confirmer;
}

void ResetCleaningAbort() { g_clean.abort = false; }

bool CleaningAborted() { return g_clean.abort; }

TreeResult DeleteFolderContents(const std::wstring& folder, TreeVisitor& visitor) {
    return WalkTree(folder, TreeAction::Clean, TreeRules(), visitor);
}

void DeleteFolderContents(const char* folder) {
    if (!folder || !*folder) return;
    DeleteFolderContents(WideFromAnsi(folder), ActiveCleanRecorder());
}

int ListUrlCacheEntries(std::vector<UrlCacheItem>& out) {
    std::vector<unsigned char> buffer(4096);
    HANDLE find = nullptr;
    int result = 0;
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
            result = error == ERROR_NO_MORE_ITEMS ? 1 : 0;
            break;
        }
        if (!(entry->CacheEntryType & COOKIE_CACHE_ENTRY) && entry->lpszSourceUrlName)
            out.push_back({entry->lpszSourceUrlName,
                           (static_cast<unsigned long long>(entry->dwSizeHigh) << 32) | entry->dwSizeLow});
    }
    if (find) FindCloseUrlCache(find);
    return result;
}

int DeleteUrlCacheEntries() {
    // The URLs are collected first and deleted after the walk, so that the
    // walk never runs over entries that are going away under it.
    std::vector<UrlCacheItem> urls;
    int result = ListUrlCacheEntries(urls);
    CleanRecorder& recorder = ActiveCleanRecorder();
    for (const UrlCacheItem& url : urls) {
        if (g_clean.abort) break;
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

void CleanCategoriesWithTicks(const CategoryTicks& ticked) {
    DWORD mark = timeGetTime();
    BeginCleanReport(ticked);
    for (int step = 0; step < SWEEP_CATEGORIES; ++step) {
        const CategoryRecord& category = CategoryAt(step);
        char subject[256] = {};
        // Looked up afresh for every ticked step: a failed lookup leaves
        // the buffer empty and the step skipped, never the last step's path.
        // A category the policy forbids is never cleaned, whoever asks.
        if (ticked[step] == 1 && PolicyTickFor(step) == 0) {
            BeginCategoryReport(step);
            ActiveCleanRecorder().Refused(kBlockedByPolicy);
        } else if (ticked[step] == 1 && !g_clean.abort && category.findSubject(subject)) {
            bool ask = g_settings.askDel == 1 || PolicyAlwaysAsks();
            bool confirmed = ask && Confirm(subject);
            if (!ask || confirmed) {
                BeginCategoryReport(step);
                category.clean(subject, confirmed);
            }
        }
        // The steps are paced for the eye; without a bar (brisolac, the
        // tests) nobody watches them.
        if (HasJobProgressBar()) PaceStep(mark);
        StepProgressBar();
    }
    EndCleanReport();
}

void CleanCategories() {
    SweepCategory table[SWEEP_COUNT];
    GetSweepTable(table);
    CategoryTicks ticked;
    for (int i = 0; i < SWEEP_CATEGORIES; ++i) ticked[i] = table[i].ticked;
    ApplyPolicyToTicks(ticked);
    CleanCategoriesWithTicks(ticked);
}
