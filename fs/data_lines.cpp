#include "fs/data_lines.h"

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

}  // namespace

DataLines::DataLines(const std::string& bytes)
    : bytes_(bytes), pos_(bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0) {}

bool DataLines::Next(std::string_view& line) {
    if (pos_ >= bytes_.size()) return false;
    size_t end = bytes_.find_first_of(std::string("\n\0", 2), pos_);
    if (end == std::string::npos) end = bytes_.size();
    size_t first = pos_, last = end;
    pos_ = end + 1;
    while (first < last && IsBlank(bytes_[first])) ++first;
    while (last > first && IsBlank(bytes_[last - 1])) --last;
    line = std::string_view(bytes_.data() + first, last - first);
    return true;
}
