// The lines of a stored list (datacookies.txt, datasites.txt), as a hand
// edit or an old editor leaves them. No Windows call.
#pragma once

#include <string>
#include <string_view>

// Walks the lines of `bytes`: a leading UTF-8 byte-order mark is skipped,
// a line ends at "\n" or at a NUL (nothing after it could be meant, and a
// C string could not carry it), and blanks at either end, Ctrl+Z (the old
// end-of-file mark) included, are not part of it. Blank lines come back
// empty, so that lines can be counted.
class DataLines {
public:
    explicit DataLines(const std::string& bytes);
    // The next line, trimmed; false at the end of the bytes.
    bool Next(std::string_view& line);

private:
    const std::string& bytes_;
    size_t pos_;
};
