#include "fs/tree.h"

#include "fs/identity.h"
#include "fs/nt.h"
#include "fs/redirection.h"
#include "fs/text.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ULONG kOpenOptions = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT;
constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kListingBytes = 64 * 1024;

std::atomic<ListingHook> g_listingHook{nullptr};

void AfterListing(const std::wstring& folder) {
    if (ListingHook hook = g_listingHook.load(std::memory_order_relaxed)) hook(folder);
}

// One entry as its folder listed it.
struct Listed {
    std::wstring name;
    uint32_t attributes = 0;
    uint64_t id = 0;
    uint64_t size = 0;
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
               CSTR_EQUAL;
}

NTSTATUS OpenRelative(HANDLE parent, std::wstring_view name, ACCESS_MASK access, ULONG options, nt::Handle& out) {
    out.Reset();
    if (name.empty() || name.size() > 32000) return nt::kNameNotFound;
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    nt::Count(nt::Call::Open);
    NTSTATUS status = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll, FILE_OPEN,
                                   options | kOpenOptions, nullptr, 0);
    if (status == nt::kSuccess) out = nt::Handle(handle);
    return status;
}

// Lists a folder through its handle in large batches, "." and ".." left
// out; with `only`, just the entry of that name. False when the folder
// cannot be listed at all.
bool ListFolder(HANDLE folder, std::vector<Listed>& out, std::wstring_view only = std::wstring_view()) {
    thread_local std::vector<ULONGLONG> buffer(kListingBytes / sizeof(ULONGLONG));  // 8-byte aligned
    UNICODE_STRING mask;
    if (!only.empty()) {
        mask.Buffer = const_cast<PWSTR>(only.data());
        mask.Length = mask.MaximumLength = static_cast<USHORT>(only.size() * sizeof(wchar_t));
    }
    bool restart = true;
    for (;;) {
        IO_STATUS_BLOCK io = {};
        nt::Count(nt::Call::List);
        NTSTATUS status = NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, buffer.data(), kListingBytes,
                                               nt::kFileIdBothDirectoryInformation, only.empty() ? FALSE : TRUE,
                                               only.empty() ? nullptr : &mask, restart ? TRUE : FALSE);
        bool first = restart;
        restart = false;
        if (status == nt::kNoMoreFiles || (status == nt::kNoSuchFile && !only.empty())) return true;
        if (status != nt::kSuccess) return !first;
        if (io.Information == 0) return true;
        const BYTE* at = reinterpret_cast<const BYTE*>(buffer.data());
        const BYTE* end = at + std::min<ULONG_PTR>(io.Information, kListingBytes);
        for (;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFORMATION*>(at);
            size_t length = entry->FileNameLength / sizeof(wchar_t);
            if (reinterpret_cast<const BYTE*>(entry->FileName + length) > end) break;
            std::wstring_view name(entry->FileName, length);
            if (name != L"." && name != L"..") {
                Listed listed;
                listed.name.assign(name);
                listed.attributes = entry->FileAttributes;
                listed.id = static_cast<uint64_t>(entry->FileId.QuadPart);
                listed.size = static_cast<uint64_t>(entry->EndOfFile.QuadPart);
                out.push_back(std::move(listed));
            }
            if (entry->NextEntryOffset == 0 || at + entry->NextEntryOffset >= end) break;
            at += entry->NextEntryOffset;
        }
        if (!only.empty()) return true;
    }
}

// The entry `name` of a folder. Wine's listing by name misses names
// outside ASCII, so a miss is checked against the whole listing.
bool FindListed(HANDLE folder, const std::wstring& name, Listed& out) {
    std::vector<Listed> found;
    if (ListFolder(folder, found, name) && !found.empty() && SameText(found[0].name, name)) {
        out = std::move(found[0]);
        return true;
    }
    found.clear();
    if (!ListFolder(folder, found)) return false;
    for (Listed& entry : found) {
        if (SameText(entry.name, name)) {
            out = std::move(entry);
            return true;
        }
    }
    return false;
}

// What a handle says of itself: attributes and file ID.
struct HandleFacts {
    uint32_t attributes = 0;
    uint64_t id = 0;
};

// Two small queries: under Wine the all-information class also builds the
// file's name, which costs more than both together.
bool QueryFacts(HANDLE handle, HandleFacts& facts) {
    FILE_BASIC_INFORMATION basic;
    IO_STATUS_BLOCK io;
    nt::Count(nt::Call::Query);
    if (NtQueryInformationFile(handle, &io, &basic, sizeof basic, FileBasicInformation) != nt::kSuccess) return false;
    facts.attributes = basic.FileAttributes;
    return FileIdOf(handle, facts.id);
}

// The handle's full object name ("\??\C:\a\b" under Wine, "\Device\...\a\b"
// on Windows): where the handle really leads, links resolved.
bool ObjectName(HANDLE handle, std::wstring& out) {
    thread_local std::vector<ULONGLONG> buffer((sizeof(UNICODE_STRING) + 65536 + 16) / sizeof(ULONGLONG));
    ULONG returned = 0;
    nt::Count(nt::Call::Name);
    NTSTATUS status = NtQueryObject(handle, ObjectNameInformation, buffer.data(),
                                    static_cast<ULONG>(buffer.size() * 8), &returned);
    if (status != nt::kSuccess) return false;
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
    if (!name->Buffer) return false;
    out.assign(name->Buffer, name->Length / sizeof(wchar_t));
    while (out.size() > 1 && out.back() == L'\\') out.pop_back();
    return true;
}

LeftReason ReasonOf(NTSTATUS status) {
    switch (status) {
    case nt::kSharingViolation:
        return LeftReason::InUse;
    case nt::kAccessDenied:
        return LeftReason::AccessDenied;
    case nt::kCannotDelete:
        return LeftReason::ReadOnly;
    default:
        return LeftReason::Other;
    }
}

bool Gone(NTSTATUS status) {
    return status == nt::kNameNotFound || status == nt::kPathNotFound || status == nt::kNoSuchFile ||
           status == nt::kDeletePending;
}

bool MarkForDeletion(HANDLE handle, NTSTATUS& status) {
    FILE_DISPOSITION_INFORMATION disposition = {TRUE};
    IO_STATUS_BLOCK io;
    nt::Count(nt::Call::Dispose);
    status = NtSetInformationFile(handle, &io, &disposition, sizeof disposition, nt::kFileDispositionInformation);
    return status == nt::kSuccess;
}

enum class FileOutcome { Deleted, Gone, Left };

// Deletes one listed file of the folder `folder` (whose object name is
// `folderName`), through a handle opened relative to the folder and
// checked to be that very file: no link, not swapped, not elsewhere.
FileOutcome DeleteListedFile(HANDLE folder, const std::wstring& folderName, const Listed& entry, LeftReason& reason) {
    nt::Handle file;
    NTSTATUS status = OpenRelative(folder, entry.name, DELETE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, file);
    if (Gone(status)) return FileOutcome::Gone;
    if (status != nt::kSuccess) {
        reason = ReasonOf(status);
        return FileOutcome::Left;
    }
    HandleFacts facts;
    std::wstring name;
    if (!QueryFacts(file.get(), facts) || !ObjectName(file.get(), name)) {
        reason = LeftReason::Other;
        return FileOutcome::Left;
    }
    // Windows opens a link itself and shows its reparse attribute; Wine
    // follows it, which shows as another file ID or another name.
    std::wstring expected = folderName + L"\\" + entry.name;
    if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || facts.id != entry.id || !SameText(name, expected)) {
        reason = LeftReason::LinkSkipped;
        return FileOutcome::Left;
    }
    if (facts.attributes & FILE_ATTRIBUTE_READONLY) {
        reason = LeftReason::ReadOnly;
        return FileOutcome::Left;
    }
    if (!MarkForDeletion(file.get(), status)) {
        if (Gone(status)) return FileOutcome::Gone;
        reason = ReasonOf(status);
        return FileOutcome::Left;
    }
    return FileOutcome::Deleted;
}

std::wstring StripLongPrefix(std::wstring_view path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + std::wstring(path.substr(8));
    if (path.compare(0, 4, L"\\\\?\\") == 0) return std::wstring(path.substr(4));
    return std::wstring(path);
}

bool IsAbsolute(const std::wstring& path) {
    bool drive = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                 path[1] == L':' && path[2] == L'\\';
    bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
    return drive || unc;
}

// The length of the drive part: "C:\" or "\\server\share"; 0 when neither.
size_t DriveRootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.compare(0, 2, L"\\\\") != 0) return 0;
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return 0;
    size_t share = path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share;
}

// The same path for CreateFileW without the length limit.
std::wstring LongForm(const std::wstring& path) {
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

nt::Handle OpenFolderByPath(const std::wstring& path) {
    std::wstring longPath = LongForm(path);
    if (longPath.back() != L'\\' && DriveRootLength(path) == path.size()) longPath += L'\\';
    nt::Count(nt::Call::Open);
    return nt::Handle(CreateFileW(longPath.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Opens the folder `name` of `parent` as its parent lists it: refused when
// it is a link, not a folder, or another folder than the one listed.
RootRefusal OpenListedFolder(HANDLE parent, const std::wstring& parentPath, const std::wstring& name,
                             ACCESS_MASK access, nt::Handle& out) {
    Listed entry;
    if (!FindListed(parent, name, entry)) return RootRefusal::Missing;
    AfterListing(parentPath);
    if (entry.IsLink()) return RootRefusal::Link;
    if (!entry.IsFolder()) return RootRefusal::NotAFolder;
    if (OpenRelative(parent, name, access, FILE_DIRECTORY_FILE, out) != nt::kSuccess) return RootRefusal::Missing;
    HandleFacts facts;
    if (!QueryFacts(out.get(), facts)) return RootRefusal::Missing;
    if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || facts.id != entry.id) return RootRefusal::Link;
    return RootRefusal::None;
}

struct OpenedRoot {
    nt::Handle handle;
    uint32_t volume = 0;
    std::wstring path;  // as shown: full, no trailing backslash
};

// Opens a walk's root. Above the root, the path is resolved as usual; the
// root itself must be a real folder as its parent lists it.
RootRefusal OpenRoot(std::wstring_view given, const TreeRules& rules, bool anchorAtDrive, OpenedRoot& root) {
    std::wstring path = StripLongPrefix(given);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    path = TrimFolderPath(path);
    if (!IsAbsolute(path)) return RootRefusal::Missing;
    std::vector<wchar_t> full(32768);
    DWORD n = GetFullPathNameW(path.c_str(), 32768, full.data(), nullptr);
    if (n == 0 || n >= 32768) return RootRefusal::Missing;
    path = TrimFolderPath(std::wstring(full.data(), n));
    size_t driveLength = DriveRootLength(path);
    if (driveLength == 0) return RootRefusal::Missing;
    bool isDriveRoot = driveLength == path.size();
    if (isDriveRoot && !rules.allowDriveRoot) return RootRefusal::Protected;

    if (isDriveRoot) {
        root.handle = OpenFolderByPath(path);
        if (!root.handle) return RootRefusal::Missing;
    } else if (anchorAtDrive) {
        // Every folder from the drive's root down, each as its parent lists it.
        nt::Handle folder = OpenFolderByPath(path.substr(0, driveLength));
        if (!folder) return RootRefusal::Missing;
        size_t at = driveLength;
        while (at < path.size()) {
            if (path[at] == L'\\') ++at;
            size_t next = path.find(L'\\', at);
            if (next == std::wstring::npos) next = path.size();
            nt::Handle child;
            RootRefusal refusal = OpenListedFolder(folder.get(), path.substr(0, at > driveLength ? at - 1 : at),
                                                   path.substr(at, next - at), kListAccess, child);
            if (refusal != RootRefusal::None) return refusal;
            folder = std::move(child);
            at = next;
        }
        root.handle = std::move(folder);
    } else {
        size_t slash = path.rfind(L'\\');
        std::wstring parentPath = slash + 1 == driveLength ? path.substr(0, driveLength) : path.substr(0, slash);
        nt::Handle parent = OpenFolderByPath(parentPath);
        RootRefusal refusal = parent ? OpenListedFolder(parent.get(), parentPath, path.substr(slash + 1), kListAccess,
                                                        root.handle)
                                     : RootRefusal::Missing;
        if (refusal == RootRefusal::Missing && !parent) {
            // A parent the user may pass through but not list: Windows then
            // opens the root itself, not what a link points to, and says so.
            nt::Count(nt::Call::Open);
            root.handle = nt::Handle(CreateFileW(LongForm(path).c_str(), kListAccess, kShareAll, nullptr, OPEN_EXISTING,
                                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            HandleFacts facts;
            if (!root.handle || !QueryFacts(root.handle.get(), facts)) return RootRefusal::Missing;
            if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RootRefusal::Link;
            if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) return RootRefusal::NotAFolder;
            refusal = RootRefusal::None;
        }
        if (refusal != RootRefusal::None) return refusal;
    }
    FileIdentity identity;
    if (!IdentityOf(root.handle.get(), identity)) return RootRefusal::Missing;
    if (rules.guardProtected && IsProtectedIdentity(identity)) return RootRefusal::Protected;
    root.volume = identity.volume;
    root.path = path;
    return RootRefusal::None;
}

// A file the walk passes over altogether: not the filter's.
bool ExcludedFile(const TreeRules& rules, const Listed& entry) {
    return rules.fileFilter && !rules.fileFilter(entry.name);
}

// Names the category figures leave out (TreeRules::countIndexNames).
bool IndexFileName(const TreeRules& rules, const Listed& entry) {
    return !rules.countIndexNames && Contains(entry.name, L".dat");
}

bool IndexFolderName(const TreeRules& rules, const Listed& entry) {
    return !rules.countIndexNames && (Contains(entry.name, L"History.IE") || Contains(entry.name, L"Content.IE"));
}

// A folder listed at `depth` whose path would be `parentPath` characters,
// a backslash and its name: past the limits it is not entered.
bool TooDeep(int depth, size_t parentPath, const Listed& entry) {
    return depth >= kMaxWalkDepth || parentPath + 1 + entry.name.size() > kMaxWalkPath;
}

// True when the opened folder is the one its parent listed and may be entered.
bool EnterableFolder(const TreeRules& rules, uint32_t volume, const Listed& entry, uint64_t openedId) {
    return openedId == entry.id && !(rules.guardProtected && IsProtectedIdentity(FileIdentity{volume, openedId}));
}

// The figures of a measurement that wants nothing but figures: two threads
// list folders from one queue, so that one waits on Wine while the other
// works. The rules are those of the walk below, except that folders the
// figures leave out are not entered at all.
class ParallelCount {
public:
    ParallelCount(const TreeRules& rules, TreeVisitor& visitor, uint32_t volume)
        : rules_(rules), visitor_(visitor), volume_(volume) {}

    void Run(nt::Handle root, const std::wstring& path, TreeResult& result) {
        // Paths are built only for the listing hook of tests: a deep tree
        // would otherwise cost the square of its depth.
        withPaths_ = g_listingHook.load() != nullptr;
        pending_.push_back(Folder{std::move(root), withPaths_ ? path : std::wstring(), path.size(), 0});
        std::vector<TreeFigures> figures(2);
        std::thread helper;
        try {
            helper = std::thread([this, &figures] { Work(figures[1]); });
        } catch (const std::system_error&) {
            // One lister then does it all.
        }
        Work(figures[0]);
        if (helper.joinable()) helper.join();
        for (const TreeFigures& f : figures) {
            result.counted.files += f.files;
            result.counted.folders += f.folders;
            result.counted.bytes += f.bytes;
        }
        result.stopped = stopped_;
    }

private:
    struct Folder {
        nt::Handle handle;
        std::wstring path;  // for the listing hook of tests
        size_t pathLength;  // of the path as a walk shows it
        int depth;          // of its entries
    };

    bool Take(Folder& folder) {
        std::unique_lock<std::mutex> hold(lock_);
        ready_.wait(hold, [this] { return !pending_.empty() || busy_ == 0 || stopped_; });
        if (pending_.empty() || stopped_) return false;
        folder = std::move(pending_.back());
        pending_.pop_back();
        ++busy_;
        return true;
    }

    void Finish(std::vector<Folder>& found) {
        std::lock_guard<std::mutex> hold(lock_);
        for (Folder& f : found) pending_.push_back(std::move(f));
        found.clear();
        --busy_;
        ready_.notify_all();
    }

    void Work(TreeFigures& figures) {
        Folder folder;
        std::vector<Listed> entries;
        std::vector<Folder> found;
        while (Take(folder)) {
            entries.clear();
            if (ListFolder(folder.handle.get(), entries)) {
                AfterListing(folder.path);
                Count(folder, entries, figures, found);
            }
            folder.handle.Reset();
            Finish(found);
        }
    }

    void Count(const Folder& folder, const std::vector<Listed>& entries, TreeFigures& figures,
               std::vector<Folder>& found) {
        for (const Listed& entry : entries) {
            if (visitor_.Stop()) {
                std::lock_guard<std::mutex> hold(lock_);
                stopped_ = true;
                return;
            }
            if (!entry.IsFolder()) {
                if (ExcludedFile(rules_, entry) || IndexFileName(rules_, entry) || entry.IsLink()) continue;
                ++figures.files;
                figures.bytes += entry.size;
                continue;
            }
            if (!rules_.descend || IndexFolderName(rules_, entry)) continue;
            if (entry.IsLink()) {
                if (rules_.countLinkedFolders) ++figures.folders;
                continue;
            }
            if (TooDeep(folder.depth, folder.pathLength, entry)) {
                ++figures.folders;  // listed, not entered
                continue;
            }
            nt::Handle child;
            NTSTATUS status = OpenRelative(folder.handle.get(), entry.name, kListAccess, FILE_DIRECTORY_FILE, child);
            if (Gone(status)) continue;
            if (status != nt::kSuccess) {
                ++figures.folders;  // listed, not to be opened
                continue;
            }
            uint64_t id = 0;
            if (!FileIdOf(child.get(), id) || !EnterableFolder(rules_, volume_, entry, id)) continue;
            ++figures.folders;
            found.push_back(Folder{std::move(child), withPaths_ ? folder.path + L"\\" + entry.name : std::wstring(),
                                   folder.pathLength + 1 + entry.name.size(), folder.depth + 1});
        }
    }

    const TreeRules& rules_;
    TreeVisitor& visitor_;
    uint32_t volume_;
    bool withPaths_ = false;
    std::mutex lock_;
    std::condition_variable ready_;
    std::vector<Folder> pending_;
    int busy_ = 0;
    bool stopped_ = false;
};

// The walk that reports its entries: it measures, previews and cleans.
// Folders wait on an explicit stack, each with its open handle and its
// listing, so depth costs heap and never the thread's stack. A folder's
// files come before its sub-folders: its object name, needed to check each
// file it deletes, is let go before the walk goes deeper.
class Walker {
public:
    Walker(TreeAction action, const TreeRules& rules, TreeVisitor& visitor, TreeResult& result, uint32_t volume,
           std::wstring path)
        : clean_(action == TreeAction::Clean),
          rules_(rules),
          visitor_(visitor),
          result_(result),
          volume_(volume),
          path_(std::move(path)) {}

    // Walks everything below the root open in `root`, shown as path_.
    void Run(nt::Handle root) {
        stack_.emplace_back();
        Frame& top = stack_.back();
        top.handle = std::move(root);
        top.pathLength = path_.size();
        List(top);
        while (!stack_.empty()) {
            Frame& frame = stack_.back();
            if (frame.next == frame.entries.size()) {
                Close();
                continue;
            }
            if (visitor_.Stop()) {
                result_.stopped = true;
                return;
            }
            const Listed& entry = frame.entries[frame.next++];
            if (!entry.IsFolder()) {
                File(frame, entry);
                continue;
            }
            if (!frame.objectName.empty()) std::wstring().swap(frame.objectName);
            Frame child;
            if (Enter(frame, entry, child)) stack_.push_back(std::move(child));  // `frame` may move
        }
    }

private:
    struct Frame {
        nt::Handle handle;
        Listed self;                  // as its parent listed it; empty for the root
        std::vector<Listed> entries;  // its files first, then its folders
        size_t next = 0;
        size_t pathLength = 0;        // of path_ while it is walked
        std::wstring objectName;      // a clean's, while its files are deleted
        bool nameAsked = false;
        bool removable = false;       // a clean may delete it once emptied
        bool counted = true;          // the figures count it and its entries
        int depth = 0;                // of its entries
    };

    TreeEntry EntryOf(const Listed& listed, int depth, bool counted) const {
        return TreeEntry{path_, listed.name, listed.IsFolder(), listed.IsFolder() ? 0 : listed.size, depth, counted};
    }

    void Leave(const Listed& listed, int depth, bool counted, LeftReason reason, bool tally) {
        if (tally && counted) {
            if (listed.IsFolder()) {
                ++result_.left.folders;
            } else {
                ++result_.left.files;
                result_.left.bytes += listed.size;
            }
        }
        visitor_.OnLeft(EntryOf(listed, depth, counted), reason);
    }

    // Lists the frame's folder, path_ already its path.
    void List(Frame& frame) {
        if (!ListFolder(frame.handle.get(), frame.entries)) return;
        AfterListing(path_);
        std::stable_partition(frame.entries.begin(), frame.entries.end(),
                              [](const Listed& entry) { return !entry.IsFolder(); });
    }

    void File(Frame& frame, const Listed& entry) {
        if (ExcludedFile(rules_, entry)) return;
        bool counted = frame.counted && !IndexFileName(rules_, entry);
        if (entry.IsLink()) {
            if (clean_) Leave(entry, frame.depth, counted, LeftReason::LinkSkipped, false);
            return;
        }
        if (counted) {
            ++result_.counted.files;
            result_.counted.bytes += entry.size;
        }
        visitor_.OnFile(EntryOf(entry, frame.depth, counted));
        if (!clean_) return;
        if (!frame.nameAsked) {
            frame.nameAsked = true;
            if (!ObjectName(frame.handle.get(), frame.objectName)) frame.objectName.clear();
        }
        LeftReason reason = LeftReason::Other;
        FileOutcome outcome =
            frame.objectName.empty() ? FileOutcome::Left : DeleteListedFile(frame.handle.get(), frame.objectName, entry, reason);
        switch (outcome) {
        case FileOutcome::Deleted:
            ++result_.deleted.files;
            result_.deleted.bytes += entry.size;
            visitor_.OnDeleted(EntryOf(entry, frame.depth, counted));
            break;
        case FileOutcome::Left:
            Leave(entry, frame.depth, counted, reason, true);
            break;
        case FileOutcome::Gone:
            break;
        }
    }

    // Opens and checks a listed folder into `child`; false when it is not
    // to be entered.
    bool Enter(Frame& parent, const Listed& entry, Frame& child) {
        if (!rules_.descend) return false;
        const int depth = parent.depth;
        bool counted = parent.counted && !IndexFolderName(rules_, entry);
        if (entry.IsLink()) {
            if (rules_.countLinkedFolders && counted) ++result_.counted.folders;
            if (clean_) Leave(entry, depth, counted, LeftReason::LinkSkipped, false);
            return false;
        }
        if (TooDeep(depth, path_.size(), entry)) {
            if (counted) ++result_.counted.folders;  // listed, not entered
            visitor_.OnFolder(EntryOf(entry, depth, counted));
            if (clean_) Leave(entry, depth, counted, LeftReason::TooDeep, true);
            return false;
        }
        NTSTATUS status = OpenRelative(parent.handle.get(), entry.name, kListAccess | (clean_ ? DELETE : 0),
                                       FILE_DIRECTORY_FILE, child.handle);
        child.removable = clean_;
        if (clean_ && status == nt::kSharingViolation) {
            // Someone holds it open: it cannot go, but its contents may.
            child.removable = false;
            status = OpenRelative(parent.handle.get(), entry.name, kListAccess, FILE_DIRECTORY_FILE, child.handle);
        }
        if (Gone(status)) return false;
        if (status != nt::kSuccess) {
            // Listed but not to be opened: counted as a plain listing counts it.
            if (counted) ++result_.counted.folders;
            if (clean_) Leave(entry, depth, counted, ReasonOf(status), true);
            return false;
        }
        // The measurement needs only the ID (one cheap query); the clean
        // also asks the handle whether it opened a link itself (Windows).
        HandleFacts facts;
        if (clean_ ? !QueryFacts(child.handle.get(), facts) : !FileIdOf(child.handle.get(), facts.id)) return false;
        if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || facts.id != entry.id) {
            // Swapped for a link, or for another folder, since it was listed.
            if (clean_) Leave(entry, depth, counted, LeftReason::LinkSkipped, false);
            return false;
        }
        if (!EnterableFolder(rules_, volume_, entry, facts.id)) {
            if (clean_) Leave(entry, depth, counted, LeftReason::Protected, false);
            return false;
        }
        if (counted) ++result_.counted.folders;
        visitor_.OnFolder(EntryOf(entry, depth, counted));
        child.self = entry;
        child.counted = counted;
        child.depth = depth + 1;
        child.pathLength = path_.size();
        path_ += L'\\';
        path_ += entry.name;
        List(child);
        return true;
    }

    // The folder on top is done: the walk goes back to its parent, and a
    // clean deletes it when nothing stayed inside.
    void Close() {
        Frame done = std::move(stack_.back());
        stack_.pop_back();
        path_.resize(done.pathLength);
        if (stack_.empty() || !clean_) return;  // the root stays
        TreeEntry shown = EntryOf(done.self, done.depth - 1, done.counted);
        NTSTATUS status;
        if (done.removable && MarkForDeletion(done.handle.get(), status)) {
            ++result_.deleted.folders;
            visitor_.OnDeleted(shown);
        } else {
            // Kept by what stayed inside it, or held open.
            if (done.counted) ++result_.left.folders;
            if (!done.removable) visitor_.OnLeft(shown, LeftReason::InUse);
        }
    }

    bool clean_;
    const TreeRules& rules_;
    TreeVisitor& visitor_;
    TreeResult& result_;
    uint32_t volume_;
    std::wstring path_;
    std::vector<Frame> stack_;
};

}  // namespace

const char* LeftReasonText(LeftReason reason) {
    switch (reason) {
    case LeftReason::InUse:
        return "in use";
    case LeftReason::AccessDenied:
        return "access denied";
    case LeftReason::ReadOnly:
        return "read-only";
    case LeftReason::LinkSkipped:
        return "link skipped";
    case LeftReason::Protected:
        return "protected folder";
    case LeftReason::TooDeep:
        return "nested too deep";
    case LeftReason::FolderMissing:
        return "folder not found";
    case LeftReason::FolderNotAFolder:
        return "folder is a file";
    case LeftReason::FolderLink:
        return "folder is a link";
    case LeftReason::Other:
        break;
    }
    return "could not be deleted";
}

void MarkRefused(std::vector<NamedFile>& files, RootRefusal refusal) {
    for (NamedFile& file : files) {
        file.deleted = false;
        file.gone = false;
        file.reason = LeftReasonOfRefusal(refusal);
    }
}

LeftReason LeftReasonOfRefusal(RootRefusal refusal) {
    switch (refusal) {
    case RootRefusal::Missing:
        return LeftReason::FolderMissing;
    case RootRefusal::NotAFolder:
        return LeftReason::FolderNotAFolder;
    case RootRefusal::Link:
        return LeftReason::FolderLink;
    case RootRefusal::Protected:
        return LeftReason::Protected;
    case RootRefusal::None:
        break;
    }
    return LeftReason::Other;
}

std::wstring TrimFolderPath(std::wstring_view path) {
    std::wstring out(path);
    while (out.size() > 1 && out.back() == L'\\' && !(out.size() == 3 && out[1] == L':')) out.pop_back();
    return out;
}

TreeResult WalkTree(std::wstring_view root, TreeAction action, const TreeRules& rules, TreeVisitor& visitor) {
    FsRedirectionOff redirection;
    TreeResult result;
    OpenedRoot opened;
    result.refusal = OpenRoot(root, rules, false, opened);
    if (result.refusal != RootRefusal::None) return result;
    // A drive root is shown as "C:"; its entries then read "C:\name".
    std::wstring shown = opened.path;
    if (shown.size() == 3 && shown[1] == L':') shown.pop_back();
    if (visitor.Stop()) {
        result.stopped = true;
        return result;
    }
    if (action == TreeAction::Measure && !visitor.WantsEntries()) {
        ParallelCount count(rules, visitor, opened.volume);
        count.Run(std::move(opened.handle), shown, result);
        return result;
    }
    Walker walker(action, rules, visitor, result, opened.volume, shown);
    walker.Run(std::move(opened.handle));
    return result;
}

RootRefusal CheckRoot(std::wstring_view root, const TreeRules& rules) {
    FsRedirectionOff redirection;
    OpenedRoot opened;
    return OpenRoot(root, rules, false, opened);
}

RootRefusal DeleteNamedFiles(std::wstring_view folder, bool fromDriveRoot, const TreeRules& rules,
                             std::vector<NamedFile>& files) {
    FsRedirectionOff redirection;
    OpenedRoot opened;
    TreeRules folderRules = rules;
    if (fromDriveRoot) folderRules.allowDriveRoot = true;
    RootRefusal refusal = OpenRoot(folder, folderRules, fromDriveRoot, opened);
    if (refusal != RootRefusal::None) return refusal;
    std::wstring folderName;
    if (!ObjectName(opened.handle.get(), folderName)) return RootRefusal::Missing;
    // One listing for all the names: found files come in runs per folder.
    std::vector<Listed> entries;
    if (!ListFolder(opened.handle.get(), entries)) return RootRefusal::Missing;
    AfterListing(opened.path);
    std::unordered_map<std::wstring, size_t> byName;
    for (size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].name, i);
    for (NamedFile& file : files) {
        file.deleted = false;
        file.gone = false;
        const Listed* entry = nullptr;
        auto exact = byName.find(file.name);
        if (exact != byName.end()) {
            entry = &entries[exact->second];
        } else {
            for (const Listed& e : entries)
                if (SameText(e.name, file.name)) entry = &e;
        }
        if (!entry || entry->IsFolder()) {
            file.gone = true;
            continue;
        }
        file.size = entry->size;
        if (entry->IsLink()) {
            file.reason = LeftReason::LinkSkipped;
            continue;
        }
        switch (DeleteListedFile(opened.handle.get(), folderName, *entry, file.reason)) {
        case FileOutcome::Deleted:
            file.deleted = true;
            break;
        case FileOutcome::Gone:
            file.gone = true;
            break;
        case FileOutcome::Left:
            break;
        }
    }
    return RootRefusal::None;
}

namespace {

RootRefusal ListEntries(std::wstring_view folder, const TreeRules& rules, bool folders, std::vector<std::wstring>& names) {
    FsRedirectionOff redirection;
    OpenedRoot opened;
    RootRefusal refusal = OpenRoot(folder, rules, false, opened);
    if (refusal != RootRefusal::None) return refusal;
    std::vector<Listed> entries;
    ListFolder(opened.handle.get(), entries);
    for (Listed& entry : entries)
        if (entry.IsFolder() == folders && !entry.IsLink()) names.push_back(std::move(entry.name));
    return RootRefusal::None;
}

}  // namespace

RootRefusal ListFolderFiles(std::wstring_view folder, const TreeRules& rules, std::vector<std::wstring>& names) {
    return ListEntries(folder, rules, false, names);
}

RootRefusal ListSubfolders(std::wstring_view folder, const TreeRules& rules, std::vector<std::wstring>& names) {
    return ListEntries(folder, rules, true, names);
}

RootRefusal CheckFolderPath(std::wstring_view folder) {
    FsRedirectionOff redirection;
    OpenedRoot opened;
    TreeRules rules;
    rules.guardProtected = false;
    return OpenRoot(folder, rules, true, opened);
}

bool FileHeldOpen(std::wstring_view path) {
    if (path.empty()) return false;
    FsRedirectionOff redirection;
    std::wstring full(path);
    // Asking for delete access fails only when a holder denies sharing it;
    // a lock left behind by a crash opens and so does not count.
    HANDLE file = CreateFileW(LongForm(full).c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

void SetListingHookForTest(ListingHook hook) { g_listingHook.store(hook); }

std::wstring TempFolderPath() {
    std::vector<wchar_t> buffer(MAX_PATH + 2);
    DWORD n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (n == 0 || n >= buffer.size()) return std::wstring();
    return TrimFolderPath(std::wstring_view(buffer.data(), n));
}

bool DeleteOwnFile(const char* path) {
    if (!path) return false;
    std::wstring wide = WideFromAnsi(path);
    size_t slash = wide.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == wide.size()) return false;
    std::wstring folder = wide.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    std::vector<NamedFile> files(1);
    files[0].name = wide.substr(slash + 1);
    TreeRules rules;
    rules.guardProtected = false;
    rules.allowDriveRoot = true;
    return DeleteNamedFiles(folder, false, rules, files) == RootRefusal::None && files[0].deleted;
}

void ReportNamedFiles(const std::wstring& folder, const std::vector<NamedFile>& files, TreeVisitor& visitor) {
    std::wstring base = TrimFolderPath(folder);
    for (const NamedFile& file : files) {
        TreeEntry entry{base, file.name, false, file.size, 0};
        if (file.deleted)
            visitor.OnDeleted(entry);
        else if (!file.gone)
            visitor.OnLeft(entry, file.reason);
    }
}
