#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "ExchangeResult.h"
#include "FrameLine.h"
#include "LineWait.h"
#include "LinkState.h"
#include "PortIo.h"

namespace dut {

// Client side of the sensor's configuration protocol: one 15-byte request, one 15-byte
// answer with a CRC-8, up to 16 attempts.
class ConfigLink {
  public:
    static constexpr std::uint32_t kAccessCode = 5820347;
    static constexpr std::size_t kFrameSize = 15;
    static constexpr int kMaxAttempts = 16;
    static constexpr std::uint8_t kOpRead = 1;
    static constexpr std::uint8_t kOpWrite = 2;
    static constexpr std::int32_t kReadValue = 1;      // value field of an ordinary read
    static constexpr std::int32_t kReadBackValue = 0;  // value field of a read-back after a write

    using Frame = std::array<std::uint8_t, kFrameSize>;

    // The attempts of each exchange run inside `wait`, which may move them off the calling
    // thread; the link state is only ever written on the calling thread.
    ConfigLink(PortIo& port, LinkState& state, LineWait& wait = InlineLineWait::instance())
        : port_(port), state_(state), wait_(wait) {}

    // Builds the request frame (byte 14 left 0 for send to fill in).
    static Frame buildRequest(std::uint32_t leading, std::uint32_t access, std::uint8_t operation,
                              std::uint8_t parameter, std::int32_t value);

    // One exchange with retries: the answer's value, clamped to 0 when negative (the sensor
    // reports no negative quantity), or why 16 attempts found none. The link flag follows
    // the outcome: up after an answer, down after a failure.
    ExchangeResult transact(std::uint32_t leading, std::uint32_t access, std::uint8_t operation,
                            std::uint8_t parameter, std::int32_t value);

    // Shorthands for the two uses every caller makes.
    ExchangeResult read(std::uint8_t parameter, std::int32_t valueField = kReadValue) {
        return transact(0, kAccessCode, kOpRead, parameter, valueField);
    }
    ExchangeResult write(std::uint8_t parameter, std::int32_t value) {
        return transact(0, kAccessCode, kOpWrite, parameter, value);
    }

    // Every frame of every exchange, as FrameLine::setTraceHook.
    void setTraceHook(FrameLine::TraceHook hook) { port_.setTraceHook(std::move(hook)); }

    // A sensor that echoes the parameter number in byte 9 of its answers lets a late answer
    // owed to another request be told apart from the one asked for. Once answers for two
    // different parameters (other than 0) have carried their numbers (the connect sequence
    // reads five), an answer with another number is a stray: it is dropped and the attempt
    // reads on for the rest of its time. A sensor that does not echo stays accepted by its
    // CRC-8 alone, and so does one put in the place of an echoing one: an exchange whose every
    // attempt met only strays takes the last of them and the link stops expecting the echo.
    bool echoesParameter() const { return echoes_; }

    // Many two-wire RS-485 adapters hear their own transmission: the request comes back,
    // byte for byte and with a good CRC-8, before the answer. A frame that is the request
    // itself is therefore read past when another good frame follows it within the attempt,
    // and the adapter is then known to echo: from then on exactly one copy of each request
    // is passed over. A copy with nothing after it stands as the answer, as a sensor may
    // answer a write with the very bytes it was sent, except that two reads of different
    // parameters answered only by their own copies are the adapter talking to itself with no
    // sensor behind it. What is learnt holds until the line is opened anew.
    enum class AdapterEcho { Unknown, Echoes, Quiet };
    AdapterEcho adapterEcho() const { return adapterEcho_; }

    // How long one attempt reads for its answer: the port's bound for one frame.
    static constexpr int kAttemptReadMs = 10 * static_cast<int>(kFrameSize) + 10;

    LinkState& state() { return state_; }
    PortIo& port() { return port_.bytes(); }

  private:
    FrameLine port_;  // the frames over the line the link was given
    LinkState& state_;
    LineWait& wait_;
    bool echoes_ = false;
    std::uint8_t firstEchoed_ = 0;  // the first parameter whose number came back, 0: none yet
    AdapterEcho adapterEcho_ = AdapterEcho::Unknown;
    std::uint64_t echoSession_ = 0;
    std::optional<std::uint8_t> loneCopyRead_;  // a read answered only by its own copy
};

}  // namespace dut
