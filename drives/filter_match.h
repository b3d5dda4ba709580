// The disk scan's test of a file name against the enabled filters; no
// Windows call, so the native unit tests build it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The enabled filters' texts, as a table of how many filters hold each
// text: a file matched by two equal filters is recorded twice.
class FilterSet {
public:
    explicit FilterSet(std::vector<std::wstring> texts);
    FilterSet(const FilterSet&) = delete;  // the table's keys point into texts_
    FilterSet& operator=(const FilterSet&) = delete;

    // How many filters match the file name: a filter matches when it
    // equals the name from its first dot on, or the whole name, letter
    // for letter. Names without a dot match nothing.
    uint32_t Matches(std::wstring_view name) const;

private:
    uint32_t Lookup(std::wstring_view text) const;

    std::vector<std::wstring> texts_;  // owns the keys' characters; never changes after construction
    std::unordered_map<std::wstring_view, uint32_t> counts_;
};
