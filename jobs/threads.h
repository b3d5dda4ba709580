// The threads of the program and the one way a worker tells a window.
//
// Every thread starts through StartThread. A worker writes into its model
// under that model's lock, then posts the model's ChangeNotice; the window
// answers the message by pulling a snapshot of the model and drawing it. A
// worker never sends to a window, never waits for one and never touches
// one; a question for the user is a request in the model, answered by the
// window on its own thread.
#pragma once

#include <windows.h>

#include <atomic>

// Starts `proc(argument)` on a new thread; null when none could start.
HANDLE StartThread(LPTHREAD_START_ROUTINE proc, void* argument);
// Waits up to `timeoutMs` for `thread` to end while answering the messages
// other threads send to this one; true when it ended.
bool WaitForThread(HANDLE thread, DWORD timeoutMs);

// A model's "changed" message to the window that shows it. At most one is
// on its way at a time: changes made before the window pulls ride on the
// message already posted.
class ChangeNotice {
public:
    // The window and message told from now on (null: nobody). Main thread.
    void Target(HWND window, UINT message);
    HWND Window() const { return window_; }
    // From any thread, after the model has changed. False when nobody was
    // told (no window, or it is gone).
    bool Post();
    // The window calls this before it pulls the model, so that any later
    // change posts again.
    void Taken() { pending_ = false; }

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<UINT> message_{0};
    std::atomic<bool> pending_{false};
};
