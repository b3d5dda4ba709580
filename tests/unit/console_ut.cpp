// brisolac's command line. (What each command then does: console_test.)
#include <sstream>
#include <string>
#include <vector>

#include "console/arguments.h"
#include "unit.h"

namespace {

// Two categories, by number or short name, as the table names them.
int FindCategory(const char* name) {
    std::string n(name);
    return n == "temp" || n == "4" ? 3 : n == "recycle" || n == "7" ? 6 : -1;
}

// What the command line became: "command [rows] flags when report", or the
// error as brisolac prints it.
std::string Parsed(const std::string& line) {
    std::vector<std::string> words{"brisolac"};
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    Arguments args;
    UsageError error;
    if (!ParseArguments(static_cast<int>(argv.size()), argv.data(), FindCategory, args, error))
        return std::string(error.message) + (error.what ? std::string(": ") + error.what : "");
    std::string out = args.command + " [";
    for (int row : args.categories) out += std::to_string(row) + ";";
    out += "]";
    for (auto flag : {std::make_pair(args.json, " json"), std::make_pair(args.yes, " yes"),
                      std::make_pair(args.ticked, " ticked"), std::make_pair(args.dryRun, " dry-run")})
        if (flag.first) out += flag.second;
    return out + (args.when.empty() ? "" : " when " + args.when) +
           (args.reportFile.empty() ? "" : " report " + args.reportFile);
}

UNIT_TEST(CommandLines) {
    const struct {
        const char* line;
        const char* parsed;
    } cases[] = {
        {"clean temp 7 --yes", "clean [3;6;] yes"},
        {"clean --ticked --yes --report C:\\r.json", "clean [] yes ticked report C:\\r.json"},
        {"clean 4 --dry-run --json", "clean [3;] json dry-run"},
        {"measure", "measure []"},
        {"measure recycle --json", "measure [6;] json"},
        {"preview temp", "preview [3;]"},
        {"schedule weekly", "schedule [] when weekly"},
        {"schedule hourly", "schedule [] when hourly"},  // the scheduler refuses it
        {"frobnicate", "frobnicate []"},                 // main refuses it
        {"", "no command"},
        {"clean nosuch --yes", "no category of that number or name: nosuch"},
        {"clean temp nosuch --yes", "no category of that number or name: nosuch"},
        {"clean --yes", "clean takes either categories or --ticked"},
        {"clean temp --ticked --yes", "clean takes either categories or --ticked"},
        {"clean temp --force", "unknown option: --force"},
        {"clean temp -y", "unknown option: -y"},
        {"clean temp --report", "--report needs a file"},
        {"clean temp --dry-run --report r.json", "--report goes with a clean"},
        {"measure --report r.json", "--report goes with a clean"},
        {"preview", "preview needs categories"},
        {"preview --json", "preview needs categories"},
        {"schedule", "schedule needs a time"},
    };
    for (const auto& c : cases) CHECK_EQ(Parsed(c.line), c.parsed, c.line);
}

}  // namespace
