// The exchange log's lines: one per frame, the time since the start, the bytes in hex, and
// what became of the frame in words support can read.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "ExchangeLog.h"

namespace {

using dut::FrameTrace;
using dut::FrameVerdict;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(ExchangeLogTest, EachVerdictReadsAsSupportNeedsIt) {
    const Clock::time_point t0{};
    auto read3 = dut::ConfigLink::buildRequest(0, dut::ConfigLink::kAccessCode, 1, 3, 1);
    dut::FrameLine::seal(read3.data(), read3.size());
    auto write4 = dut::ConfigLink::buildRequest(0, dut::ConfigLink::kAccessCode, 2, 4, -5);
    dut::FrameLine::seal(write4.data(), write4.size());
    auto stray = dut::ConfigLink::buildRequest(0, dut::ConfigLink::kAccessCode, 1, 6, 2000);
    dut::FrameLine::seal(stray.data(), stray.size());

    struct Row {
        int atMs;
        bool outgoing;
        const std::uint8_t* bytes;
        std::size_t count;
        FrameVerdict verdict;
        int error;
        std::string ends;
    };
    const std::vector<Row> rows = {
        {0, true, read3.data(), 15, FrameVerdict::Sent, 0, "  read 3"},
        {8, false, read3.data(), 15, FrameVerdict::Echo, 0, "  echo skipped"},
        {17, false, stray.data(), 15, FrameVerdict::Stray, 0,
         "stray: parameter 6 while 3 was asked"},
        {25, false, stray.data(), 15, FrameVerdict::BadCrc, 0, "  bad CRC"},
        {40, false, stray.data(), 14, FrameVerdict::Short, 0, "short: 14 bytes, then silence"},
        {160, false, nullptr, 0, FrameVerdict::Silent, 0, "rx  silence after 160 ms"},
        {1000, true, write4.data(), 15, FrameVerdict::Sent, 0, "  write 4 = -5"},
        {1010, false, write4.data(), 15, FrameVerdict::Good, 0, "  answer"},
        {1200, false, nullptr, 0, FrameVerdict::ReadFailed, 5,
         "read failed: " + std::string(std::strerror(5))},
        {1300, true, write4.data(), 15, FrameVerdict::SendFailed, 0, "write 4 = -5: not sent"},
    };
    dut::ExchangeLog log(t0);
    for (const Row& row : rows) {
        const std::string line = log.line(FrameTrace{t0 + milliseconds(row.atMs), row.outgoing,
                                                     row.bytes, row.count, row.verdict, row.error});
        SCOPED_TRACE(line);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%10.3f", row.atMs / 1000.0);
        EXPECT_EQ(line.rfind(stamp, 0), 0u);
        EXPECT_NE(line.find(row.outgoing ? "  tx  " : "  rx  "), std::string::npos);
        ASSERT_GE(line.size(), row.ends.size());
        EXPECT_EQ(line.substr(line.size() - row.ends.size()), row.ends);
        if (row.count == 15) {
            EXPECT_NE(line.find(row.outgoing ? "00 00 00 00 BB CF 58 00" : "BB CF 58"),
                      std::string::npos);
        }
    }
}

}  // namespace
