#include "jobs/threads.h"

HANDLE StartThread(LPTHREAD_START_ROUTINE proc, void* argument) {
    DWORD id = 0;
    return CreateThread(nullptr, 0, proc, argument, 0, &id);
}

bool WaitForThread(HANDLE thread, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void ChangeNotice::Target(HWND window, UINT message) {
    message_ = message;
    window_ = window;
    pending_ = false;
}

bool ChangeNotice::Post() {
    if (pending_.exchange(true)) return true;
    HWND window = window_;
    if (window && PostMessageA(window, message_, 0, 0)) return true;
    pending_ = false;
    return false;
}
