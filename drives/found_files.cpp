// The found-files array, the found-files dialog and the deletion of the
// checked found files.
//
// A scan can find hundreds of thousands of files, so the dialog's list is
// an owner-data list view: it holds no rows of its own and asks the dialog
// for each visible cell and tick (LVN_GETDISPINFO). The ticks of an opening
// live in the dialog's own copy and reach the array only through Close.
#include "drives/found_files.h"

#include <commctrl.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "drives/drives_state.h"
#include "fs/text.h"
#include "fs/tree.h"
#include "resource.h"
#include "ui/list_view.h"
#include "ui/skin.h"

uint32_t FoundFileStore::AddFolder(const char* folder) {
    folders.emplace_back(folder);
    return static_cast<uint32_t>(folders.size() - 1);
}

void FoundFileStore::Add(uint32_t folder, const char* name, uint8_t checked) {
    size_t at = names.size();
    size_t length = strlen(name);
    names.insert(names.end(), name, name + length + 1);
    entries.push_back(Entry{folder, static_cast<uint32_t>(at), checked});
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
        entries.push_back(Entry{entry.folder + folderBase, entry.name + nameBase, entry.checked});
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
        to.Add(static_cast<uint32_t>(folderMap[old]), from.NameOf(i), from.entries[i].checked);
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

void SetFoundFilesTotals(unsigned long long filesChecked, unsigned long long filesFound) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    g_drives.filesChecked = filesChecked;
    g_drives.filesFound = filesFound;
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
    rules.skipIndexNames = false;  // the user picked these very files
    rules.guardProtected = false;
    std::vector<std::vector<NamedFile>> byFolder(checked.folders.size());
    for (size_t i = 0; i < checked.size(); ++i) {
        NamedFile file;
        file.name = WideFromUtf8(checked.NameOf(i));
        byFolder[checked.entries[i].folder].push_back(std::move(file));
    }
    for (size_t f = 0; f < byFolder.size(); ++f) {
        if (byFolder[f].empty()) continue;
        std::wstring folder = WideFromUtf8(checked.folders[f]);
        if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
        DeleteNamedFiles(folder, true, rules, byFolder[f]);
        if (report) ReportNamedFiles(folder, byFolder[f], *report);
    }
}

namespace {

// What one opening of the dialog shows and edits.
struct FoundFilesView {
    FoundFileStore rows;         // the array as it was at the opening
    std::vector<uint8_t> ticks;  // this opening's checkboxes
    unsigned generation = 0;     // of the array copied into rows
    HWND list = nullptr;
    WNDPROC listProc = nullptr;  // the list view's own procedure
};

const int kFoundHoverIds[] = {IDC_FF_CLOSE};
const HoverList kFoundHover = {kFoundHoverIds, 1};

FoundFilesView* ViewOf(HWND dialog) {
    return reinterpret_cast<FoundFilesView*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void RedrawRow(HWND list, int row) {
    SendMessageA(list, LVM_REDRAWITEMS, row, row);
    UpdateWindow(list);
}

void ToggleRow(FoundFilesView* view, int row) {
    if (row < 0 || static_cast<size_t>(row) >= view->ticks.size()) return;
    view->ticks[row] ^= 1;
    RedrawRow(view->list, row);
}

// The list keeps no state images of its own in owner-data mode, so clicks
// on a checkbox and the space bar are handled here, on our ticks.
LRESULT CALLBACK FoundListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    FoundFilesView* view = ViewOf(GetParent(list));
    if (!view) return DefWindowProcA(list, message, wParam, lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        LVHITTESTINFO hit = {};
        hit.pt.x = static_cast<short>(LOWORD(lParam));
        hit.pt.y = static_cast<short>(HIWORD(lParam));
        int row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
            SetFocus(list);
            ToggleRow(view, row);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ToggleRow(view, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == ' ') return 0;
        break;
    default:
        break;
    }
    return CallWindowProcA(view->listProc, list, message, wParam, lParam);
}

void FillFoundFilesListView(HWND dialog, FoundFilesView* view) {
    HWND list = GetDlgItem(dialog, IDC_FF_LIST);
    view->list = list;
    SetListLook(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB, kPanelColour);
    InsertListColumn(list, 0, "File", 120, LVCFMT_LEFT);
    InsertListColumn(list, 1, "Path", 317, LVCFMT_LEFT);
    // The ticks are asked of us, like the texts.
    SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    {
        std::lock_guard<std::mutex> hold(g_drives.lock);
        view->rows = g_drives.found;
        view->generation = g_drives.foundGeneration;
    }
    view->ticks.resize(view->rows.size());
    for (size_t i = 0; i < view->rows.size(); ++i) view->ticks[i] = view->rows.entries[i].checked == 1 ? 1 : 0;
    SendMessageA(list, LVM_SETITEMCOUNT, view->rows.size(), LVSICF_NOSCROLL);
    view->listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FoundListProc)));
}

// Close: this opening's ticks become the array's `checked` bytes, unless
// the array was replaced meanwhile (a scan ended), when they belong to
// other rows.
void ReadFoundFileTicks(FoundFilesView* view) {
    std::lock_guard<std::mutex> hold(g_drives.lock);
    if (view->generation != g_drives.foundGeneration || g_drives.found.size() != view->ticks.size()) return;
    for (size_t i = 0; i < view->ticks.size(); ++i) g_drives.found.entries[i].checked = view->ticks[i];
}

void SetCount(HWND dialog, int id, unsigned long long value) {
    char text[32];
    snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(value));
    SetDlgItemTextA(dialog, id, text);
}

void OnInitDialog(HWND dialog) {
    ApplySkin(dialog);
    auto* view = new FoundFilesView;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
    unsigned long long checked = 0, found = 0;
    GetFoundFilesTotals(&checked, &found);
    SetCount(dialog, IDC_FF_CHECKED, checked);
    SetCount(dialog, IDC_FF_FOUND, found);
    FillFoundFilesListView(dialog, view);
}

// The stored names are UTF-8; only the display meets the code page.
void CopyText(char* out, int size, const char* text) {
    if (!out || size <= 0) return;
    lstrcpynA(out, AnsiFromUtf8(text).c_str(), size);
}

void CopyTextW(wchar_t* out, int size, const char* text) {
    if (!out || size <= 0) return;
    if (!MultiByteToWideChar(CP_UTF8, 0, text, -1, out, size)) out[0] = L'\0';
    out[size - 1] = L'\0';
}

// Answers the list's questions for one cell: its text and the row's tick.
template <typename Item, typename Copy>
void AnswerDisplayInfo(const FoundFilesView* view, Item& item, Copy copy) {
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= view->ticks.size()) return;
    size_t row = static_cast<size_t>(item.iItem);
    if (item.mask & LVIF_TEXT)
        copy(item.pszText, item.cchTextMax, item.iSubItem == 0 ? view->rows.NameOf(row) : view->rows.FolderOf(row).c_str());
    if (item.mask & LVIF_STATE) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | StateImageBits(view->ticks[row] ? kCheckedImage : kUncheckedImage);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void OnNotify(HWND dialog, const NMHDR* header) {
    FoundFilesView* view = ViewOf(dialog);
    if (!view || header->idFrom != IDC_FF_LIST) return;
    switch (header->code) {
    case LVN_GETDISPINFOA:
        AnswerDisplayInfo(view, const_cast<NMLVDISPINFOA*>(reinterpret_cast<const NMLVDISPINFOA*>(header))->item,
                          CopyText);
        break;
    case LVN_GETDISPINFOW:
        AnswerDisplayInfo(view, const_cast<NMLVDISPINFOW*>(reinterpret_cast<const NMLVDISPINFOW*>(header))->item,
                          CopyTextW);
        break;
    case LVN_ITEMCHANGED: {
        // A tick set through LVM_SETITEMSTATE (by another program, or
        // accessibility tools) arrives here.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
            break;
        UINT image = StateImageOf(change->uNewState);
        if (image != kUncheckedImage && image != kCheckedImage) break;
        if (change->iItem < 0) {
            for (uint8_t& tick : view->ticks) tick = image == kCheckedImage ? 1 : 0;
            InvalidateRect(view->list, nullptr, FALSE);
        } else if (static_cast<size_t>(change->iItem) < view->ticks.size()) {
            view->ticks[change->iItem] = image == kCheckedImage ? 1 : 0;
            RedrawRow(view->list, change->iItem);
        }
        break;
    }
    default:
        break;
    }
}

void OnDestroy(HWND dialog) {
    FoundFilesView* view = ViewOf(dialog);
    if (!view) return;
    if (view->list && view->listProc)
        SetWindowLongPtrA(view->list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(view->listProc));
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    delete view;
}

}  // namespace

INT_PTR CALLBACK FoundFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FF_CLOSE) {
            if (FoundFilesView* view = ViewOf(dialog)) ReadFoundFileTicks(view);
            EndDialog(dialog, DIALOG_RESULT);
        }
        return TRUE;
    case WM_CLOSE:
        // Closing any other way discards this opening's changes.
        EndDialog(dialog, DIALOG_RESULT);
        return TRUE;
    case WM_NOTIFY:
        // The list reads its answers from the structures; no result.
        OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
    case WM_SETCURSOR:
        TrackHover(dialog, kFoundHover, reinterpret_cast<HWND>(wParam));
        return TRUE;
    default:
        return SkinnedDialogDefault(dialog, message, wParam, lParam);
    }
}
