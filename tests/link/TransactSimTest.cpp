// transact over the real serial port against the simulated sensor on a pseudo-terminal,
// paced like a 19200 baud line.
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ConfigLink.h"
#include "Crc8.h"
#include "FastSensor.h"
#include "PtySensor.h"
#include "SensorLineRecord.h"
#include "SensorParams.h"
#include "SerialPort.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long msSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(Clock::now() - start).count());
}

// What the port's driver holds, received and not yet read.
int pendingInput(const dut::SerialPort& port) {
    int pending = 0;
    if (::ioctl(static_cast<int>(port.nativeHandle()), FIONREAD, &pending) != 0) return -1;
    return pending;
}

// Waits (bounded) until the condition holds; false if it never did.
template <class Condition>
bool waitUntil(Condition condition, int limitMs = 10000) {
    const auto deadline = Clock::now() + milliseconds(limitMs);
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return true;
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
        waitUntil([&] { return sensor.requests().size() >= count; });
    }
    std::vector<std::int32_t> addressReadsThroughGarbage(bool waitForStrays);

    // The line is paced like a real one, and a held-up sensor thread can cut an answer with
    // 30 ms of silence: exact attempt counts are judged only where the sensor kept up.
    SensorLineRecord record;
    sim::PtySensor sensor{record.sensorOptions()};
    dut::SerialPort port;
    SensorLineRecord::Port recordedPort{port, record};
    dut::LinkState state;
    dut::ConfigLink link{recordedPort, state};
};

TEST_F(TransactSim, WriteThenReadBackGoesOverTheLine) {
    const std::optional<std::int32_t> wrote = link.write(dut::param::kFullLevel, 4321);
    const bool flagAfterWrite = state.linkFlag;
    const std::optional<std::int32_t> readBack =
        link.read(dut::param::kFullLevel, dut::ConfigLink::kReadBackValue);
    const std::string late = record.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;

    ASSERT_TRUE(wrote);
    EXPECT_TRUE(flagAfterWrite);
    EXPECT_EQ(sensor.param(dut::param::kFullLevel), 4321);
    EXPECT_EQ(readBack, 4321);

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
    EXPECT_EQ(link.read(dut::param::kFullLevel), 1111);
    // The sensor records the second request only after it has sent the late first answer.
    waitForRequests(2);
    const std::size_t attempts = sensor.requests().size();
    EXPECT_GE(attempts, 2u);

    // The sensor still owes answers to the later attempts; let them all arrive and lie
    // in the input queue. How long that takes is up to the sensor's thread, so a request of
    // our own goes behind them, straight onto the line: once the sensor has answered it,
    // every earlier answer is out too.
    sensor.setFaults({});
    auto marker = dut::ConfigLink::buildRequest(0, dut::ConfigLink::kAccessCode, 1,
                                                dut::param::kFullLevel, 0);
    marker[14] = dut::crc8(marker.data(), 14);
    record.ownRequestSent();
    ASSERT_EQ(::write(static_cast<int>(port.nativeHandle()), marker.data(), marker.size()),
              static_cast<ssize_t>(marker.size()));
    ASSERT_TRUE(waitUntil([&] { return record.answered(marker); }))
        << "the sensor never answered the request sent behind the owed ones";
    ASSERT_TRUE(waitUntil([&] { return pendingInput(port) >= 15; }))
        << "no stale answer waits in the input queue";
    sensor.clearRequests();

    const std::size_t from = record.requests();
    const std::optional<std::int32_t> read = link.read(dut::param::kEmptyLevel);
    const std::string held = record.lateSensor(from);
    if (!held.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << held;
    EXPECT_EQ(read, 2222);  // not the stale 1111
    EXPECT_EQ(sensor.requests().size(), 1u);
}

// Eight reads of the network address from a sensor that sends stray bytes 5 ms after each
// answer; with waitForStrays the next read starts only once they have landed.
std::vector<std::int32_t> TransactSim::addressReadsThroughGarbage(bool waitForStrays) {
    sim::SensorFaults garbage;
    garbage.garbage = true;
    sensor.setFaults(garbage);
    sensor.setParam(dut::param::kNetworkAddress, 17);
    std::vector<std::int32_t> values;
    for (int i = 0; i < 8; ++i) {
        values.push_back(link.read(dut::param::kNetworkAddress).value_or(-1));
        if (waitForStrays) waitUntil([&] { return pendingInput(port) > 0; }, 2000);
    }
    return values;
}

TEST_F(TransactSim, StrayBytesAfterAnswersCostNoRetries) {
    const std::vector<std::int32_t> values = addressReadsThroughGarbage(true);
    const std::string late = record.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    EXPECT_EQ(values, std::vector<std::int32_t>(8, 17));
    EXPECT_EQ(sensor.requests().size(), 8u);
}

// The next request goes out before the strays of the last answer have landed, as in the
// connect sequence: they spoil its first read, and the line is let fall quiet before the
// retry. Without that, each retry met the strays of the answer before it (5 requests per
// read); a sensor thread held up by a busy machine may cost a third attempt now and then.
TEST_F(TransactSim, StrayBytesBetweenBackToBackExchangesCostAboutOneRetry) {
    const std::vector<std::int32_t> values = addressReadsThroughGarbage(false);
    EXPECT_EQ(values, std::vector<std::int32_t>(8, 17));
    EXPECT_LE(sensor.requests().size(), 24u) << record.lateSensor();
}

TEST_F(TransactSim, EveryThirdAnswerCorruptedIsRetried) {
    sim::SensorFaults faults;
    faults.badCrcEvery = 3;
    sensor.setFaults(faults);
    sensor.setParam(dut::param::kVersion, 42);
    std::vector<std::int32_t> values;
    for (int i = 0; i < 9; ++i) {
        values.push_back(link.read(dut::param::kVersion).value_or(-1));
    }
    const std::string late = record.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    EXPECT_EQ(values, std::vector<std::int32_t>(9, 42));
    // 9 good answers need 13 requests when every third answer is bad.
    EXPECT_EQ(sensor.requests().size(), 13u);
}

TEST_F(TransactSim, SilentSensorFailsAfterSixteenBoundedAttempts) {
    sim::SensorFaults silent;
    silent.silent = true;
    sensor.setFaults(silent);
    state.linkFlag = true;
    const auto start = Clock::now();
    EXPECT_FALSE(link.read(dut::param::kRawValue));
    const long took = msSince(start);
    EXPECT_GE(took, 2000);  // 16 x 160 ms
    EXPECT_LT(took, 10000);
    EXPECT_FALSE(state.linkFlag);
    waitForRequests(16);
    EXPECT_EQ(sensor.requests().size(), 16u);
}

TEST_F(TransactSim, NegativeValuesBecomeZero) {
    sim::SensorFaults negative;
    negative.negativeValue = true;
    sensor.setFaults(negative);
    sensor.setParam(dut::param::kFullLevel, 1234);
    const std::optional<std::int32_t> read = link.read(dut::param::kFullLevel);
    const std::string late = record.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    EXPECT_EQ(read, 0);
    EXPECT_TRUE(state.linkFlag);
}

TEST_F(TransactSim, UnpluggedAdapterFailsFastAndWorksAgainAfterReplug) {
    sim::PtySensorOptions options;
    options.linkPath = "/tmp/dut-link-test-" + std::to_string(::getpid());
    SensorLineRecord stableRecord;
    sim::PtySensor stable(stableRecord.sensorOptions(options));
    ASSERT_TRUE(stable.start());
    stable.setParam(dut::param::kVersion, 7);
    dut::SerialPort line;
    SensorLineRecord::Port recordedLine(line, stableRecord);
    dut::LinkState s;
    dut::ConfigLink l(recordedLine, s);
    ASSERT_TRUE(line.open(stable.devicePath()));
    const bool before = l.read(dut::param::kVersion).has_value();
    std::string late = stableRecord.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    ASSERT_TRUE(before);

    const std::size_t unplugged = stableRecord.requests();
    stable.unplug();
    const auto start = Clock::now();
    EXPECT_FALSE(l.read(dut::param::kVersion));
    EXPECT_LT(msSince(start), 2000);  // a hang-up is no silent line: no 2.6 s wait
    stableRecord.requestsLostSince(unplugged);
    line.close();

    ASSERT_TRUE(stable.replug());
    ASSERT_TRUE(line.open(stable.devicePath()));
    const std::size_t from = stableRecord.requests();
    const std::optional<std::int32_t> after = l.read(dut::param::kVersion);
    late = stableRecord.lateSensor(from);
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    EXPECT_EQ(after, 7);
    line.close();
    stable.stop();
}

}  // namespace

// An adapter that hears its own requests, against a sensor that answers and one that keeps
// silent, and a clean line where a sensor's answer happens to equal the request: each row is
// a run of exchanges on one open port with what each must come to.
TEST(AdapterEcho, TheRequestsOwnCopyIsNeverTakenForTheSensor) {
    using Echo = dut::ConfigLink::AdapterEcho;
    struct Step {
        std::uint8_t op;
        std::uint8_t parameter;
        std::int32_t value;
        std::optional<std::int32_t> expected;
        Echo learnt;
    };
    struct Row {
        const char* name;
        bool echo;
        bool silent;
        std::vector<Step> steps;
    };
    constexpr std::uint8_t R = dut::ConfigLink::kOpRead;
    constexpr std::uint8_t W = dut::ConfigLink::kOpWrite;
    const std::vector<Row> rows = {
        {"echoing adapter, answering sensor",
         true,
         false,
         {{R, 3, 1, 1, Echo::Echoes},  // address 1: the answer equals the request, after its echo
          {R, 7, 1, 1234, Echo::Echoes},
          {W, 4, 3000, 3000, Echo::Echoes},
          {R, 4, 0, 3000, Echo::Echoes}}},
        {"echoing adapter, no sensor",
         true,
         true,
         {{R, 3, 1, 1, Echo::Unknown},  // cannot be told from a sensor at address 1 yet
          {R, 7, 1, std::nullopt, Echo::Echoes},
          {R, 3, 1, std::nullopt, Echo::Echoes}}},
        {"clean line",
         false,
         false,
         {{R, 3, 1, 1, Echo::Unknown},
          {R, 7, 1, 1234, Echo::Quiet},
          {W, 5, 400, 400, Echo::Quiet},
          {R, 3, 1, 1, Echo::Quiet}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Unpaced: a copy stands as the answer only when nothing follows it within the
        // attempt, and a loaded machine must not stretch the sensor's answer that far.
        sim::PtySensorOptions options = testsupport::fastSensorOptions();
        options.echo = row.echo;
        sim::PtySensor sensor(options);
        sim::SensorFaults faults;
        faults.silent = row.silent;
        sensor.setFaults(faults);
        ASSERT_TRUE(sensor.start());
        sensor.setParam(3, 1);
        dut::SerialPort port;
        ASSERT_TRUE(port.open(sensor.devicePath()));
        dut::LinkState state;
        dut::ConfigLink link(port, state);
        for (const Step& step : row.steps) {
            SCOPED_TRACE(std::to_string(step.op) + "/" + std::to_string(step.parameter));
            const auto got =
                link.transact(0, dut::ConfigLink::kAccessCode, step.op, step.parameter, step.value);
            EXPECT_EQ(got.asOptional(), step.expected);
            EXPECT_EQ(state.linkFlag, step.expected.has_value());
            EXPECT_EQ(link.adapterEcho(), step.learnt);
        }
        // What was learnt belongs to the adapter that was open: a reopened line starts afresh.
        port.close();
        ASSERT_TRUE(port.open(sensor.devicePath()));
        // (The clean line's Quiet would otherwise stand.)
        const Step& first = row.steps.front();
        EXPECT_EQ(
            link.transact(0, dut::ConfigLink::kAccessCode, first.op, first.parameter, first.value)
                .asOptional(),
            first.expected);
        EXPECT_EQ(link.adapterEcho(), first.learnt);
    }
}
