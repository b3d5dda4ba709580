#include "console/arguments.h"

#include <cstring>

namespace {

bool Fail(UsageError& error, const char* message, const char* what = nullptr) {
    error.message = message;
    error.what = what;
    return false;
}

}  // namespace

bool ParseArguments(int argc, const char* const* argv, int (*findCategory)(const char* name), Arguments& args,
                    UsageError& error) {
    if (argc < 2) return Fail(error, "no command");
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        if (strcmp(a, "--json") == 0) args.json = true;
        else if (strcmp(a, "--yes") == 0) args.yes = true;
        else if (strcmp(a, "--ticked") == 0) args.ticked = true;
        else if (strcmp(a, "--dry-run") == 0) args.dryRun = true;
        else if (strcmp(a, "--report") == 0) {
            if (i + 1 >= argc) return Fail(error, "--report needs a file");
            args.reportFile = argv[++i];
        }
        else if (a[0] == '-') return Fail(error, "unknown option", a);
        else if (args.command == "schedule" && args.when.empty()) args.when = a;
        else {
            int index = findCategory(a);
            if (index < 0) return Fail(error, "no category of that number or name", a);
            args.categories.push_back(index);
        }
    }
    if (args.command == "clean" && args.ticked == !args.categories.empty())
        return Fail(error, "clean takes either categories or --ticked");
    if (args.command == "preview" && args.categories.empty()) return Fail(error, "preview needs categories");
    if (!args.reportFile.empty() && (args.command != "clean" || args.dryRun))
        return Fail(error, "--report goes with a clean");
    if (args.command == "schedule" && args.when.empty()) return Fail(error, "schedule needs a time");
    return true;
}
