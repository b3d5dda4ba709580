// The one routine through which the program deletes a file.
#pragma once

// Deletes the file `path` (a path as walked, "%s\%s" of its folder and its
// name) without ever following a link: the file is opened without following
// reparse points and deleted through that handle only when the handle is
// the entry that was walked. Returns true when the file was deleted.
bool DeleteFileNoFollow(const char* path);

// Removes the empty folder `path` the same way: never a link, never through one.
bool RemoveDirectoryNoFollow(const char* path);
