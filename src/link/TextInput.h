#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dut {

// Raised by toInt for a text that is not a number. The message is
// "'<text>' is not a valid integer value" (the error box adds the full stop).
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const std::string& text);
};

// A number is: optional leading blanks, an optional sign, then decimal digits (must fit in
// signed 32 bits) or hexadecimal digits behind '$', 'x' or '0x' (any case; up to 32 bits
// after leading zeros, taken as the bit pattern and negated by a minus). Nothing may follow.
std::optional<std::int32_t> parseInt(std::string_view text);

// The conversion with a default for a text that is not a number.
std::int32_t toIntDef(std::string_view text, std::int32_t fallback);

// The conversion without default: throws ConversionError.
std::int32_t toInt(std::string_view text);

// Numbers are shown as plain signed decimal text.
std::string intToText(std::int32_t value);

}  // namespace dut
