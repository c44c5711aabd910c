#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "SimTank.h"

using sim::parseTankCommand;
using sim::SimTank;
using sim::TankShape;

TEST(SimTank, ALyingCylinderGivesTheSCurve) {
    // The share of a circle below a chord at a known height, from its closed form.
    const double pi = std::acos(-1.0);
    for (const double h : {0.05, 0.2, 0.5, 0.7, 0.95}) {
        const double angle = 2.0 * std::acos(1.0 - 2.0 * h);
        const double share = (angle - std::sin(angle)) / (2.0 * pi);
        EXPECT_NEAR(SimTank::heightFraction(share, TankShape::Cylinder), h, 1e-9) << h;
    }
    EXPECT_EQ(SimTank::heightFraction(0.3, TankShape::Linear), 0.3);
    EXPECT_EQ(SimTank::heightFraction(-1, TankShape::Cylinder), 0.0);
    EXPECT_EQ(SimTank::heightFraction(2, TankShape::Cylinder), 1.0);
    // Steep at the ends, flat in the middle: a tenth of the volume lifts the surface more at
    // the bottom than around the middle.
    const auto rise = [](double from) {
        return SimTank::heightFraction(from + 0.1, TankShape::Cylinder) -
               SimTank::heightFraction(from, TankShape::Cylinder);
    };
    EXPECT_GT(rise(0.0), 1.5 * rise(0.45));
    EXPECT_GT(rise(0.9), 1.5 * rise(0.45));
}

TEST(SimTank, APortionSwaysAndThenSettlesExactly) {
    SimTank tank(100, TankShape::Linear);
    EXPECT_EQ(tank.raw(0, 200, 3000), 200);
    EXPECT_EQ(tank.pour(10, 5.0), 10);
    std::vector<int> swaying;
    for (double t = 5.0; t < 5.0 + SimTank::kSettleSeconds; t += 0.2) {
        swaying.push_back(tank.raw(t, 200, 3000));
    }
    EXPECT_GT(std::set<int>(swaying.begin(), swaying.end()).size(), 5u) << "the level moves";
    EXPECT_FALSE(tank.settled(5.0 + SimTank::kSettleSeconds - 0.01));
    ASSERT_TRUE(tank.settled(5.0 + SimTank::kSettleSeconds));
    for (double t = 8.0; t < 20.0; t += 0.7) EXPECT_EQ(tank.raw(t, 200, 3000), 480) << t;

    EXPECT_EQ(tank.pour(200, 30), 90) << "never more than the capacity";
    EXPECT_EQ(tank.drain(150, 40), 100) << "never less than empty";
    EXPECT_EQ(tank.raw(50, 200, 3000), 200);
}

TEST(SimTank, ControlLinesAreCommandsOrNothing) {
    const auto pour = parseTankCommand("pour 10");
    ASSERT_TRUE(pour);
    EXPECT_TRUE(pour->pour);
    EXPECT_EQ(pour->litres, 10);
    const auto drain = parseTankCommand("  drain 2.5 ");
    ASSERT_TRUE(drain);
    EXPECT_FALSE(drain->pour);
    EXPECT_EQ(drain->litres, 2.5);
    for (const std::string bad :
         {"", "pour", "pour -1", "pour 0", "pour x", "fill 3", "pour 1 2", "pour inf"}) {
        EXPECT_FALSE(parseTankCommand(bad)) << bad;
    }
}
