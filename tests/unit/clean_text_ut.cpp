// What a clean tells: sizes, the summary line, the event log's lines and
// the --report JSON. (That a clean fills the report: clean_report_test.)
#include <string>

#include "fs/text_format.h"
#include "sweep/clean_text.h"
#include "unit.h"

namespace {

UNIT_TEST(SizesPast32BitsFitTheText) {
    const struct {
        unsigned long long bytes;
        const char* text;
    } cases[] = {
        {0, "0.00 KB"},           {4000, "3.91 KB"},       {999999, "976.56 KB"},        {1000000, "0.95 MB"},
        {999999999, "953.67 MB"}, {1000000000, "0.93 GB"}, {5368709120ULL, "5.00 GB"}, {~0ULL, "17179869184.00 GB"},
    };
    for (const auto& c : cases) {
        char text[64];
        FormatSize(c.bytes, text, sizeof text);
        CHECK_EQ(std::string(text), c.text, c.bytes);
    }
    char small[5];
    FormatSize(~0ULL, small, sizeof small);
    CHECK_EQ(std::string(small), "1717", "cut to its buffer");
}

UNIT_TEST(JsonStringsEscapeWhatJsonMust) {
    const struct {
        std::string text, json;
    } cases[] = {
        {"", "\"\""},
        {"C:\\Temp\\a \"b\".tmp", "\"C:\\\\Temp\\\\a \\\"b\\\".tmp\""},
        {"x\nleft\tforged\r", "\"x\\u000aleft\\u0009forged\\u000d\""},
        {std::string("a\0b", 3), "\"a\\u0000b\""},
        {"\xC3\xA9\x7F/", "\"\xC3\xA9\x7F/\""},  // UTF-8 and DEL as they are
    };
    for (const auto& c : cases) CHECK_EQ(JsonString(c.text), c.json, c.text);
}

CleanReport Report(unsigned long long deleted, unsigned long long left, unsigned long long inUse) {
    CleanReport report;
    report.valid = true;
    report.bytesFreed = deleted * 1000;
    report.itemsDeleted = deleted;
    report.itemsLeft = left;
    report.leftInUse = inUse;
    return report;
}

UNIT_TEST(TheSummarySaysWhatWentAndWhatWasLeft) {
    const struct {
        CleanReport report;
        const char* text;
    } cases[] = {
        {CleanReport(), "No clean has run yet"},
        {Report(0, 0, 0), "Nothing was cleaned"},
        {Report(3, 0, 0), "Cleaned 2.93 KB"},
        {Report(1, 3, 1), "Cleaned 0.98 KB; 1 file in use was left; 2 other items were left"},
        {Report(0, 17, 17), "Cleaned 0.00 KB; 17 files in use were left"},
        {Report(5000000, 1, 0), "Cleaned 4.66 GB; 1 other item was left"},
    };
    for (const auto& c : cases) CHECK_EQ(CleanSummaryText(c.report), c.text, c.text);
}

CategoryNames Names(int row) {
    return row == 3 ? CategoryNames{"temp", "Sweep Temporary Windows file"} : CategoryNames{"x", "Odd \"label\""};
}

// The event's inserts and the JSON report carry the same figures.
UNIT_TEST(TheEventAndTheReportFileFollowTheReport) {
    CleanReport clean = Report(3, 0, 0);
    clean.bytesFreed = 4000;
    CategoryReport temp;
    temp.row = 3;
    temp.bytesFreed = 4000;
    temp.itemsDeleted = 3;
    clean.categories.push_back(temp);
    CleanReport blocked = clean;
    blocked.categories[0].refused = "blocked by policy";
    blocked.categories.push_back(CategoryReport());

    const struct {
        const char* what;
        CleanReport report;
        bool refused;
        const char *lines, *json;
    } cases[] = {
        {"all went", clean, false,
         "temp (Sweep Temporary Windows file): 3.91 KB freed (4000 bytes), 3 items deleted, 0 left\r\n",
         "{\"event\": 1000, \"user\": \"PC\\\\ann\", \"bytesFreed\": 4000, \"itemsDeleted\": 3, \"itemsLeft\": 0, "
         "\"categories\": [\n  {\"name\": \"temp\", \"label\": \"Sweep Temporary Windows file\", \"bytesFreed\": 4000, "
         "\"itemsDeleted\": 3, \"itemsLeft\": 0}\n]}\n"},
        {"blocked", blocked, false,
         "temp (Sweep Temporary Windows file): not cleaned, blocked by policy\r\n"
         "x (Odd \"label\"): 0.00 KB freed (0 bytes), 0 items deleted, 0 left\r\n",
         "{\"event\": 1000, \"user\": \"PC\\\\ann\", \"bytesFreed\": 4000, \"itemsDeleted\": 3, \"itemsLeft\": 0, "
         "\"categories\": [\n  {\"name\": \"temp\", \"label\": \"Sweep Temporary Windows file\", \"bytesFreed\": 4000, "
         "\"itemsDeleted\": 3, \"itemsLeft\": 0, \"refused\": \"blocked by policy\"},\n  {\"name\": \"x\", \"label\": "
         "\"Odd \\\"label\\\"\", \"bytesFreed\": 0, \"itemsDeleted\": 0, \"itemsLeft\": 0}\n]}\n"},
        {"refused", CleanReport(), true, "",
         "{\"event\": 1000, \"user\": \"PC\\\\ann\", \"refused\": \"Brisola is \\\"cleaning\\\" now\"}\n"},
    };
    for (const auto& c : cases) {
        const std::string reason = c.refused ? "Brisola is \"cleaning\" now" : "";
        std::vector<std::string> inserts = CleanEventInserts("PC\\ann", reason, c.report, Names);
        const std::string figures = c.report.valid ? "4000 3 0" : "0 0 0";
        CHECK_EQ(inserts.size(), 6u, c.what);
        if (inserts.size() != 6) continue;
        CHECK_EQ(inserts[0] + " " + inserts[1] + " " + inserts[2] + " " + inserts[3], "PC\\ann " + figures, c.what);
        CHECK_EQ(inserts[4], c.lines, c.what);
        CHECK_EQ(inserts[5], reason, c.what);
        CHECK_EQ(CleanEventJson(1000, c.refused, "PC\\ann", reason, c.report, Names), c.json, c.what);
    }
}

}  // namespace
