// A small reader for the browsers' own JSON files (Local State, Bookmarks),
// read-only. It builds no tree: it calls back with each value and the keys
// that lead to it, so a large file costs no more memory than its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class JsonKind { Object, Array, String, Number, True, False, Null };

class JsonVisitor {
public:
    virtual ~JsonVisitor() = default;
    // `path` holds the member names down to the value; an array element
    // adds "[]". Objects and arrays are reported as they open, text empty;
    // a string's text is decoded UTF-8.
    virtual void OnValue(const std::vector<std::string>& path, JsonKind kind, const std::string& text) = 0;
};

// Nesting deeper than this is refused.
constexpr int kJsonMaxDepth = 128;

// False when the text is not one well-formed JSON value (or nests too
// deep); values before the fault have been reported.
bool ScanJson(std::string_view text, JsonVisitor& visitor);
