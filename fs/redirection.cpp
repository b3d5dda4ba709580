#include "fs/redirection.h"

namespace {

// Resolved at run time: a 32-bit Windows without WOW64 may lack them.
struct RedirectionCalls {
    decltype(&Wow64DisableWow64FsRedirection) disable = nullptr;
    decltype(&Wow64RevertWow64FsRedirection) revert = nullptr;
    RedirectionCalls() {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel) return;
        FARPROC d = GetProcAddress(kernel, "Wow64DisableWow64FsRedirection");
        FARPROC r = GetProcAddress(kernel, "Wow64RevertWow64FsRedirection");
        if (!d || !r) return;
        disable = reinterpret_cast<decltype(disable)>(reinterpret_cast<void*>(d));
        revert = reinterpret_cast<decltype(revert)>(reinterpret_cast<void*>(r));
    }
};

const RedirectionCalls& Calls() {
    static const RedirectionCalls calls;
    return calls;
}

}  // namespace

FsRedirectionOff::FsRedirectionOff() {
#ifndef _WIN64
    if (Calls().disable) off_ = Calls().disable(&old_) != FALSE;
#endif
}

FsRedirectionOff::~FsRedirectionOff() {
    if (off_) Calls().revert(old_);
}
