#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <thread>

#include "PtySensor.h"
#include "SimCrc.h"
#include "TestPort.h"

namespace {

using sim::PtySensor;
using sim::PtySensorOptions;
using sim::SimSensor;
using simtest::Clock;
using simtest::TempDir;
using simtest::TestPort;

std::int32_t valueIn(const std::vector<std::uint8_t>& answer) {
    return static_cast<std::int32_t>(std::uint32_t{answer[10]} | std::uint32_t{answer[11]} << 8 |
                                     std::uint32_t{answer[12]} << 16 |
                                     std::uint32_t{answer[13]} << 24);
}

bool goodFrame(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() == 15 && sim::crc8(bytes.data(), 14) == bytes[14];
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The product's exchange: one request, then one bounded 15-byte read.
simtest::Received askSensor(TestPort& port, const SimSensor::Frame& request, int totalMs = 300) {
    port.write(request);
    return port.read(15, 30, totalMs);
}

TEST(PtySensor, AnswersReadsAndWritesOverTheLine) {
    TempDir dir;
    PtySensorOptions options;
    options.linkPath = dir.file("sensor");
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    EXPECT_EQ(sensor.devicePath(), options.linkPath);
    TestPort port;
    ASSERT_TRUE(port.open(sensor.devicePath()));

    auto got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 7, 1));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(valueIn(got.bytes), 1234);
    EXPECT_EQ(got.bytes[9], 7);

    got = askSensor(port, SimSensor::makeRequest(SimSensor::kWrite, 3, 42));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(valueIn(got.bytes), 42);
    EXPECT_EQ(sensor.param(3), 42);

    sensor.setParam(4, 2222);
    got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 4, 0));
    EXPECT_EQ(valueIn(got.bytes), 2222);

    const auto log = sensor.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], SimSensor::makeRequest(SimSensor::kWrite, 3, 42));
    sensor.clearRequests();
    EXPECT_TRUE(sensor.requests().empty());
}

TEST(PtySensor, PacedAnswerTakesLineTime) {
    PtySensor sensor;  // paced by default, no link
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());
    ASSERT_GE(port.fd(), 0);
    const auto sent = Clock::now();
    const auto got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 0, 1));
    ASSERT_TRUE(goodFrame(got.bytes));
    // 15 bytes at 19200 baud are 7.8 ms on the wire; allow a wide margin below that.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(got.last - sent).count(), 5);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::microseconds>(got.last - got.first).count(),
              4000);
}

TEST(PtySensor, IgnoresDamagedRequestsAndResynchronises) {
    PtySensorOptions options;
    options.paced = false;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());

    auto bad = SimSensor::makeRequest(SimSensor::kRead, 4, 1);
    bad[14] ^= 0xFF;
    auto got = askSensor(port, bad, 120);
    EXPECT_TRUE(got.bytes.empty());
    EXPECT_TRUE(sensor.requests().empty());

    // Stray bytes glued in front of a good request must not hide it.
    const auto good = SimSensor::makeRequest(SimSensor::kRead, 5, 1);
    std::vector<std::uint8_t> line = {0x55, 0x00, 0xFF};
    line.insert(line.end(), good.begin(), good.end());
    port.write(line);
    got = port.read(15, 30, 300);
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(valueIn(got.bytes), 200);

    // A request that stops short is forgotten, so the next full one is answered.
    port.write(std::vector<std::uint8_t>(good.begin(), good.begin() + 7));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 10, 1));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(valueIn(got.bytes), 7);
}

TEST(PtySensor, FaultsReachTheLine) {
    PtySensorOptions options;
    options.paced = false;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());
    const auto request = SimSensor::makeRequest(SimSensor::kRead, 4, 1);

    sim::SensorFaults faults;
    faults.silent = true;
    sensor.setFaults(faults);
    EXPECT_TRUE(sensor.faults().silent);
    EXPECT_TRUE(askSensor(port, request, 100).bytes.empty());
    EXPECT_EQ(sensor.requests().size(), 1u) << "a silent sensor still hears the request";

    faults = {};
    faults.shortAnswers = true;
    sensor.setFaults(faults);
    EXPECT_EQ(askSensor(port, request, 150).bytes.size(), 14u);

    faults = {};
    faults.lateMs = 100;
    sensor.setFaults(faults);
    const auto sent = Clock::now();
    auto got = askSensor(port, request, 400);
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(got.first - sent).count(), 80);

    faults = {};
    faults.garbage = true;
    sensor.setFaults(faults);
    got = askSensor(port, request);
    ASSERT_TRUE(goodFrame(got.bytes));
    const auto stray = port.read(64, 30, 200);
    EXPECT_FALSE(stray.bytes.empty()) << "stray bytes must follow the answer";
}

TEST(PtySensor, InjectPutsBytesOnTheLine) {
    PtySensor sensor;
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 0x0D, 0x0A, 0x11, 0x13, 0x7F};
    sensor.inject(bytes);
    EXPECT_EQ(port.read(64, 30, 300).bytes, bytes) << "no byte may be translated";
}

TEST(PtySensor, UnplugHangsUpAndReplugComesBackAtTheSamePath) {
    TempDir dir;
    PtySensorOptions options;
    options.linkPath = dir.file("adapter");
    options.paced = false;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    TestPort port(options.linkPath);
    ASSERT_GE(port.fd(), 0);
    ASSERT_TRUE(goodFrame(askSensor(port, SimSensor::makeRequest(1, 3, 1)).bytes));

    sensor.unplug();
    EXPECT_FALSE(sensor.plugged());
    EXPECT_FALSE(exists(options.linkPath));
    pollfd pfd{port.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 500), 1);
    EXPECT_NE(pfd.revents & (POLLHUP | POLLERR), 0);
    const auto request = SimSensor::makeRequest(1, 3, 1);
    errno = 0;
    EXPECT_EQ(::write(port.fd(), request.data(), request.size()), -1);
    EXPECT_EQ(errno, EIO);

    ASSERT_TRUE(sensor.replug());
    EXPECT_TRUE(exists(options.linkPath));
    EXPECT_EQ(sensor.devicePath(), options.linkPath);
    TestPort again(options.linkPath);
    ASSERT_GE(again.fd(), 0);
    const auto got = askSensor(again, SimSensor::makeRequest(1, 3, 1));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(valueIn(got.bytes), 1);

    sensor.stop();
    EXPECT_FALSE(exists(options.linkPath)) << "stop removes the link";
}

TEST(PtySensor, UnplugOnWritePullsTheAdapterInsteadOfTakingTheWrite) {
    TempDir dir;
    PtySensorOptions options;
    options.linkPath = dir.file("adapter");
    options.paced = false;
    options.unplugOnWrite = true;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    for (int round = 0; round < 2; ++round) {
        TestPort port(options.linkPath);
        ASSERT_GE(port.fd(), 0) << "round " << round;
        const auto read = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 4, 1));
        ASSERT_TRUE(goodFrame(read.bytes)) << "reads are answered, round " << round;
        EXPECT_EQ(valueIn(read.bytes), 3000);

        const auto write = askSensor(port, SimSensor::makeRequest(SimSensor::kWrite, 4, 1111));
        EXPECT_TRUE(write.bytes.empty()) << "round " << round;
        EXPECT_FALSE(sensor.plugged());
        EXPECT_FALSE(exists(options.linkPath));
        EXPECT_EQ(sensor.param(4), 3000) << "the write never reached the sensor";
        EXPECT_EQ(sensor.requests().back()[8], SimSensor::kWrite);
        ASSERT_TRUE(sensor.replug());
    }
}

TEST(PtySensor, ClosingThePortDoesNotUnplug) {
    PtySensorOptions options;
    options.paced = false;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    for (int round = 0; round < 3; ++round) {
        TestPort port(sensor.devicePath());
        ASSERT_GE(port.fd(), 0);
        ASSERT_TRUE(goodFrame(askSensor(port, SimSensor::makeRequest(1, 10, 1)).bytes))
            << "round " << round;
    }
}

TEST(PtySensor, LinkPathNeverReplacesARealFile) {
    TempDir dir;
    PtySensorOptions options;
    options.linkPath = dir.file("taken");
    { std::ofstream(options.linkPath) << "keep me"; }
    PtySensor sensor(options);
    EXPECT_FALSE(sensor.start());
    std::ifstream in(options.linkPath);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
}

TEST(PtySensor, ReplacesAStaleLinkAndStopsPromptly) {
    TempDir dir;
    PtySensorOptions options;
    options.linkPath = dir.file("stale");
    ASSERT_EQ(::symlink("/nonexistent/tty", options.linkPath.c_str()), 0);
    options.turnaroundMs = 2;
    sim::SensorFaults faults;
    faults.lateMs = 5000;
    PtySensor sensor(options);
    sensor.setFaults(faults);
    ASSERT_TRUE(sensor.start());
    TestPort port(options.linkPath);
    ASSERT_GE(port.fd(), 0);
    port.write(SimSensor::makeRequest(1, 3, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // The sensor now waits five seconds to answer; stopping must not wait for that.
    const auto before = Clock::now();
    sensor.stop();
    EXPECT_LT(simtest::msSince(before), 1000);
}

}  // namespace
