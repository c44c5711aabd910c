// transact over the real serial port against the simulated sensor on a pseudo-terminal,
// paced like a 19200 baud line.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "ConfigLink.h"
#include "PtySensor.h"
#include "SensorParams.h"
#include "SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long msSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(Clock::now() - start).count());
}

class TransactSim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sensor.start());
        sensor.freezeRaw(true);
        ASSERT_TRUE(port.open(sensor.devicePath()));
    }
    void TearDown() override {
        port.close();
        sensor.stop();
    }
    // Waits (bounded) until the sensor has seen `count` requests in all.
    void waitForRequests(std::size_t count) {
        const auto deadline = Clock::now() + milliseconds(3000);
        while (sensor.requests().size() < count && Clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(10));
        }
    }

    sim::PtySensor sensor;
    dut::SerialPort port;
    dut::LinkState state;
    dut::ConfigLink link{port, state};
};

TEST_F(TransactSim, WriteThenReadBackGoesOverTheLine) {
    ASSERT_TRUE(link.write(dut::param::kFullLevel, 4321));
    EXPECT_TRUE(state.linkFlag);
    EXPECT_EQ(sensor.param(dut::param::kFullLevel), 4321);
    state.lastValue = 0;
    ASSERT_TRUE(link.read(dut::param::kFullLevel, dut::ConfigLink::kReadBackValue));
    EXPECT_EQ(state.lastValue, 4321);

    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto expectedWrite =
        dut::ConfigLink::buildRequest(0, dut::ConfigLink::kAccessCode, 2, 4, 4321);
    for (std::size_t i = 0; i < 14; ++i) EXPECT_EQ(requests[0][i], expectedWrite[i]) << i;
    EXPECT_EQ(requests[1][8], 1);
    EXPECT_EQ(requests[1][10], 0);
}

TEST_F(TransactSim, AnswersOwedToAnEarlierExchangeAreNotTakenByTheNextOne) {
    sensor.setParam(dut::param::kFullLevel, 1111);
    sensor.setParam(dut::param::kEmptyLevel, 2222);
    sim::SensorFaults late;
    late.lateMs = 200;  // beyond the 160 ms a 15-byte read may take
    sensor.setFaults(late);

    // The first attempt times out; its answer comes in during a later attempt. The frame
    // carries nothing to tell whose answer it is, so it is accepted there.
    EXPECT_TRUE(link.read(dut::param::kFullLevel));
    EXPECT_EQ(state.lastValue, 1111);
    // The sensor records the second request only after it has sent the late first answer.
    waitForRequests(2);
    const std::size_t attempts = sensor.requests().size();
    EXPECT_GE(attempts, 2u);

    // The sensor still owes answers to the later attempts; let them all arrive and lie
    // in the input queue.
    sensor.setFaults({});
    std::this_thread::sleep_for(milliseconds(200 * static_cast<int>(attempts) + 300));
    sensor.clearRequests();

    EXPECT_TRUE(link.read(dut::param::kEmptyLevel));
    EXPECT_EQ(state.lastValue, 2222);  // not the stale 1111
    EXPECT_EQ(sensor.requests().size(), 1u);
}

TEST_F(TransactSim, StrayBytesAfterAnswersCostNoRetries) {
    sim::SensorFaults garbage;
    garbage.garbage = true;
    sensor.setFaults(garbage);
    sensor.setParam(dut::param::kNetworkAddress, 17);
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(link.read(dut::param::kNetworkAddress));
        EXPECT_EQ(state.lastValue, 17);
        std::this_thread::sleep_for(milliseconds(20));  // the stray bytes land in between
    }
    EXPECT_EQ(sensor.requests().size(), 8u);
}

TEST_F(TransactSim, EveryThirdAnswerCorruptedIsRetried) {
    sim::SensorFaults faults;
    faults.badCrcEvery = 3;
    sensor.setFaults(faults);
    sensor.setParam(dut::param::kVersion, 42);
    for (int i = 0; i < 9; ++i) {
        state.lastValue = 0;
        ASSERT_TRUE(link.read(dut::param::kVersion)) << i;
        EXPECT_EQ(state.lastValue, 42);
    }
    // 9 good answers need 13 requests when every third answer is bad.
    EXPECT_EQ(sensor.requests().size(), 13u);
}

TEST_F(TransactSim, SilentSensorFailsAfterSixteenBoundedAttempts) {
    sim::SensorFaults silent;
    silent.silent = true;
    sensor.setFaults(silent);
    state.lastValue = 99;
    state.linkFlag = true;
    const auto start = Clock::now();
    EXPECT_FALSE(link.read(dut::param::kRawValue));
    const long took = msSince(start);
    EXPECT_GE(took, 2000);  // 16 x 160 ms
    EXPECT_LT(took, 10000);
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(state.lastValue, 99);
    waitForRequests(16);
    EXPECT_EQ(sensor.requests().size(), 16u);
}

TEST_F(TransactSim, NegativeValuesBecomeZero) {
    sim::SensorFaults negative;
    negative.negativeValue = true;
    sensor.setFaults(negative);
    sensor.setParam(dut::param::kFullLevel, 1234);
    state.lastValue = 77;
    EXPECT_TRUE(link.read(dut::param::kFullLevel));
    EXPECT_EQ(state.lastValue, 0);
    EXPECT_TRUE(state.linkFlag);
}

TEST_F(TransactSim, UnpluggedAdapterFailsFastAndWorksAgainAfterReplug) {
    sim::PtySensorOptions options;
    options.linkPath = "/tmp/dut-link-test-" + std::to_string(::getpid());
    sim::PtySensor stable(options);
    ASSERT_TRUE(stable.start());
    stable.setParam(dut::param::kVersion, 7);
    dut::SerialPort line;
    dut::LinkState s;
    dut::ConfigLink l(line, s);
    ASSERT_TRUE(line.open(stable.devicePath()));
    ASSERT_TRUE(l.read(dut::param::kVersion));

    stable.unplug();
    const auto start = Clock::now();
    EXPECT_FALSE(l.read(dut::param::kVersion));
    EXPECT_LT(msSince(start), 1500);  // a hang-up is no silent line: no 2.6 s wait
    line.close();

    ASSERT_TRUE(stable.replug());
    ASSERT_TRUE(line.open(stable.devicePath()));
    EXPECT_TRUE(l.read(dut::param::kVersion));
    EXPECT_EQ(s.lastValue, 7);
    line.close();
    stable.stop();
}

}  // namespace
