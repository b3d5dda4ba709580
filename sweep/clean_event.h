// Every CLEAN, from either program, is told to the Windows Application log
// under the source "Brisola", where administrators' event forwarding and
// monitoring agents already look; `brisolac clean --report FILE` writes
// the same fields as JSON. Nothing here ever fails or holds up a clean.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sweep/clean_report.h"

// The event IDs, as the message table in resources/messages.mc has them.
enum : DWORD { kEventCleaned = 1000, kEventItemsLeft = 1001, kEventRefused = 1002 };

struct CleanEvent {
    DWORD id = kEventCleaned;
    WORD type = EVENTLOG_INFORMATION_TYPE;
    std::string user;    // DOMAIN\name of who ran the clean
    std::string reason;  // why it was refused (kEventRefused only)
    CleanReport report;  // what went and what was left (not when refused)
    // The message's inserts, in order: %1 user, %2 bytes freed, %3 items
    // deleted, %4 items left, %5 one line per category, %6 the reason.
    std::vector<std::string> Inserts() const;
    // The same fields as one JSON object.
    std::string Json() const;
};

// The user this process runs as, "DOMAIN\name" ("" when unknown).
std::string CurrentUserName();
CleanEvent CleanEventOf(const CleanReport& report, const std::string& user);
CleanEvent RefusedEventOf(const std::string& reason, const std::string& user);

// Writes the event to the Application log; false when Windows could not
// (no event log service, no right). The clean goes on either way.
bool WriteCleanEvent(const CleanEvent& event);
// Why a clean did not start while another one runs (either program's).
extern const char kAnotherCleanRunning[];

// The write of the last clean that ended, and of a refusal, for the front
// ends: they build the event and write it.
void ReportCleanToEventLog(const CleanReport& report);
void ReportRefusalToEventLog(const std::string& reason);

// Tests: the last event handed to WriteCleanEvent, and how many were.
CleanEvent LastEventForTest();
int EventsWrittenForTest();
