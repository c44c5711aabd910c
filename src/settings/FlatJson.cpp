#include "FlatJson.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>
#include "Translatable.h"

namespace dut::settings {

namespace {

const char* const kObjectExpected = DUT_TR_NOOP("FlatJson", "ожидается объект { … }");
const char* const kNameExpected = DUT_TR_NOOP("FlatJson", "ожидается имя в кавычках");
const char* const kColonExpected = DUT_TR_NOOP("FlatJson", "ожидается «:»");
const char* const kBadValue = DUT_TR_NOOP("FlatJson", "неверное значение");
const char* const kNameQuote = DUT_TR_NOOP("FlatJson", "имя «");
const char* const kRepeated = DUT_TR_NOOP("FlatJson", "» повторяется");
const char* const kCommaExpected = DUT_TR_NOOP("FlatJson", "ожидается «,» или «}»");
const char* const kTrailing = DUT_TR_NOOP("FlatJson", "лишний текст после объекта");
const char* const kBadJson = DUT_TR_NOOP("FlatJson", "неверный JSON (строка ");

class Reader {
  public:
    explicit Reader(const std::string& t) : t_(t) {}

    FlatJsonResult run() {
        FlatJsonResult r;
        skip();
        if (!eat('{')) return fail(r, kObjectExpected);
        skip();
        if (!eat('}')) {
            for (;;) {
                skip();
                JsonMember m;
                if (!string(m.key)) return fail(r, kNameExpected);
                skip();
                if (!eat(':')) return fail(r, kColonExpected);
                skip();
                if (!value(m)) return fail(r, kBadValue);
                for (const auto& seen : r.members)
                    if (seen.key == m.key) return fail(r, kNameQuote + m.key + kRepeated);
                r.members.push_back(std::move(m));
                skip();
                if (eat(',')) continue;
                if (eat('}')) break;
                return fail(r, kCommaExpected);
            }
        }
        skip();
        if (p_ != t_.size()) return fail(r, kTrailing);
        return r;
    }

  private:
    FlatJsonResult& fail(FlatJsonResult& r, const std::string& why) {
        r.members.clear();
        // A line is what an editor shows; a byte offset means nothing in Cyrillic text.
        const std::size_t upTo = std::min(p_, t_.size());
        const auto line = 1 + std::count(t_.begin(), t_.begin() + static_cast<long>(upTo), '\n');
        r.error = kBadJson + std::to_string(line) + "): " + why;
        return r;
    }
    void skip() {
        // JSON's own four blanks, not the wider set of isspace.
        while (p_ < t_.size() &&
               (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r'))
            ++p_;
    }
    bool eat(char c) {
        if (p_ < t_.size() && t_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool word(const char* w) {
        const std::string s(w);
        if (t_.compare(p_, s.size(), s) != 0) return false;
        p_ += s.size();
        return true;
    }
    bool string(std::string& out) {
        if (!eat('"')) return false;
        while (p_ < t_.size()) {
            const char c = t_[p_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (p_ >= t_.size()) return false;
                const char e = t_[p_++];
                switch (e) {
                    case '"':
                        out += '"';
                        break;
                    case '\\':
                        out += '\\';
                        break;
                    case '/':
                        out += '/';
                        break;
                    case 'n':
                        out += '\n';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'u':
                        if (!escapedCodePoint(out)) return false;
                        break;
                    default:
                        return false;
                }
            } else {
                out += c;
            }
        }
        return false;
    }
    // Four hex digits after "\\u" (the "\\u" already read); a surrogate pair is two of them.
    bool hex4(unsigned& value) {
        if (p_ + 4 > t_.size()) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = t_[p_++];
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : c >= 'a' && c <= 'f'                      ? c - 'a' + 10
                              : c >= 'A' && c <= 'F'                      ? c - 'A' + 10
                                                                          : -1;
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }
    bool escapedCodePoint(std::string& out) {
        unsigned code = 0;
        if (!hex4(code)) return false;
        if (code >= 0xDC00 && code <= 0xDFFF) return false;  // a second half alone
        if (code >= 0xD800 && code <= 0xDBFF) {
            unsigned low = 0;
            if (!eat('\\') || !eat('u') || !hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        return true;
    }
    bool number(JsonMember& m) {
        const std::size_t start = p_;
        eat('-');
        const std::size_t digits = p_;
        while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
        if (p_ == digits) return false;
        if (t_[digits] == '0' && p_ - digits > 1) return false;
        bool fraction = false;
        if (eat('.')) {
            fraction = true;
            const std::size_t f = p_;
            while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
            if (p_ == f) return false;
        }
        if (p_ < t_.size() && (t_[p_] == 'e' || t_[p_] == 'E')) {
            fraction = true;
            ++p_;
            if (!eat('+')) eat('-');
            const std::size_t f = p_;
            while (p_ < t_.size() && std::isdigit(static_cast<unsigned char>(t_[p_]))) ++p_;
            if (p_ == f) return false;
        }
        if (fraction) {
            m.kind = JsonMember::Kind::Fraction;
            return true;
        }
        m.kind = JsonMember::Kind::Integer;
        const bool negative = t_[start] == '-';
        long long v = 0;
        for (std::size_t i = digits; i < p_; ++i) {
            const int d = t_[i] - '0';
            if (v > (LLONG_MAX - d) / 10) {
                m.integerOverflow = true;
                v = LLONG_MAX;
                break;
            }
            v = v * 10 + d;
        }
        m.integer = negative ? -v : v;
        return true;
    }
    // Skips a nested array or object, checking its syntax.
    bool nested(char open, char close) {
        if (!eat(open)) return false;
        skip();
        if (eat(close)) return true;
        for (;;) {
            skip();
            if (open == '{') {
                std::string k;
                if (!string(k)) return false;
                skip();
                if (!eat(':')) return false;
                skip();
            }
            JsonMember inner;
            if (!value(inner)) return false;
            skip();
            if (eat(',')) continue;
            return eat(close);
        }
    }
    bool value(JsonMember& m) {
        if (p_ >= t_.size()) return false;
        const char c = t_[p_];
        if (c == '"') {
            m.kind = JsonMember::Kind::String;
            return string(m.text);
        }
        if (c == '{' || c == '[') {
            m.kind = JsonMember::Kind::Nested;
            if (++depth_ > 32) return false;
            const bool ok = c == '{' ? nested('{', '}') : nested('[', ']');
            --depth_;
            return ok;
        }
        if (word("true") || word("false")) {
            m.kind = JsonMember::Kind::Boolean;
            return true;
        }
        if (word("null")) {
            m.kind = JsonMember::Kind::Null;
            return true;
        }
        return number(m);
    }

    const std::string& t_;
    std::size_t p_ = 0;
    int depth_ = 0;
};

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            // Control characters never stand bare in a JSON text.
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

const std::vector<const char*>& flatJsonTexts() {
    static const std::vector<const char*> texts{kObjectExpected, kNameExpected, kColonExpected,
                                                kBadValue,       kNameQuote,    kRepeated,
                                                kCommaExpected,  kTrailing,     kBadJson};
    return texts;
}

FlatJsonResult parseFlatJson(const std::string& text) {
    return Reader(text).run();
}

std::string writeFlatJson(const std::vector<JsonMember>& members) {
    std::string out = "{\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        const JsonMember& m = members[i];
        out += "  " + quoted(m.key) + ": ";
        out += m.kind == JsonMember::Kind::String ? quoted(m.text) : std::to_string(m.integer);
        out += i + 1 < members.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}

}  // namespace dut::settings
