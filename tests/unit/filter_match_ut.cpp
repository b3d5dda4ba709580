// The disk scan's matching of a file name against the enabled filters.
// (The walk, sizes and totals: fs_tree_test.)
#include <string>

#include "drives/filter_match.h"
#include "unit.h"

namespace {

// A filter matches the name from its first dot on, or the whole name,
// byte for byte; each equal filter counts once more.
UNIT_TEST(FirstDotAndWholeNameRulesByteForByte) {
    const FilterSet filters({L".tmp", L".tmp", L".gz", L".tar.gz", L"thumbs.db", L"Makefile", L""});
    const struct {
        const wchar_t* name;
        unsigned matches;
    } cases[] = {
        {L"report.tmp", 2},     {L".tmp", 2},          {L"a.gz", 1},      {L"archive.tar.gz", 1},
        {L"thumbs.db", 1},      {L"x.thumbs.db", 0},   {L"Makefile", 0},  {L"noext", 0},
        {L"b.tmp.bak", 0},      {L"REPORT.TMP", 0},    {L"Thumbs.db", 0}, {L"tmp", 0},
        {L"", 0},               {L".", 0},             {L"a.", 0},        {L"\x0444.tmp", 2},
    };
    for (const auto& c : cases) {
        std::wstring name(c.name);
        CHECK_EQ(filters.Matches(name), c.matches, std::string(name.begin(), name.end()));
    }
    CHECK_EQ(FilterSet({}).Matches(L"a.tmp"), 0u, "no enabled filter");
}

}  // namespace
