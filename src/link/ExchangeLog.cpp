#include "ExchangeLog.h"

#include <cstdio>
#include <cstring>

namespace dut {

namespace {

constexpr std::size_t kFrameSize = 15;
constexpr std::uint8_t kOpRead = 1;
constexpr std::uint8_t kOpWrite = 2;

std::string hex(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char cell[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
        out += cell;
    }
    return out;
}

long msBetween(std::chrono::steady_clock::time_point from,
               std::chrono::steady_clock::time_point to) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

std::string request(const std::uint8_t* frame, std::size_t count) {
    if (count != kFrameSize) return "request";
    const std::string number = std::to_string(frame[9]);
    if (frame[8] == kOpRead) return "read " + number;
    if (frame[8] == kOpWrite) {
        std::int32_t value = 0;
        std::uint32_t bits = 0;
        for (int i = 3; i >= 0; --i) bits = (bits << 8) | frame[10 + i];
        std::memcpy(&value, &bits, sizeof value);
        return "write " + number + " = " + std::to_string(value);
    }
    return "operation " + std::to_string(frame[8]) + ", parameter " + number;
}

std::string systemError(const char* what, int code) {
    return code != 0 ? std::string(what) + ": " + std::strerror(code) : std::string(what);
}

}  // namespace

std::string ExchangeLog::eventLine(std::chrono::steady_clock::time_point at,
                                   const std::string& text) const {
    char stamp[24];
    const double seconds = std::chrono::duration<double>(at - origin_).count();
    std::snprintf(stamp, sizeof stamp, "%10.3f  --  ", seconds);
    return stamp + text;
}

std::string ExchangeLog::line(const FrameTrace& trace) {
    char stamp[24];
    const double seconds = std::chrono::duration<double>(trace.at - origin_).count();
    std::snprintf(stamp, sizeof stamp, "%10.3f  %s  ", seconds, trace.outgoing ? "tx" : "rx");
    std::string out = stamp;
    out += hex(trace.bytes, trace.count);
    if (trace.count > 0) out += "  ";

    if (trace.outgoing) {
        if (trace.count == kFrameSize) askedParameter_ = trace.bytes[9];
        lastSent_ = trace.at;
        out += request(trace.bytes, trace.count);
        if (trace.verdict == FrameVerdict::SendFailed) {
            out += ": " + systemError("not sent", trace.systemError);
        }
        return out;
    }
    switch (trace.verdict) {
        case FrameVerdict::Good:
            out += "answer";
            break;
        case FrameVerdict::Echo:
            out += "echo skipped";
            break;
        case FrameVerdict::Stray:
            out += "stray: parameter " + std::to_string(trace.bytes[9]) + " while " +
                   std::to_string(askedParameter_) + " was asked";
            break;
        case FrameVerdict::BadCrc:
            out += "bad CRC";
            break;
        case FrameVerdict::Unframed:
            out += "no frame: the line did not fall quiet";
            break;
        case FrameVerdict::Late:
            out += "late answer to an earlier request, dropped";
            break;
        case FrameVerdict::Short:
            out += "short: " + std::to_string(trace.count) + " bytes, then silence";
            break;
        case FrameVerdict::Silent:
            out += "silence after " + std::to_string(msBetween(lastSent_, trace.at)) + " ms";
            break;
        case FrameVerdict::ReadFailed:
            out += systemError("read failed", trace.systemError);
            break;
        case FrameVerdict::Sent:
        case FrameVerdict::SendFailed:
            out += "?";
            break;
    }
    return out;
}

}  // namespace dut
