#include "TextInput.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* text;
    std::optional<std::int64_t> expected;  // none: not a number
};

void checkAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const auto got = dut::parseInt(c.text);
        if (c.expected) {
            ASSERT_TRUE(got.has_value()) << "'" << c.text << "' should be a number";
            EXPECT_EQ(*got, *c.expected) << "'" << c.text << "'";
        } else {
            EXPECT_FALSE(got.has_value()) << "'" << c.text << "' gave " << got.value_or(0);
        }
    }
}

TEST(TextInput, DecimalAndSignsAndLeadingBlanks) {
    checkAll({
        {"0", 0},
        {"7", 7},
        {"+7", 7},
        {"-7", -7},
        {"-0", 0},
        {"007", 7},
        {"   42", 42},
        {" -42", -42},
        {"  +000000000000000000000012", 12},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483648LL},
        {"+2147483647", 2147483647},
    });
}

TEST(TextInput, DecimalOutsideSigned32BitsIsNotANumber) {
    checkAll({
        {"2147483648", std::nullopt},
        {"+2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"4294967295", std::nullopt},
        {"4294967296", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
    });
}

TEST(TextInput, HexadecimalPrefixesCasesAndBitPattern) {
    checkAll({
        {"$FF", 255},
        {"$ff", 255},
        {"xFF", 255},
        {"XfF", 255},
        {"0xff", 255},
        {"0XFF", 255},
        {"-$10", -16},
        {"+0x10", 16},
        {" $7FFFFFFF", 2147483647},
        {"$80000000", -2147483648LL},
        {"$FFFFFFFF", -1},
        {"-$FFFFFFFF", 1},              // the pattern -1, negated
        {"-$80000000", -2147483648LL},  // negating the lowest value wraps onto itself
        {"$000000000000FFFFFFFF", -1},  // leading zeros do not count towards the 32 bits
        {"$0", 0},
        {"0x0", 0},
    });
}

TEST(TextInput, HexadecimalWiderThan32BitsIsNotANumber) {
    checkAll({
        {"$100000000", std::nullopt},
        {"0x1FFFFFFFF", std::nullopt},
        {"-$100000000", std::nullopt},
        {"$FFFFFFFFFFFFFFFFFFFF", std::nullopt},
    });
}

TEST(TextInput, MalformedTextsAreNotNumbers) {
    checkAll({
        {"", std::nullopt},      {" ", std::nullopt},
        {"-", std::nullopt},     {"+", std::nullopt},
        {"$", std::nullopt},     {"x", std::nullopt},
        {"0x", std::nullopt},    {"-0x", std::nullopt},
        {"12 ", std::nullopt},  // trailing blank
        {"12a", std::nullopt},   {"1.5", std::nullopt},
        {"1,5", std::nullopt},   {"--1", std::nullopt},
        {"+-1", std::nullopt},   {"- 1", std::nullopt},
        {"$ FF", std::nullopt},  {"$FG", std::nullopt},
        {"FF", std::nullopt},  // hex digits without a prefix
        {"h10", std::nullopt},   {"0b101", std::nullopt},
        {"00x10", std::nullopt}, {"$-1", std::nullopt},
        {"\t5", std::nullopt},   {"1e3", std::nullopt},
    });
}

TEST(TextInput, EmbeddedZeroCharacterEndsNothing) {
    const std::string text(
        "12\0"
        "3",
        4);
    EXPECT_FALSE(dut::parseInt(text).has_value());
}

TEST(TextInput, DefaultsApplyOnlyToNonNumbers) {
    EXPECT_EQ(dut::toIntDef("", 1), 1);
    EXPECT_EQ(dut::toIntDef("abc", 1000), 1000);
    EXPECT_EQ(dut::toIntDef("2147483648", -1), -1);
    EXPECT_EQ(dut::toIntDef("0", -1), 0);
    EXPECT_EQ(dut::toIntDef("-1", 0), -1);
    EXPECT_EQ(dut::toIntDef(" $10", 0), 16);
}

TEST(TextInput, ToIntThrowsWithTheTextInItsMessage) {
    EXPECT_EQ(dut::toInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    for (const char* bad : {"", "12 ", "abc", "0x"}) {
        try {
            dut::toInt(bad);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const dut::ConversionError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}

TEST(TextInput, IntToTextRoundTripsThroughParse) {
    for (std::int32_t v : {0, 1, -1, 79, 4095, std::numeric_limits<std::int32_t>::max(),
                           std::numeric_limits<std::int32_t>::min()}) {
        const std::string text = dut::intToText(v);
        EXPECT_EQ(dut::parseInt(text), v) << text;
    }
    EXPECT_EQ(dut::intToText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(dut::intToText(255), "255");
}

}  // namespace
