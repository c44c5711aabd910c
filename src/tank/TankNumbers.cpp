#include "TankNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace dut::tank {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

std::string litresText(double litres, bool decimalComma) {
    // Thousandths, rounded once, so that 0.1 + 0.2 prints as 0.3.
    const double scaled = std::round(litres * 1000.0);
    if (!std::isfinite(litres)) return "-";
    if (std::fabs(scaled) > 9e15) {
        // Far beyond any table's bounds, but still the number it is, never a "0".
        char buffer[400];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, litres, std::chars_format::fixed, 0);
        return std::string(buffer, end.ptr);
    }
    auto thousandths = static_cast<long long>(scaled);
    std::string text;
    if (thousandths < 0) {
        text = "-";
        thousandths = -thousandths;
    }
    text += std::to_string(thousandths / 1000);
    std::string fraction = std::to_string(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += (decimalComma ? "," : ".") + fraction;
    return text;
}

std::optional<double> parseLitres(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t mark = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, mark);
    const std::string_view fraction =
        mark == std::string_view::npos ? std::string_view() : text.substr(mark + 1);
    if (mark != std::string_view::npos && fraction.empty()) return std::nullopt;
    if (!allDigits(whole) || (!fraction.empty() && !allDigits(fraction))) return std::nullopt;
    std::string normal(whole);
    if (!fraction.empty()) normal += "." + std::string(fraction);
    double value = 0.0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                        std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<long long> parseWhole(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!allDigits(text) || text.size() > 10) return std::nullopt;
    long long value = 0;
    for (const char c : text) value = value * 10 + (c - '0');
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace dut::tank
