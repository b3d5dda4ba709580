// The cleaning journal: %LOCALAPPDATA%\Brisola\cleaning.log, UTF-8, one
// item a line, appended as the clean goes. Rotated to cleaning.log.1 at
// 10 MB. Nothing here ever fails a clean: a journal that cannot be
// written is simply not written.
#pragma once

#include <string>
#include <string_view>

#include "fs/tree.h"

struct CleanReport;

std::wstring JournalPath();
// A header with the date, the time and the categories' labels.
void JournalBegin(const std::string& categories);
void JournalDeleted(std::wstring_view path, bool isFolder, unsigned long long size);
void JournalLeft(std::wstring_view path, LeftReason reason);
// Rows deleted from inside a file: "deleted <bytes> <path> <what>".
void JournalDeletedEntries(std::wstring_view store, const std::string& what, unsigned long long bytes);
// Something left with its own reason ("Google Chrome running, skipped").
void JournalLeftNote(std::wstring_view path, const std::string& note);
// The footer with the totals; flushes and closes.
void JournalEnd(const CleanReport& report);

// Tests: the rotation size (0 restores 10 MB) and switching it off (bench).
void SetJournalLimitForTest(unsigned long long bytes);
void SetJournalEnabled(bool enabled);
