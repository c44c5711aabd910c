// The 5 % widening arithmetic: extended precision, halves to even, no 32-bit wrap-around.

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <limits>

#include "LevelCorrectionDialog.h"

namespace {

using dut::config::widenLevels;

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

void expectLevels(std::int32_t max, std::int32_t min, std::int32_t newMax, std::int32_t newMin) {
    const auto levels = widenLevels(max, min);
    ASSERT_TRUE(levels.has_value()) << max << " / " << min;
    EXPECT_EQ(levels->max, newMax) << max << " / " << min;
    EXPECT_EQ(levels->min, newMin) << max << " / " << min;
}

TEST(WidenLevels, HalvesRoundToTheEvenNeighbour) {
    expectLevels(100, 10, 104, 6);  // 104.5 and 5.5
    expectLevels(50, 0, 52, -2);    // 52.5 and -2.5
    expectLevels(30, 0, 32, -2);    // 31.5 and -1.5
    expectLevels(70, 0, 74, -4);    // 73.5 and -3.5
}

TEST(WidenLevels, OtherFractionsRoundToNearest) {
    expectLevels(3000, 200, 3140, 60);  // e = 140 exactly
    expectLevels(108, 100, 108, 100);   // e = 0.4
    expectLevels(112, 100, 113, 99);    // e = 0.6
}

TEST(WidenLevels, SwappedLevelsMoveTowardsEachOther) {
    expectLevels(10, 100, 6, 104);
}

TEST(WidenLevels, EqualLevelsStayPut) {
    expectLevels(50, 50, 50, 50);
    expectLevels(0, 0, 0, 0);
    expectLevels(kMax32, kMax32, kMax32, kMax32);
}

TEST(WidenLevels, RoundingIgnoresTheCurrentRoundingMode) {
    const int previous = std::fegetround();
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    const auto levels = widenLevels(100, 10);
    const int during = std::fegetround();
    std::fesetround(previous);
    ASSERT_TRUE(levels.has_value());
    EXPECT_EQ(levels->max, 104);
    EXPECT_EQ(levels->min, 6);
    EXPECT_EQ(during, FE_UPWARD);  // the caller's mode is left as it was
}

TEST(WidenLevels, DistanceBeyond32BitsDoesNotWrap) {
    // 3 000 000 000 apart: a 32-bit difference would turn negative and narrow the levels.
    expectLevels(1500000000, -1500000000, 1650000000, -1650000000);
}

TEST(WidenLevels, ResultsOutsideSigned32BitsAreRefused) {
    EXPECT_FALSE(widenLevels(kMax32, 0).has_value());
    EXPECT_FALSE(widenLevels(0, kMin32).has_value());
    EXPECT_FALSE(widenLevels(kMax32, kMin32).has_value());
    // kMax32 + 0.5 rounds to the even 2^31, one past the range.
    EXPECT_FALSE(widenLevels(kMax32, kMax32 - 10).has_value());
}

TEST(WidenLevels, ResultsAtTheRangeEdgeAreKept) {
    expectLevels(kMax32, kMax32 - 9, kMax32, kMax32 - 9);  // e = 0.45
    expectLevels(kMin32 + 9, kMin32, kMin32 + 9, kMin32);
}

}  // namespace
