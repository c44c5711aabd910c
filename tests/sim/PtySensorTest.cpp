#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "PtySensor.h"
#include "RequestFrame.h"
#include "SimCrc.h"
#include "TestPort.h"

namespace {

using sim::PtySensor;
using sim::PtySensorOptions;
using sim::SimSensor;
using simtest::Clock;
using simtest::TempDir;
using simtest::TestPort;

using testsupport::frameValue;

bool goodFrame(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() == 15 && sim::crc8(bytes.data(), 14) == bytes[14];
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// One request, then a read of up to 15 bytes that only the count or totalMs ends. No
// silence rule here: the sensor's thread may be held up between two bytes on a loaded
// machine, and these tests are about what the sensor says, not about the reader's rules.
simtest::Received askSensor(TestPort& port, const SimSensor::Frame& request, int totalMs = 2000) {
    port.write(request);
    return port.read(15, totalMs, totalMs);
}

// Waits (bounded) until the sensor has heard `count` requests in all.
bool heardRequests(const PtySensor& sensor, std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (sensor.requests().size() < count) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
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
    EXPECT_EQ(frameValue(got.bytes), 1234);
    EXPECT_EQ(got.bytes[9], 7);

    got = askSensor(port, SimSensor::makeRequest(SimSensor::kWrite, 3, 42));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(frameValue(got.bytes), 42);
    EXPECT_EQ(sensor.param(3), 42);

    sensor.setParam(4, 2222);
    got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 4, 0));
    EXPECT_EQ(frameValue(got.bytes), 2222);

    const auto log = sensor.requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], SimSensor::makeRequest(SimSensor::kWrite, 3, 42));
    sensor.clearRequests();
    EXPECT_TRUE(sensor.requests().empty());
}

TEST(PtySensor, PacedAnswerTakesLineTime) {
    using std::chrono::microseconds;
    PtySensor sensor;  // paced by default, no link
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());
    ASSERT_GE(port.fd(), 0);
    // The sensor itself waits its 2 ms turnaround and 15 byte times of 521 us (19200 baud)
    // before the last byte: no complete answer can come sooner, however loaded the machine.
    const microseconds earliest(2000 + 15 * 521);
    // That the bytes also reach a reader spread over that time needs the sensor's thread
    // and this one to get the processor at the right moments, which a loaded machine does
    // not promise for any one answer: it must show in one of several exchanges.
    std::string spreads;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto sent = Clock::now();
        const auto got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 0, 1));
        ASSERT_TRUE(goodFrame(got.bytes));
        EXPECT_GE(std::chrono::duration_cast<microseconds>(got.last - sent).count(),
                  earliest.count());
        const auto spread = std::chrono::duration_cast<microseconds>(got.last - got.first);
        if (spread >= microseconds(4000)) {
            if (attempt > 0) std::cout << "[ info ] earlier spreads (us):" << spreads << "\n";
            return;
        }
        spreads += " " + std::to_string(spread.count());
    }
    GTEST_SKIP() << "no answer reached this reader spread out over 4 ms or more, the sensor's "
                    "thread or this one being held up each time; first to last byte (us):"
                 << spreads;
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
    got = port.read(15, 2000, 2000);
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(frameValue(got.bytes), 200);

    // A request that stops short is forgotten, so the next full one is answered.
    port.write(std::vector<std::uint8_t>(good.begin(), good.begin() + 7));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    got = askSensor(port, SimSensor::makeRequest(SimSensor::kRead, 10, 1));
    ASSERT_TRUE(goodFrame(got.bytes));
    EXPECT_EQ(frameValue(got.bytes), 7);
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
    EXPECT_TRUE(heardRequests(sensor, 1)) << "a silent sensor still hears the request";
    EXPECT_EQ(sensor.requests().size(), 1u);

    faults = {};
    faults.shortAnswers = true;
    sensor.setFaults(faults);
    EXPECT_EQ(askSensor(port, request, 1000).bytes.size(), 14u);

    faults = {};
    faults.lateMs = 100;
    sensor.setFaults(faults);
    const auto sent = Clock::now();
    auto got = askSensor(port, request);
    ASSERT_TRUE(goodFrame(got.bytes));
    // The sensor waits the 100 ms itself.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(got.first - sent).count(), 100);

    faults = {};
    faults.garbage = true;
    sensor.setFaults(faults);
    got = askSensor(port, request);
    ASSERT_TRUE(goodFrame(got.bytes));
    const auto stray = port.read(64, 30, 2000);
    EXPECT_FALSE(stray.bytes.empty()) << "stray bytes must follow the answer";
}

TEST(PtySensor, InjectPutsBytesOnTheLine) {
    PtySensor sensor;
    ASSERT_TRUE(sensor.start());
    TestPort port(sensor.devicePath());
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 0x0D, 0x0A, 0x11, 0x13, 0x7F};
    sensor.inject(bytes);
    EXPECT_EQ(port.read(64, 30, 2000).bytes, bytes) << "no byte may be translated";
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
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
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
    EXPECT_EQ(frameValue(got.bytes), 1);

    sensor.stop();
    EXPECT_FALSE(exists(options.linkPath)) << "stop removes the link";
}

TEST(PtySensor, AnEchoingAdapterRepeatsEachRequestBeforeTheAnswerOrAlone) {
    for (const bool silent : {false, true}) {
        SCOPED_TRACE(silent ? "silent sensor" : "answering sensor");
        PtySensorOptions options;
        options.echo = true;
        options.paced = false;
        PtySensor sensor(options);
        sim::SensorFaults faults;
        faults.silent = silent;
        sensor.setFaults(faults);
        ASSERT_TRUE(sensor.start());
        TestPort port(sensor.devicePath());
        const auto request = SimSensor::makeRequest(SimSensor::kRead, 7, 1);
        port.write(request);
        const auto got = port.read(30, 1000, 3000);
        ASSERT_GE(got.bytes.size(), 15u);
        EXPECT_TRUE(std::equal(request.begin(), request.end(), got.bytes.begin()));
        if (silent) {
            EXPECT_EQ(got.bytes.size(), 15u);
        } else {
            ASSERT_EQ(got.bytes.size(), 30u);
            const std::vector<std::uint8_t> answer(got.bytes.begin() + 15, got.bytes.end());
            EXPECT_TRUE(goodFrame(answer));
            EXPECT_EQ(frameValue(answer), 1234);
        }
    }
}

TEST(PtySensor, ReplugUnderANewNameMovesTheStableLinkWithIt) {
    TempDir dir;
    PtySensorOptions options;
    options.stableLinkPath = dir.file("usb-adapter-if00-port0");
    options.replugNewName = true;
    options.paced = false;
    PtySensor sensor(options);
    ASSERT_TRUE(sensor.start());
    const std::string first = sensor.devicePath();
    auto target = [&] {
        char buffer[256] = {};
        const ssize_t n = ::readlink(options.stableLinkPath.c_str(), buffer, sizeof buffer - 1);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    };
    EXPECT_EQ(target(), first);

    sensor.unplug();
    EXPECT_FALSE(exists(options.stableLinkPath)) << "gone while the adapter is out";
    ASSERT_TRUE(sensor.replug());
    const std::string second = sensor.devicePath();
    EXPECT_NE(second, first);
    EXPECT_EQ(target(), second);
    TestPort port(options.stableLinkPath);
    ASSERT_GE(port.fd(), 0);
    EXPECT_TRUE(goodFrame(askSensor(port, SimSensor::makeRequest(1, 3, 1)).bytes));
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
        EXPECT_EQ(frameValue(read.bytes), 3000);

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
    // Once the request is heard, the sensor waits five seconds to answer; stopping must not
    // wait for that.
    ASSERT_TRUE(heardRequests(sensor, 1));
    const auto before = Clock::now();
    sensor.stop();
    EXPECT_LT(simtest::msSince(before), 2500);
}

}  // namespace
