#pragma once

#include <array>
#include <cstdint>
#include <optional>
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
    // reads on for the rest of its time; when those answers carried their operations too, an
    // answer to a write is no answer to a read. A stray is never taken for the value asked
    // for: an exchange whose every attempt met only strays fails, and the link stops
    // expecting the echo (another sensor may have been put in its place).
    bool echoesParameter() const { return echoes_; }
    bool echoesOperation() const { return echoes_ && echoesOperation_; }

    // Many two-wire RS-485 adapters hear their own transmission: the request comes back,
    // byte for byte and with a good CRC-8, before the answer. A frame that is the request
    // itself is therefore read past, and the adapter is known to echo once another good
    // frame follows the copy within the attempt: from then on exactly one copy of each
    // request is passed over. An adapter is known not to echo once the first attempt of an
    // exchange with nothing owed is answered with no copy in front of the answer: the sensor
    // cannot answer a request before it has heard it, and an echo comes while it is sent.
    // A copy is the answer only where the adapter is known not to echo, or where two
    // attempts of a read heard nothing but their own copies (a sensor whose value equals the
    // request's value field, as a read of address 1 is answered): a late sensor behind an
    // echoing adapter answers by the second attempt. Two reads of different parameters
    // answered only by their own copies are the adapter talking to itself with no sensor
    // behind it. A write answered only by its copy ends its attempts but confirms nothing
    // (ExchangeResult::byOwnCopy): its read-back tells. What is learnt holds until the line
    // is opened anew.
    enum class AdapterEcho { Unknown, Echoes, Quiet };
    AdapterEcho adapterEcho() const { return adapterEcho_; }

    // A sensor that answers later than an attempt waits still answers every request it heard,
    // in turn: attempts that heard no answer leave answers owed. Before the next exchange's
    // request goes out, those are heard out and dropped, until the line has been quiet for
    // kOwedQuietMs (they were lost) — so a late answer to one parameter is never taken for
    // another's. A line that keeps answering earlier requests for kSettleMaxMs fails the
    // exchange without sending it.
    static constexpr int kOwedQuietMs = 300;
    static constexpr int kSettleMaxMs = 2000;
    int owedAnswers() const { return owed_; }

    // How long one attempt reads for its answer: the port's bound for one frame.
    static constexpr int kAttemptReadMs = 10 * static_cast<int>(kFrameSize) + 10;

    LinkState& state() { return state_; }
    PortIo& port() { return port_.bytes(); }

  private:
    FrameLine port_;  // the frames over the line the link was given
    LinkState& state_;
    LineWait& wait_;
    class FailureTally;
    enum class Settled { Clean, Lost, Busy };
    Settled settleOwed(AdapterEcho& echo, FailureTally& tally);

    bool echoes_ = false;
    bool echoesOperation_ = false;
    std::uint8_t firstEchoed_ = 0;  // the first parameter whose number came back, 0: none yet
    bool firstEchoedOperation_ = false;
    AdapterEcho adapterEcho_ = AdapterEcho::Unknown;
    std::uint64_t echoSession_ = 0;
    std::optional<std::uint8_t> loneCopyRead_;  // a read answered only by its own copy
    int owed_ = 0;    // answers the last exchange's attempts may still get
    Frame owedOf_{};  // that exchange's request, as sent
};

}  // namespace dut
