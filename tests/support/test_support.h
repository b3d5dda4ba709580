// Helpers for tests that drive the real program under Wine.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Dispatches messages until `done` is true or `timeoutMs` passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches the messages waiting in this thread's queue.
void PumpPending();
// Polls without dispatching, for work on other threads or Unix helpers
// (whose handles Wine cannot wait for).
bool PollUntil(const std::function<bool()>& done, DWORD ms = 10000);

// A top-level window of this process that `match` accepts.
HWND FindProcessWindow(const std::function<bool(HWND)>& match);
// True when `window` is a dialog holding a control with each of the ids.
bool HasControls(HWND window, std::initializer_list<int> ids);

// Runs `action` on a helper thread once a visible window matching `match`
// exists. Use it to answer a modal dialog that the test thread is about to
// open; Join pumps messages while it waits and is true when it ran.
class WindowHelper {
public:
    WindowHelper(std::function<bool(HWND)> match, std::function<void(HWND)> action, DWORD timeoutMs = 15000);
    ~WindowHelper() { thread_.join(); }
    bool Join(DWORD timeoutMs = 20000);

private:
    std::atomic<int> state_{0};  // 1 when it gave up, 2 when the action ran
    std::thread thread_;
};

// Creates the main window as start-up does, dismissing the splash at once.
void CreateMainWindowForTest();
// Destroys the main window if there is one (as Exit does), forgets it and
// drains the queue up to WM_QUIT; true when WM_QUIT with code 0 arrived.
bool DestroyMainWindowForTest();
// Sends a command to the main window as its buttons do.
void Command(int id);
// Pumps until the CLEAN or SCAN job is over (up to 30 s); true when it is.
bool WaitForJobEnd();

// A fresh folder under C:\brisola-tests, without a trailing backslash.
std::string MakeSandboxFolder(const std::string& name);
// Creates a file of `size` bytes (sparse when large).
bool MakeFile(const std::string& path, unsigned long long size = 0);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Removes a tree under the tests' own folders or the (local or roaming) application
// data without following links.
void RemoveTree(const std::string& path);
std::string UnixPath(const std::string& windowsPath);
// Runs a /bin/sh command line on the Unix side; true on exit status 0.
bool RunShell(const std::string& command);
// Unix symbolic links, as Wine users make them, made once Windows calls
// see them; removing one never touches its target.
bool MakeUnixSymlink(const std::string& targetWindowsPath, const std::string& linkWindowsPath);
bool IsUnixSymlink(const std::string& windowsPath);
void RemoveUnixLink(const std::string& windowsPath);
// Maps a drive letter of this (sandboxed) prefix to a folder, as subst
// would, once Windows calls see it; an empty target removes the mapping.
bool MapUnixDrive(char letter, const std::string& targetWindowsPath);

// The file's bytes, or "" when it cannot be opened.
std::string ReadWholeFile(const std::string& path);
// Replaces the file with `bytes`; a failure to open it fails the test.
void WriteWholeFile(const std::string& path, const std::string& bytes);
// The program's data files in the Windows directory, and the cookie folder.
std::string FiltersFilePath();
std::string KeptCookiesFilePath();
std::string CookieFolder();

// Resets the program's state: its registry key, data files and lists.
void ResetProgramState();
// Empties the filter table and the found files with their totals.
void ClearDriveCleaner();

// List views as the user sees them (`column` 0 is the item itself).
std::string Cell(HWND list, int row, int column);
int RowCount(HWND list);
// The row's state image: 0 none, 1 unticked, 2 ticked.
int StateImage(HWND list, int row);
void SetStateImage(HWND list, int row, int image);
// The row whose item text is `name`, or -1.
int FindRow(HWND list, const std::string& name);
// Ticks or unticks a row with the space bar, as the user does, and waits
// until the list shows it (an owner-data list answers asynchronously).
void ToggleRow(HWND list, int row);
