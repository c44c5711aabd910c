// The rule every verified write follows: success needs the written value to come back from
// the command's own exchanges, never from what an earlier exchange left behind.

#include <gtest/gtest.h>

#include "ConfigFakes.h"
#include "WriteConfirm.h"

namespace cfgtest {
namespace {

using dut::config::writeConfirmed;
using dut::config::writeVerified;

struct Script {
    std::optional<std::int32_t> writeAnswer;
    std::optional<std::int32_t> readBackAnswer;
};

class WriteConfirmTest : public ::testing::Test {
  protected:
    void script(Script s) { script_ = s; }

    ScriptedSensorPort port{[this](const Request& r) {
        return r.operation == dut::ConfigLink::kOpWrite ? script_.writeAnswer
                                                        : script_.readBackAnswer;
    }};
    dut::LinkState state;
    dut::ConfigLink link{port, state};

  private:
    Script script_;
};

TEST_F(WriteConfirmTest, WritesThenReadsBackWithValueFieldZero) {
    script({1834, 1834});
    EXPECT_EQ(writeConfirmed(link, 4, 1834), std::optional<std::int32_t>(1834));
    ASSERT_EQ(port.requests().size(), 2u);
    EXPECT_EQ(port.requests()[0], (Request{2, 4, 1834}));
    EXPECT_EQ(port.requests()[1], (Request{1, 4, 0}));
}

TEST_F(WriteConfirmTest, ReadBackAnswerDecides) {
    script({1834, 77});
    EXPECT_EQ(writeConfirmed(link, 5, 1834), std::optional<std::int32_t>(77));
    EXPECT_FALSE(writeVerified(link, 5, 1834));
}

TEST_F(WriteConfirmTest, WriteAnswerCountsWhenOnlyTheReadBackFails) {
    script({1834, std::nullopt});
    EXPECT_EQ(writeConfirmed(link, 4, 1834), std::optional<std::int32_t>(1834));
    EXPECT_TRUE(writeVerified(link, 4, 1834));
    EXPECT_FALSE(state.linkFlag);  // the lost read-back still marks the link as faulty
}

TEST_F(WriteConfirmTest, ReadBackAloneConfirmsWhenTheWriteFails) {
    script({std::nullopt, 200});
    EXPECT_TRUE(writeVerified(link, 5, 200));
}

TEST_F(WriteConfirmTest, NothingConfirmedWhenBothFail) {
    script({std::nullopt, std::nullopt});
    EXPECT_EQ(writeConfirmed(link, 4, 1834), std::nullopt);
    EXPECT_FALSE(writeVerified(link, 4, 1834));
    EXPECT_EQ(port.requests().size(), 4u * dut::ConfigLink::kMaxAttempts);
}

TEST_F(WriteConfirmTest, ClosedPortConfirmsNothing) {
    script({5, 5});
    port.open = false;
    EXPECT_FALSE(writeVerified(link, 3, 5));
    EXPECT_TRUE(port.requests().empty());
}

TEST_F(WriteConfirmTest, NegativeValueIsNeverConfirmed) {
    // The link reports a negative answer as 0, so a negative level cannot come back.
    script({-3, -3});
    EXPECT_FALSE(writeVerified(link, 5, -3));
}

}  // namespace
}  // namespace cfgtest
