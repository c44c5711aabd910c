#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "FrameLine.h"

namespace dut {

// Turns the frames of the exchanges into plain text for support, one line a frame:
//   "   12.345  tx  00 00 00 00 BB CF 58 00 01 03 01 00 00 00 57  read 3"
//   "   12.362  rx  00 00 00 00 BB CF 58 00 01 03 07 00 00 00 5E  answer"
// with the time in seconds since the origin. Fed from the thread that does the exchanges;
// not thread-safe itself.
class ExchangeLog {
  public:
    explicit ExchangeLog(std::chrono::steady_clock::time_point origin) : origin_(origin) {}

    std::string line(const FrameTrace& trace);
    // An event of the line itself between the frames, on the same time scale:
    //   "   12.400  --  port /dev/ttyUSB0 opened"
    std::string eventLine(std::chrono::steady_clock::time_point at, const std::string& text) const;

  private:
    std::chrono::steady_clock::time_point origin_;
    std::chrono::steady_clock::time_point lastSent_{};
    int askedParameter_ = -1;  // of the last request sent
};

}  // namespace dut
