#include "AxisScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct AxisCase {
    double dataMax;
    int maxSteps;
    double max;
    double step;
};

class AxisScaleTest : public ::testing::TestWithParam<AxisCase> {};

TEST_P(AxisScaleTest, EndsAtARoundValueJustPastTheData) {
    const AxisCase c = GetParam();
    const auto axis = dut::tank::roundAxis(c.dataMax, c.maxSteps);
    EXPECT_DOUBLE_EQ(axis.max, c.max);
    EXPECT_DOUBLE_EQ(axis.step, c.step);
    EXPECT_DOUBLE_EQ(axis.step * axis.steps, axis.max);
    EXPECT_LE(axis.steps, c.maxSteps);
    EXPECT_GE(axis.max, c.dataMax > 0 ? c.dataMax : 0);
    // Not a whole step past the data: the axis ends just past it.
    if (c.dataMax > 0) {
        EXPECT_LT(axis.max - axis.step, c.dataMax);
    }
}

INSTANTIATE_TEST_SUITE_P(Charts, AxisScaleTest,
                         ::testing::Values(AxisCase{4095, 10, 4500, 500},
                                           AxisCase{400, 10, 400, 50}, AxisCase{400, 5, 400, 100},
                                           AxisCase{4095, 5, 5000, 1000}, AxisCase{210, 8, 250, 50},
                                           AxisCase{525, 10, 600, 100},
                                           AxisCase{65535, 10, 70000, 10000},
                                           AxisCase{1, 10, 1, 0.1}, AxisCase{7, 10, 7, 1},
                                           AxisCase{0.3, 4, 0.3, 0.1},
                                           AxisCase{1e6, 10, 1e6, 1e5}));

TEST(AxisScale, AnEmptyChartStillGetsRoundMarks) {
    for (const double nothing : {0.0, -5.0, std::nan("")}) {
        const auto axis = dut::tank::roundAxis(nothing);
        EXPECT_DOUBLE_EQ(axis.max, 10);
        EXPECT_DOUBLE_EQ(axis.step, 1);
    }
}

}  // namespace
