// Helpers for tests that drive the real program under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Dispatches messages until `done` is true or `timeoutMs` passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Polls without dispatching until `done` is true or `ms` passes; for work
// on other threads or Unix helpers (whose handles Wine cannot wait for).
bool PollUntil(const std::function<bool()>& done, DWORD ms = 10000);

// A visible or hidden top-level window of this process whose dialog
// template (by the control ids it holds) or caption matches.
HWND FindProcessWindow(const std::function<bool(HWND)>& match);

// True when `window` is a dialog holding a control with each of the ids.
bool HasControls(HWND window, std::initializer_list<int> ids);

// Runs `action` on a helper thread once a visible window matching `match`
// exists (polling up to `timeoutMs`). Use it to answer a modal dialog that
// the test thread is about to open; Join pumps messages while it waits.
class WindowHelper {
public:
    WindowHelper(std::function<bool(HWND)> match, std::function<void(HWND)> action, DWORD timeoutMs = 15000);
    ~WindowHelper();
    WindowHelper(const WindowHelper&) = delete;
    WindowHelper& operator=(const WindowHelper&) = delete;
    // True when the helper found its window and ran the action.
    bool Join(DWORD timeoutMs = 20000);

private:
    static DWORD WINAPI Run(LPVOID self);
    std::function<bool(HWND)> match_;
    std::function<void(HWND)> action_;
    DWORD timeoutMs_;
    volatile LONG found_ = 0;
    HANDLE thread_ = nullptr;
};

// Creates the main window as start-up does, dismissing the splash at once.
// Start-up steps before it (Windows directory, shfolder.dll) are done by
// the test main.
void CreateMainWindowForTest();
// Destroys the main window (as Exit does) and drains the queue up to WM_QUIT.
// Returns true when WM_QUIT with code 0 arrived.
bool DestroyMainWindowForTest();
// Fixture teardown: destroys the main window if there is one and forgets it.
void CloseMainWindowForTest();
// Sends a command to the main window as its buttons do.
void Command(int id);
// True when the main window's control is enabled.
bool Enabled(int id);
// Pumps until the CLEAN or SCAN job is over (up to 30 s); true when it is.
bool WaitForJobEnd();

// A fresh folder for the test under C:\brisola-tests; removed again by the
// test suite's cleanup. Returns its path without a trailing backslash.
std::string MakeSandboxFolder(const std::string& name);
// Creates a file of `size` bytes (sparse when large).
bool MakeFile(const std::string& path, unsigned long long size = 0);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Removes a tree under C:\brisola-tests or the local application data
// without following links.
void RemoveTree(const std::string& path);
// The Unix path of a Windows path of this prefix, for making symlinks.
std::string UnixPath(const std::string& windowsPath);
// Runs a /bin/sh command line on the Unix side; true on exit status 0.
bool RunShell(const std::string& command);
// Creates a Unix symbolic link (as Wine users do), through /bin/ln.
bool MakeUnixSymlink(const std::string& targetWindowsPath, const std::string& linkWindowsPath);

// True when the path is a Unix symbolic link (to a file or a folder).
bool IsUnixSymlink(const std::string& windowsPath);
// Removes a link itself, never its target.
void RemoveUnixLink(const std::string& windowsPath);
// Maps a drive letter of this (sandboxed) prefix to a folder, as subst
// would, and removes that mapping again.
bool MapUnixDrive(char letter, const std::string& targetWindowsPath);
void UnmapUnixDrive(char letter);

// Resets the program's persistent state: its registry key and data files.
void ResetProgramState();
// Turns off the delete confirmation and the job sound, which would stop
// or slow a job, until Restore puts the user's values back.
class QuietJobSettings {
public:
    void Apply();
    void Restore() const;

private:
    BYTE askDel_ = 0;
    BYTE sound_ = 1;
};

// Empties the kept-cookies list and the two cookie lists.
void ResetCookieLists();
// Empties the filter table and the found files with their totals.
void ClearDriveCleaner();
// A size as the program formats it ("1.00 KB").
std::string SizeText(unsigned long long bytes);
