// Placeholder: deletes nothing until the link-safe delete is built.
#include "sweep/safe_delete.h"

bool DeleteFileNoFollow(const char*) { return false; }

bool RemoveDirectoryNoFollow(const char*) { return false; }
