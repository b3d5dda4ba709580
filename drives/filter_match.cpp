#include "drives/filter_match.h"

#include <utility>

FilterSet::FilterSet(std::vector<std::wstring> texts) : texts_(std::move(texts)) {
    for (const std::wstring& text : texts_)
        if (!text.empty()) ++counts_[std::wstring_view(text)];
}

uint32_t FilterSet::Matches(std::wstring_view name) const {
    if (counts_.empty()) return 0;
    size_t dot = name.find(L'.');
    if (dot == std::wstring_view::npos) return 0;
    uint32_t count = Lookup(name.substr(dot));
    if (dot != 0) count += Lookup(name);  // else the two tests are one
    return count;
}

uint32_t FilterSet::Lookup(std::wstring_view text) const {
    auto it = counts_.find(text);
    return it == counts_.end() ? 0 : it->second;
}
