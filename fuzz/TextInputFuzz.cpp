// Text-to-number conversion on arbitrary text: agrees with an independent reading of the
// number rules, the three entry points agree with each other, and whatever is accepted
// survives the trip through intToText and back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "TextInput.h"

namespace {

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The number rules read a second time, with a different shape: significant digits are
// counted after the leading zeros are dropped, instead of watching an accumulator overflow.
std::optional<std::int32_t> referenceParse(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text.remove_prefix(first);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        if (digitValue(c, base) < 0) return std::nullopt;
    }

    const std::size_t significant = text.find_first_not_of('0');
    const std::string_view digits =
        significant == std::string_view::npos ? std::string_view{} : text.substr(significant);
    if (digits.size() > (base == 16 ? 8u : 10u)) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (char c : digits) magnitude = magnitude * base + digitValue(c, base);

    if (base == 10) {
        if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
        return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                                  : static_cast<std::int64_t>(magnitude));
    }
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = ~bits + 1u;
    return static_cast<std::int32_t>(bits);
}

std::string hexText(std::uint32_t bits) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    return text;
}

// Shown numbers are plain signed decimal: a minus only for negatives, no blanks, no plus,
// no leading zeros.
void checkShownText(std::int32_t value) {
    const std::string shown = dut::intToText(value);
    FUZZ_CHECK(!shown.empty());
    const std::size_t digitsAt = value < 0 ? 1 : 0;
    FUZZ_CHECK(shown.size() > digitsAt);
    if (value < 0) FUZZ_CHECK(shown[0] == '-');
    for (std::size_t i = digitsAt; i < shown.size(); ++i) {
        FUZZ_CHECK(shown[i] >= '0' && shown[i] <= '9');
    }
    FUZZ_CHECK(shown[digitsAt] != '0' || shown.size() == digitsAt + 1);
    FUZZ_CHECK(dut::parseInt(shown) == value);
}

void checkRoundTrips(std::int32_t value) {
    checkShownText(value);
    const auto bits = static_cast<std::uint32_t>(value);
    FUZZ_CHECK(dut::parseInt("$" + hexText(bits)) == value);
    FUZZ_CHECK(dut::parseInt("  0X" + hexText(bits)) == value);
    FUZZ_CHECK(dut::parseInt("-x" + hexText(bits)) == static_cast<std::int32_t>(0u - bits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> parsed = dut::parseInt(text);
    FUZZ_CHECK(parsed == referenceParse(text));

    if (parsed) {
        // Two different defaults tell a parsed value from a default that happens to match.
        FUZZ_CHECK(dut::toIntDef(text, 0) == *parsed);
        FUZZ_CHECK(dut::toIntDef(text, 1) == *parsed);
        FUZZ_CHECK(dut::toInt(text) == *parsed);
        checkRoundTrips(*parsed);
    } else {
        FUZZ_CHECK(dut::toIntDef(text, -1) == -1);
        FUZZ_CHECK(dut::toIntDef(text, 1000) == 1000);
        bool thrown = false;
        try {
            dut::toInt(text);
        } catch (const dut::ConversionError& error) {
            thrown = true;
            // what() is a C string: a zero character in the text ends the message there.
            const std::string message = "'" + std::string(text) + "' is not a valid integer value";
            FUZZ_CHECK(error.what() == message.substr(0, message.find('\0')));
        }
        FUZZ_CHECK(thrown);
    }

    // The raw bytes as a number, so that every 32-bit value gets its round trip, not only
    // those the texts above happen to spell.
    if (size >= 4) {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
        checkRoundTrips(static_cast<std::int32_t>(bits));
    }
    return 0;
}
