#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dut::tank {

// Litres as text, whatever the process locale: at most three decimals, trailing zeros
// dropped ("12.5", "10", "0.125"); a decimal comma when asked for.
std::string litresText(double litres, bool decimalComma = false);

// A number of litres typed or read from a file: a decimal point or comma, an optional sign,
// surrounding blanks allowed. Nothing else (no exponent, no thousands separators, no
// infinity) is a number.
std::optional<double> parseLitres(std::string_view text);

// A whole number with optional sign and surrounding blanks, in 32 bits.
std::optional<long long> parseWhole(std::string_view text);

}  // namespace dut::tank
