#include "SensorParams.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dut::param::intervalChoiceForSeconds;
using dut::param::kIntervalChoices;

TEST(SensorParams, IntervalTableRows) {
    const char* labels[] = {"Выключена", "10 сек", "20 сек", "30 сек", "40 сек", "50 сек",
                            "1 мин",     "2 мин",  "3 мин",  "4 мин",  "5 мин"};
    const int written[] = {0, 2, 4, 6, 8, 10, 12, 24, 36, 48, 60};
    const int seconds[] = {0, 10, 20, 30, 40, 50, 60, 120, 180, 240, 300};
    ASSERT_EQ(kIntervalChoices.size(), 11u);
    for (std::size_t i = 0; i < kIntervalChoices.size(); ++i) {
        EXPECT_EQ(std::string(kIntervalChoices[i].label), labels[i]) << i;
        EXPECT_EQ(kIntervalChoices[i].written, written[i]) << i;
        if (i == 0) {
            EXPECT_FALSE(kIntervalChoices[i].recognisedSeconds.has_value());
        } else {
            EXPECT_EQ(kIntervalChoices[i].recognisedSeconds, seconds[i]) << i;
            // The sensor counts in units of 5 s when written.
            EXPECT_EQ(kIntervalChoices[i].written * 5, seconds[i]) << i;
        }
    }
}

TEST(SensorParams, OnlyRecognisedSecondsSelectAChoice) {
    EXPECT_EQ(intervalChoiceForSeconds(10), 1u);
    EXPECT_EQ(intervalChoiceForSeconds(60), 6u);
    EXPECT_EQ(intervalChoiceForSeconds(300), 10u);
    // Off, the written codes and anything else leave the choice alone.
    for (int v : {0, 2, 12, 9, 11, 61, 301, -10, 2147483647}) {
        EXPECT_FALSE(intervalChoiceForSeconds(v).has_value()) << v;
    }
}

}  // namespace
