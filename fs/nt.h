// The native calls the file layer is built on: handle-relative opens and
// listings. Declared here because the SDK headers leave some out.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PVOID apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN singleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace nt {

// The few status codes the layer tells apart (ntstatus.h clashes with winnt.h).
constexpr NTSTATUS kSuccess = 0;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr NTSTATUS kAccessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr NTSTATUS kSharingViolation = static_cast<NTSTATUS>(0xC0000043L);
constexpr NTSTATUS kCannotDelete = static_cast<NTSTATUS>(0xC0000121L);
constexpr NTSTATUS kDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101L);
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003AL);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000FL);
constexpr NTSTATUS kDeletePending = static_cast<NTSTATUS>(0xC0000056L);
constexpr NTSTATUS kInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003L);

constexpr FILE_INFORMATION_CLASS kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
constexpr FILE_INFORMATION_CLASS kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr FILE_INFORMATION_CLASS kFileAllInformation = static_cast<FILE_INFORMATION_CLASS>(18);
constexpr FILE_INFORMATION_CLASS kFileIdBothDirectoryInformation = static_cast<FILE_INFORMATION_CLASS>(37);
constexpr FS_INFORMATION_CLASS kFileFsVolumeInformation = static_cast<FS_INFORMATION_CLASS>(1);

// The layouts the layer reads; pinned so that the 32-bit build cannot drift.
static_assert(sizeof(FILE_BASIC_INFORMATION) == 40, "FILE_BASIC_INFORMATION");
static_assert(offsetof(FILE_ALL_INFORMATION, InternalInformation) == 64, "FILE_ALL_INFORMATION");
static_assert(offsetof(FILE_ALL_INFORMATION, NameInformation) == 96, "FILE_ALL_INFORMATION");
static_assert(offsetof(FILE_ID_BOTH_DIR_INFORMATION, FileId) == 96, "FILE_ID_BOTH_DIR_INFORMATION");
static_assert(offsetof(FILE_ID_BOTH_DIR_INFORMATION, FileName) == 104, "FILE_ID_BOTH_DIR_INFORMATION");
static_assert(sizeof(IO_STATUS_BLOCK) == 2 * sizeof(void*), "IO_STATUS_BLOCK");

// The native calls the layer makes, counted by kind: each costs Wine at
// least one round trip to its server, so the counts pin what a walk or a
// delete costs (a test seam; a relaxed increment, so always on).
enum class Call : int { Open, List, Query, Name, Dispose, Close, Volume, Kinds };
void Count(Call call);
uint64_t CallCount(Call call);
uint64_t CallCountTotal();
void ResetCallCounts();

// Owns a kernel handle.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.h_;
            other.h_ = nullptr;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_) {
            Count(Call::Close);
            CloseHandle(h_);
        }
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

}  // namespace nt
