// The 32-bit program under WOW64 sees SysWOW64 where System32 is. The file
// layer turns that redirection off on its own thread while it works, so
// every folder is seen once, as it really is.
#pragma once

#include <windows.h>

class FsRedirectionOff {
public:
    FsRedirectionOff();
    ~FsRedirectionOff();
    FsRedirectionOff(const FsRedirectionOff&) = delete;
    FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;

private:
    PVOID old_ = nullptr;
    bool off_ = false;
};
