#include "sweep/clean_text.h"

#include <cstdio>

#include "fs/text_format.h"

namespace {

std::string Number(unsigned long long value) {
    char text[32];
    snprintf(text, sizeof text, "%llu", value);
    return text;
}

}  // namespace

std::string CleanSummaryText(const CleanReport& report) {
    if (!report.valid) return "No clean has run yet";
    char size[64];
    FormatSize(report.bytesFreed, size, sizeof size);
    char text[160];
    if (report.itemsDeleted == 0 && report.itemsLeft == 0) return "Nothing was cleaned";
    int n = snprintf(text, sizeof text, "Cleaned %s", size);
    unsigned long long other = report.itemsLeft - report.leftInUse;
    if (report.leftInUse > 0 && n > 0)
        n += snprintf(text + n, sizeof text - n, "; %llu %s in use %s left", report.leftInUse,
                      report.leftInUse == 1 ? "file" : "files", report.leftInUse == 1 ? "was" : "were");
    if (other > 0 && n > 0 && n < static_cast<int>(sizeof text))
        snprintf(text + n, sizeof text - n, "; %llu other %s left", other, other == 1 ? "item was" : "items were");
    return text;
}

std::vector<std::string> CleanEventInserts(const std::string& user, const std::string& reason,
                                           const CleanReport& report, CategoryNamesOf names) {
    std::string lines;
    for (const CategoryReport& category : report.categories) {
        char size[64];
        FormatSize(category.bytesFreed, size, sizeof size);
        char line[400];
        if (!category.refused.empty())
            snprintf(line, sizeof line, "%s (%s): not cleaned, %s\r\n", names(category.row).shortName,
                     names(category.row).label, category.refused.c_str());
        else
            snprintf(line, sizeof line, "%s (%s): %s freed (%llu bytes), %llu items deleted, %llu left\r\n",
                     names(category.row).shortName, names(category.row).label, size, category.bytesFreed,
                     category.itemsDeleted, category.itemsLeft);
        lines += line;
    }
    return {user, Number(report.bytesFreed), Number(report.itemsDeleted), Number(report.itemsLeft), lines, reason};
}

std::string CleanEventJson(unsigned long id, bool refused, const std::string& user, const std::string& reason,
                           const CleanReport& report, CategoryNamesOf names) {
    std::string json = "{\"event\": " + Number(id) + ", \"user\": " + JsonString(user);
    if (refused) return json + ", \"refused\": " + JsonString(reason) + "}\n";
    json += ", \"bytesFreed\": " + Number(report.bytesFreed) + ", \"itemsDeleted\": " + Number(report.itemsDeleted) +
            ", \"itemsLeft\": " + Number(report.itemsLeft) + ", \"categories\": [";
    const char* comma = "";
    for (const CategoryReport& category : report.categories) {
        json += comma;
        json += "\n  {\"name\": " + JsonString(names(category.row).shortName) + ", \"label\": " +
                JsonString(names(category.row).label) + ", \"bytesFreed\": " + Number(category.bytesFreed) +
                ", \"itemsDeleted\": " + Number(category.itemsDeleted) + ", \"itemsLeft\": " + Number(category.itemsLeft);
        if (!category.refused.empty()) json += ", \"refused\": " + JsonString(category.refused);
        json += "}";
        comma = ",";
    }
    return json + "\n]}\n";
}
