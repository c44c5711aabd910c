#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CalibrationTable.h"
#include "LevelStability.h"

using dut::tank::autoRecordDue;
using dut::tank::CalibrationTable;
using dut::tank::Direction;
using dut::tank::LevelStability;

namespace {

std::vector<double> litresOf(const CalibrationTable& table) {
    std::vector<double> litres;
    for (const auto& point : table.points()) litres.push_back(point.litres);
    return litres;
}

// Records one point per level with the same portion.
void recordLevels(CalibrationTable& table, double portion, const std::vector<int>& levels) {
    for (const int level : levels) ASSERT_TRUE(table.record(portion, level, 7, 100).done());
}

}  // namespace

TEST(LevelStability, FiveIdenticalReadingsInARowAreStableFourAreNot) {
    struct Case {
        std::vector<int> readings;
        int count;
        bool stable;
    };
    const std::vector<Case> cases = {
        {{}, 0, false},
        {{10}, 1, false},
        {{10, 10, 10, 10}, 4, false},
        {{10, 10, 10, 10, 10}, 5, true},
        {{10, 10, 10, 10, 10, 10, 10}, 5, true},
        {{10, 10, 10, 10, 11}, 1, false},
        {{10, 10, 10, 10, 11, 10, 10, 10, 10}, 4, false},
        {{0, 0, 0, 0, 0}, 5, true},  // a zero level is a reading like any other
    };
    for (const Case& c : cases) {
        LevelStability stability;
        for (const int level : c.readings) stability.add(level);
        EXPECT_EQ(stability.count(), c.count) << ::testing::PrintToString(c.readings);
        EXPECT_EQ(stability.stable(), c.stable) << ::testing::PrintToString(c.readings);
    }
    LevelStability lost;
    for (int i = 0; i < 5; ++i) lost.add(3);
    lost.reset();
    lost.add(3);
    EXPECT_EQ(lost.count(), 1) << "a lost source starts the count again";
}

TEST(CalibrationTable, FillingAndDrainingCountThePortionsFromTheStart) {
    CalibrationTable filling;
    recordLevels(filling, 10, {100, 300, 500});
    ASSERT_TRUE(filling.record(2.5, 560, std::nullopt, 5).done());
    EXPECT_EQ(litresOf(filling), (std::vector<double>{0, 10, 20, 22.5}));
    EXPECT_EQ(filling.points()[0].raw, 7);
    EXPECT_EQ(filling.points()[3].raw, std::nullopt);

    CalibrationTable draining;
    ASSERT_TRUE(draining.start(Direction::Draining, 50).done());
    recordLevels(draining, 20, {4000, 2500, 900});
    EXPECT_EQ(litresOf(draining), (std::vector<double>{50, 30, 10}));
    const auto belowEmpty = draining.record(10.5, 100, 1, 1);
    EXPECT_FALSE(belowEmpty.done());
    EXPECT_NE(belowEmpty.refusal.find("10"), std::string::npos) << belowEmpty.refusal;
    EXPECT_TRUE(draining.record(10, 0, 1, 1).done()) << "draining to exactly empty";
    EXPECT_EQ(draining.points().back().litres, 0.0);

    for (const double portion : {0.0, -1.0, 1.0 / 0.0}) {
        EXPECT_FALSE(filling.record(portion, 900, 1, 1).done()) << portion;
    }
    EXPECT_EQ(filling.points().size(), 4u) << "a refused record adds nothing";
    EXPECT_FALSE(CalibrationTable().start(Direction::Draining, 0).done());
}

TEST(CalibrationTable, EditsMoveTheLaterRowsAndUndoTakesBackEachChange) {
    CalibrationTable table;
    recordLevels(table, 10, {100, 300, 500, 700});
    const auto before = table.state();

    ASSERT_TRUE(table.editLitres(2, 17.5).done());
    EXPECT_EQ(litresOf(table), (std::vector<double>{0, 10, 17.5, 27.5}));
    ASSERT_TRUE(table.remove(1).done());
    EXPECT_EQ(litresOf(table), (std::vector<double>{0, 17.5, 27.5}));
    EXPECT_FALSE(table.remove(3).done());
    EXPECT_FALSE(table.editLitres(9, 1).done());
    EXPECT_FALSE(table.editLitres(1, -1).done());

    // An edit that would push a later row below zero is refused whole.
    CalibrationTable drained;
    ASSERT_TRUE(drained.start(Direction::Draining, 30).done());
    recordLevels(drained, 10, {3000, 2000, 1000});
    EXPECT_FALSE(drained.editLitres(1, 5).done());
    EXPECT_EQ(litresOf(drained), (std::vector<double>{30, 20, 10}));

    ASSERT_TRUE(table.undo());
    ASSERT_TRUE(table.undo());
    EXPECT_EQ(table.state(), before);
    while (table.undo()) {
    }
    EXPECT_TRUE(table.empty());
    EXPECT_FALSE(table.canUndo());
}

TEST(CalibrationTable, ChecksMarkPointsThatBreakTheRiseAndKeepThem) {
    struct Case {
        const char* name;
        Direction direction;
        std::vector<int> levels;
        std::vector<const char*> markedWith;  // a word of each point's reason, "" when sound
    };
    const std::vector<Case> cases = {
        {"rising", Direction::Filling, {10, 20, 30}, {"", "", ""}},
        {"a dip while filling", Direction::Filling, {10, 30, 20, 40}, {"", "", "ниже", ""}},
        {"the same level", Direction::Filling, {10, 30, 30}, {"", "", "тот же"}},
        {"falling while draining", Direction::Draining, {300, 200, 100}, {"", "", ""}},
        {"a rise while draining", Direction::Draining, {300, 350, 100}, {"", "выше", ""}},
        {"the same level draining", Direction::Draining, {300, 300}, {"", "тот же"}},
    };
    for (const Case& c : cases) {
        CalibrationTable table;
        if (c.direction == Direction::Draining) {
            ASSERT_TRUE(table.start(c.direction, 100).done());
        }
        recordLevels(table, 10, c.levels);
        const auto marks = table.marks();
        ASSERT_EQ(marks.size(), c.levels.size()) << c.name;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const std::string word = c.markedWith[i];
            if (word.empty()) {
                EXPECT_EQ(marks[i], "") << c.name << " row " << i;
            } else {
                EXPECT_NE(marks[i].find(word), std::string::npos) << c.name << ": " << marks[i];
            }
        }
    }
    // A volume edited out of order is marked by its volume.
    CalibrationTable edited;
    recordLevels(edited, 10, {10, 20, 30});
    ASSERT_TRUE(edited.editLitres(2, 10).done());
    EXPECT_NE(edited.marks()[2].find("объём"), std::string::npos) << edited.marks()[2];
}

TEST(CalibrationTable, AutomaticModeRecordsASettledLevelThatDiffersFromTheLastPoint) {
    CalibrationTable table;
    EXPECT_FALSE(autoRecordDue(table, false, 100));
    EXPECT_TRUE(autoRecordDue(table, true, 100));
    recordLevels(table, 10, {100});
    EXPECT_FALSE(autoRecordDue(table, true, 100));
    EXPECT_TRUE(autoRecordDue(table, true, 101));
    EXPECT_FALSE(autoRecordDue(table, false, 101));
}
