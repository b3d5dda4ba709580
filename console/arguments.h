// brisolac's command line, read into what the commands need; no Windows
// call, so the native unit tests build it.
#pragma once

#include <string>
#include <vector>

struct Arguments {
    std::string command;
    std::vector<int> categories;
    bool json = false;
    bool yes = false;
    bool ticked = false;
    bool dryRun = false;
    std::string when;
    std::string reportFile;  // --report: the clean's report as JSON
};

// What is wrong with a command line: the message, and the argument it is
// about (null when none; else one of argv's).
struct UsageError {
    const char* message = nullptr;
    const char* what = nullptr;
};

// Fills `args` from argv[1] on; `findCategory` gives a category's row of
// its number or short name, or -1. False, with `error` set, when the
// command line is wrong.
bool ParseArguments(int argc, const char* const* argv, int (*findCategory)(const char* name), Arguments& args,
                    UsageError& error);
