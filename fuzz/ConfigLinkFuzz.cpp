// The receive path of the configuration protocol on arbitrary line traffic. Input: a list of
// exchanges. Each starts with an operation byte (bit 7: first overwrite the last value with
// the next four bytes, as callers may), the parameter and four value bytes; then, for every
// request written, one burst of answer bytes: a length byte (bits 0..4; bit 7 seals the
// burst's first 15 bytes with a good CRC-8, to reach the accepting code often) and the bytes.
//
// The fake sits behind the narrowest interface the link needs from a line, write and read
// of raw bytes; LinePort only forwards, so the link's own framing fills in and checks the
// CRC-8 of every frame.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "ConfigLink.h"
#include "FuzzCheck.h"
#include "InputReader.h"
#include "LinkState.h"
#include "PortIo.h"
#include "ReferenceCrc8.h"

namespace {

using dut::ConfigLink;

constexpr std::size_t kFrame = ConfigLink::kFrameSize;
constexpr std::size_t kMaxBurst = 0x1F;
constexpr int kMaxExchanges = 8;

// What one attempt put on the wire and what came back to the reader.
struct Attempt {
    std::array<std::uint8_t, kFrame> written{};
    std::array<std::uint8_t, kMaxBurst> delivered{};
    std::size_t deliveredCount = 0;
};

// The sensor's end of the wire as the fuzzer plays it. Writing a request brings the next
// burst onto the line and drops whatever was left of the last one; reads take from that
// burst only. Keeps the attempts of the current exchange (fixed storage: no allocation per
// attempt keeps the runs fast).
class FuzzedLine {
  public:
    explicit FuzzedLine(fuzz::InputReader& input) : input_(input) {}

    void beginExchange() { attemptCount_ = 0; }
    std::size_t attemptCount() const { return attemptCount_; }
    const Attempt& attempt(std::size_t i) const { return attempts_[i]; }

    bool write(const std::uint8_t* bytes, std::size_t count) {
        FUZZ_CHECK(bytes != nullptr && count == kFrame);
        FUZZ_CHECK(attemptCount_ < attempts_.size());  // never more than 16 attempts
        Attempt& attempt = attempts_[attemptCount_++];
        std::copy_n(bytes, kFrame, attempt.written.begin());
        attempt.deliveredCount = 0;

        const std::uint8_t header = input_.byte();
        burstSize_ = input_.take(burst_.data(), header & kMaxBurst);
        if ((header & 0x80) && burstSize_ >= kFrame) {
            burst_[kFrame - 1] = fuzz::referenceCrc8(burst_.data(), kFrame - 1);
        }
        unread_ = 0;
        return true;
    }

    std::size_t read(std::uint8_t* buffer, std::size_t count) {
        // Before the exchange's first request the line is quiet: answers still owed to the
        // exchange before are heard out there, and this line has none left.
        if (attemptCount_ == 0) return 0;
        Attempt& attempt = attempts_[attemptCount_ - 1];
        const std::size_t n = std::min(count, burstSize_ - unread_);
        std::copy_n(burst_.begin() + static_cast<long>(unread_), n, buffer);
        std::copy_n(buffer, n,
                    attempt.delivered.begin() + static_cast<long>(attempt.deliveredCount));
        unread_ += n;
        attempt.deliveredCount += n;
        return n;
    }

  private:
    fuzz::InputReader& input_;
    std::array<Attempt, ConfigLink::kMaxAttempts> attempts_;
    std::size_t attemptCount_ = 0;
    std::array<std::uint8_t, kMaxBurst> burst_{};
    std::size_t burstSize_ = 0;
    std::size_t unread_ = 0;
};

class LinePort : public dut::PortIo {
  public:
    explicit LinePort(FuzzedLine& line) : line_(line) {}

    bool isOpen() const override { return true; }
    // The next write brings a new burst and drops what was left of the last one.
    bool flushInput() override { return true; }
    bool write(const std::uint8_t* data, std::size_t count) override {
        return line_.write(data, count);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        FUZZ_CHECK(buffer != nullptr && count == kFrame);
        return line_.read(buffer, count);
    }

  private:
    FuzzedLine& line_;
};

std::int32_t le32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 |
                                     std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24);
}

// Every attempt writes the same request: zero leading word, the access code, the fields
// asked for, and a good CRC-8.
void checkRequest(const Attempt& attempt, std::uint8_t operation, std::uint8_t parameter,
                  std::int32_t value) {
    const std::uint8_t* w = attempt.written.data();
    FUZZ_CHECK(le32(&w[0]) == 0);
    FUZZ_CHECK(static_cast<std::uint32_t>(le32(&w[4])) == ConfigLink::kAccessCode);
    FUZZ_CHECK(w[8] == operation && w[9] == parameter);
    FUZZ_CHECK(le32(&w[10]) == value);
    FUZZ_CHECK(fuzz::referenceCrcOk(w, kFrame));
}

// What the exchange must come to, worked out from the bytes the line delivered. A frame that
// is the request itself is the adapter's echo while the adapter is not known to be quiet; a
// good frame after it makes the adapter known to echo. A copy with nothing after it is taken
// only for a write (confirming nothing) or for the second such attempt of a read, and two
// reads of different parameters answered only so are the adapter talking to itself. An
// answer on the first attempt with no copy in front makes the adapter known to be quiet.
// With the parameter echo, a good frame that carries another parameter number is passed
// over and the attempt reads on; an exchange whose every attempt met only such frames fails
// and forgets the echo.
using AdapterEcho = ConfigLink::AdapterEcho;

struct Expected {
    std::size_t attempts = 0;
    std::optional<std::int32_t> value;
    bool echoLost = false;
};

struct EchoModel {
    AdapterEcho echo = AdapterEcho::Unknown;
    std::optional<std::uint8_t> loneCopyRead;
};

Expected expectedOutcome(const FuzzedLine& line, bool strict, bool strictOperation,
                         std::uint8_t operation, std::uint8_t parameter, std::int32_t value,
                         EchoModel& model) {
    enum class Got { Good, Copy, Bad, Short, Silent };
    Expected out;
    int attemptsWithOnlyStrays = 0;
    int loneCopies = 0;
    AdapterEcho echo = model.echo;
    bool byLoneCopy = false;
    const bool ordinaryRead = operation == ConfigLink::kOpRead && value == ConfigLink::kReadValue;
    for (std::size_t i = 0; i < line.attemptCount() && !out.value; ++i) {
        const Attempt& attempt = line.attempt(i);
        out.attempts = i + 1;
        std::size_t at = 0;
        const std::uint8_t* frame = nullptr;
        const auto next = [&](bool copies) {
            if (at == attempt.deliveredCount) return Got::Silent;
            if (at + kFrame > attempt.deliveredCount) return Got::Short;
            frame = &attempt.delivered[at];
            at += kFrame;
            if (!fuzz::referenceCrcOk(frame, kFrame)) return Got::Bad;
            if (copies && std::equal(frame, frame + kFrame, attempt.written.begin())) {
                return Got::Copy;
            }
            return Got::Good;
        };
        Got got = next(echo != AdapterEcho::Quiet);
        bool copySeen = false;
        bool strayMet = false;
        for (;;) {
            if (got == Got::Copy) {
                copySeen = true;
            } else if (got == Got::Good && strict &&
                       (frame[9] != parameter || (strictOperation && frame[8] != operation))) {
                strayMet = true;
                if (copySeen) echo = AdapterEcho::Echoes;
            } else {
                break;
            }
            got = next(false);
        }
        if (got == Got::Good) {
            if (copySeen) {
                echo = AdapterEcho::Echoes;
            } else if (i == 0 && echo == AdapterEcho::Unknown) {
                echo = AdapterEcho::Quiet;
            }
            out.value = le32(&frame[10]);
        } else if (copySeen && !strayMet && got == Got::Silent && echo == AdapterEcho::Unknown) {
            if (ordinaryRead && model.loneCopyRead && *model.loneCopyRead != parameter) {
                echo = AdapterEcho::Echoes;
            } else if (operation == ConfigLink::kOpWrite ||
                       (operation == ConfigLink::kOpRead && ++loneCopies >= 2)) {
                out.value = le32(&attempt.written[10]);
                byLoneCopy = true;
            }
        }
        if (!out.value && strayMet) ++attemptsWithOnlyStrays;
    }
    if (byLoneCopy && ordinaryRead && echo == AdapterEcho::Unknown) model.loneCopyRead = parameter;
    model.echo = echo;
    if (!out.value && out.attempts > 0 &&
        attemptsWithOnlyStrays == static_cast<int>(out.attempts)) {
        out.echoLost = true;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    FuzzedLine line(input);
    LinePort port(line);
    dut::LinkState state;
    ConfigLink link(port, state);
    bool strict = link.echoesParameter();
    bool strictOperation = link.echoesOperation();
    EchoModel model;

    for (int exchange = 0; exchange < kMaxExchanges && !input.empty(); ++exchange) {
        const std::uint8_t operation = input.byte();
        const std::uint8_t parameter = input.byte();
        const auto value = static_cast<std::int32_t>(input.le32());
        line.beginExchange();

        const std::optional<std::int32_t> answer =
            link.transact(0, ConfigLink::kAccessCode, operation, parameter, value);
        const bool ok = answer.has_value();

        const std::size_t attempts = line.attemptCount();
        FUZZ_CHECK(attempts >= 1);
        const Expected expected =
            expectedOutcome(line, strict, strictOperation, operation, parameter, value, model);
        for (std::size_t i = 0; i < attempts; ++i) {
            checkRequest(line.attempt(i), operation, parameter, value);
        }
        FUZZ_CHECK(attempts == expected.attempts);
        FUZZ_CHECK(ok == expected.value.has_value());
        FUZZ_CHECK(state.linkFlag == ok);
        FUZZ_CHECK(ok || attempts == static_cast<std::size_t>(ConfigLink::kMaxAttempts));
        // The value comes from the accepted frame alone, never below 0.
        FUZZ_CHECK(!ok || *answer == std::max(*expected.value, 0));
        if (expected.echoLost) FUZZ_CHECK(!link.echoesParameter());
        FUZZ_CHECK(link.adapterEcho() == model.echo);
        strict = link.echoesParameter();
        strictOperation = link.echoesOperation();
    }
    return 0;
}
