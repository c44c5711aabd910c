#include "TextInput.h"

namespace dut {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value") {}

std::optional<std::int32_t> parseInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    bool hex = false;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        hex = true;
        pos += 1;
    } else if (pos + 1 < text.size() && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        hex = true;
        pos += 2;
    }

    if (pos >= text.size()) return std::nullopt;  // empty, sign alone or prefix alone

    // Accumulate in 64 bits; stop as soon as the 32-bit range is left so that any
    // number of digits is safe.
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    const int base = hex ? 16 : 10;
    for (; pos < text.size(); ++pos) {
        const int digit = hex ? hexDigit(text[pos])
                              : (text[pos] >= '0' && text[pos] <= '9' ? text[pos] - '0' : -1);
        if (digit < 0) return std::nullopt;  // trailing characters, blanks included
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return std::nullopt;
    }

    // Hexadecimal digits are a bit pattern; the minus negates that pattern modulo 2^32.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::int32_t toIntDef(std::string_view text, std::int32_t fallback) {
    return parseInt(text).value_or(fallback);
}

std::int32_t toInt(std::string_view text) {
    const auto value = parseInt(text);
    if (!value) throw ConversionError(std::string(text));
    return *value;
}

std::string intToText(std::int32_t value) {
    return std::to_string(value);
}

}  // namespace dut
