#include "EventLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestPort.h"

namespace {

using simtest::TempDir;

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "<seconds>.<three digits> <event>"
const std::regex kLine(R"(^([0-9]+)\.([0-9]{3}) (.+)$)");

TEST(EventLog, EachEventIsALineWithItsTimeReadableWhileTheLogIsOpen) {
    TempDir dir;
    const std::string path = dir.file("events");
    sim::EventLog log;
    ASSERT_TRUE(log.open(path));
    EXPECT_TRUE(log.isOpen());

    const long long before = nowMs();
    log.write("unplugged");
    log.write("plugged in");
    const long long after = nowMs();

    // Read before the log is closed: a script reads it while the simulator runs.
    const auto lines = linesOf(path);
    ASSERT_EQ(lines.size(), 2u);
    const char* const events[] = {"unplugged", "plugged in"};
    long long previous = before;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, kLine)) << lines[i];
        const long long ms = std::stoll(m[1]) * 1000 + std::stoll(m[2]);
        EXPECT_GE(ms, previous);
        EXPECT_LE(ms, after);
        EXPECT_EQ(m[3], events[i]);
        previous = ms;
    }
}

TEST(EventLog, OpeningAgainStartsANewFile) {
    TempDir dir;
    const std::string path = dir.file("events");
    {
        sim::EventLog first;
        ASSERT_TRUE(first.open(path));
        first.write("from an earlier run");
    }
    sim::EventLog log;
    ASSERT_TRUE(log.open(path));
    log.write("request 01 0A answered");
    const auto lines = linesOf(path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(" request 01 0A answered"), std::string::npos);
}

TEST(EventLog, UnwritablePathAndClosedLogWriteNothing) {
    sim::EventLog log;
    EXPECT_FALSE(log.isOpen());
    log.write("lost");  // no file: nothing happens
    EXPECT_FALSE(log.open("/nonexistent-dir/events"));
    EXPECT_FALSE(log.isOpen());
}

TEST(EventLog, LinesFromTwoThreadsNeverMix) {
    TempDir dir;
    const std::string path = dir.file("events");
    sim::EventLog log;
    ASSERT_TRUE(log.open(path));
    constexpr int kEach = 300;
    const auto writer = [&log](const std::string& event) {
        for (int i = 0; i < kEach; ++i) log.write(event);
    };
    std::thread a(writer, "request 01 00 answered");
    std::thread b(writer, "plugged in");
    a.join();
    b.join();

    int fromA = 0;
    int fromB = 0;
    for (const auto& line : linesOf(path)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
        if (m[3] == "request 01 00 answered") ++fromA;
        if (m[3] == "plugged in") ++fromB;
    }
    EXPECT_EQ(fromA, kEach);
    EXPECT_EQ(fromB, kEach);
}

}  // namespace
