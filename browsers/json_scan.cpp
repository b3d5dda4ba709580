#include "browsers/json_scan.h"

namespace {

class Scanner {
public:
    Scanner(std::string_view text, JsonVisitor& visitor) : text_(text), visitor_(visitor) {}

    bool Run() {
        if (!Value(0)) return false;
        SkipSpace();
        return at_ == text_.size();
    }

private:
    void SkipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool Hex4(unsigned& out) {
        if (text_.size() - at_ < 4) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) {
            int h = Hex(text_[at_++]);
            if (h < 0) return false;
            out = out * 16 + static_cast<unsigned>(h);
        }
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool String(std::string& out) {
        out.clear();
        if (!Take('"')) return false;
        while (at_ < text_.size()) {
            char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            char e = text_[at_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned cp;
                if (!Hex4(cp)) return false;
                if (cp >= 0xD800 && cp < 0xDC00) {
                    unsigned low;
                    if (text_.size() - at_ < 6 || text_[at_] != '\\' || text_[at_ + 1] != 'u') return false;
                    at_ += 2;
                    if (!Hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp < 0xE000) {
                    return false;
                }
                AppendUtf8(out, cp);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Number(std::string& out) {
        size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        size_t digits = at_;
        while (at_ < text_.size() && ((text_[at_] >= '0' && text_[at_] <= '9') || text_[at_] == '.' || text_[at_] == 'e' ||
                                      text_[at_] == 'E' || text_[at_] == '+' || text_[at_] == '-'))
            ++at_;
        if (at_ == digits) return false;
        out.assign(text_.substr(start, at_ - start));
        return true;
    }

    bool Value(int depth) {
        if (depth > kJsonMaxDepth) return false;
        SkipSpace();
        if (at_ >= text_.size()) return false;
        char c = text_[at_];
        if (c == '{') {
            ++at_;
            visitor_.OnValue(path_, JsonKind::Object, std::string());
            if (Take('}')) return true;
            std::string key;
            do {
                if (!String(key) || !Take(':')) return false;
                path_.push_back(key);
                bool ok = Value(depth + 1);
                path_.pop_back();
                if (!ok) return false;
            } while (Take(','));
            return Take('}');
        }
        if (c == '[') {
            ++at_;
            visitor_.OnValue(path_, JsonKind::Array, std::string());
            if (Take(']')) return true;
            do {
                path_.push_back("[]");
                bool ok = Value(depth + 1);
                path_.pop_back();
                if (!ok) return false;
            } while (Take(','));
            return Take(']');
        }
        std::string text;
        JsonKind kind;
        if (c == '"') {
            if (!String(text)) return false;
            kind = JsonKind::String;
        } else if (Literal("true")) {
            kind = JsonKind::True;
        } else if (Literal("false")) {
            kind = JsonKind::False;
        } else if (Literal("null")) {
            kind = JsonKind::Null;
        } else if (Number(text)) {
            kind = JsonKind::Number;
        } else {
            return false;
        }
        visitor_.OnValue(path_, kind, text);
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
    JsonVisitor& visitor_;
    std::vector<std::string> path_;
};

}  // namespace

bool ScanJson(std::string_view text, JsonVisitor& visitor) {
    // A byte-order mark, as some editors leave one.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return Scanner(text, visitor).Run();
}
