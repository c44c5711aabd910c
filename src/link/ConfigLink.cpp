#include "ConfigLink.h"

#include <chrono>
#include <optional>

namespace dut {

namespace {

void putLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t getLe32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
    return static_cast<std::int32_t>(value);
}

// What the attempts of a failed exchange met, the worst first: a line that failed outranks
// fragments, fragments outrank frames with a bad CRC-8, those outrank strays, and only
// attempts that heard nothing at all are no answer.
class FailureTally {
  public:
    void note(const FrameOutcome& outcome) {
        switch (outcome.verdict) {
            case FrameVerdict::SendFailed:
            case FrameVerdict::ReadFailed:
                portFailed_ = true;
                if (outcome.systemError != 0) systemError_ = outcome.systemError;
                break;
            case FrameVerdict::Short:
                shortMet_ = true;
                break;
            case FrameVerdict::BadCrc:
                badCrcMet_ = true;
                break;
            case FrameVerdict::Stray:
                strayMet_ = true;
                break;
            default:
                break;
        }
    }

    ExchangeResult failure(int attempts) const {
        ExchangeFailure why = ExchangeFailure::NoAnswer;
        if (portFailed_) {
            why = ExchangeFailure::PortError;
        } else if (shortMet_) {
            why = ExchangeFailure::ShortAnswers;
        } else if (badCrcMet_) {
            why = ExchangeFailure::BadCrcOnly;
        } else if (strayMet_) {
            why = ExchangeFailure::OnlyStrays;
        }
        return ExchangeResult::failed(why, attempts, systemError_);
    }

  private:
    bool portFailed_ = false;
    int systemError_ = 0;  // the last the system gave; 0: the line was not open
    bool shortMet_ = false;
    bool badCrcMet_ = false;
    bool strayMet_ = false;
};

}  // namespace

ConfigLink::Frame ConfigLink::buildRequest(std::uint32_t leading, std::uint32_t access,
                                           std::uint8_t operation, std::uint8_t parameter,
                                           std::int32_t value) {
    Frame frame{};
    putLe32(&frame[0], leading);
    putLe32(&frame[4], access);
    frame[8] = operation;
    frame[9] = parameter;
    putLe32(&frame[10], static_cast<std::uint32_t>(value));
    return frame;
}

ExchangeResult ConfigLink::transact(std::uint32_t leading, std::uint32_t access,
                                    std::uint8_t operation, std::uint8_t parameter,
                                    std::int32_t value) {
    using Clock = std::chrono::steady_clock;
    const Frame request = buildRequest(leading, access, operation, parameter, value);
    Frame sent = request;  // as it goes on the wire, to know its echo
    FrameLine::seal(sent.data(), sent.size());
    if (port_.bytes().session() != echoSession_) {
        echoSession_ = port_.bytes().session();
        adapterEcho_ = AdapterEcho::Unknown;
        loneCopyRead_.reset();
    }

    // Beyond the CRC-8, only the echoed parameter number is compared, and only with a sensor
    // known to echo it.
    FrameLine::Wanted wanted;
    if (echoes_) wanted = [parameter](const std::uint8_t* frame) { return frame[9] == parameter; };
    AdapterEcho echo = adapterEcho_;
    std::optional<std::int32_t> answered;
    std::optional<std::int32_t> lastStray;
    bool echoed = false;
    bool answeredByLoneCopy = false;
    int attempts = 0;
    int attemptsWithOnlyStrays = 0;
    FailureTally tally;
    wait_.run([&] {
        while (attempts < kMaxAttempts && !answered) {
            ++attempts;
            // A failed write needs no handling of its own: the read that follows fails too.
            tally.note(port_.send(request.data(), request.size()));
            const auto readFrom = Clock::now();
            const auto left = [&] {
                const auto spent =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - readFrom);
                return kAttemptReadMs - static_cast<int>(spent.count());
            };
            // Once the adapter is known not to echo, a copy of the request is simply the answer.
            const std::uint8_t* echoOf = echo == AdapterEcho::Quiet ? nullptr : sent.data();
            Frame answer{};
            FrameOutcome got = port_.receive(answer.data(), answer.size(), wanted, echoOf);
            tally.note(got);
            bool loneCopy = false;
            if (got.verdict == FrameVerdict::Echo) {
                got = port_.receiveWithin(answer.data(), answer.size(), left(), wanted);
                tally.note(got);
                const bool followed =
                    got.verdict == FrameVerdict::Good || got.verdict == FrameVerdict::Stray;
                if (followed) {
                    echo = AdapterEcho::Echoes;
                } else if (echo != AdapterEcho::Echoes) {
                    answer = sent;  // nothing followed the copy: it stands as the answer
                    got = {FrameVerdict::Good};
                    loneCopy = true;
                }
            }
            if (got && loneCopy && operation == kOpRead && echo == AdapterEcho::Unknown &&
                loneCopyRead_ && *loneCopyRead_ != parameter) {
                got = {FrameVerdict::Echo};  // the adapter talking to itself, no sensor behind
                echo = AdapterEcho::Echoes;
            }
            bool strayMet = false;
            while (got.verdict == FrameVerdict::Stray) {
                strayMet = true;
                lastStray = getLe32(&answer[10]);
                if (left() <= 0) break;
                got = port_.receiveWithin(answer.data(), answer.size(), left(), wanted);
                tally.note(got);
            }
            if (got) {
                answered = getLe32(&answer[10]);
                echoed = answer[9] == parameter;
                answeredByLoneCopy = loneCopy;
            } else if (strayMet) {
                ++attemptsWithOnlyStrays;
            }
        }
    });

    if (answered && !answeredByLoneCopy && echo == AdapterEcho::Unknown) {
        echo = AdapterEcho::Quiet;  // an answer with no copy of the request in front of it
    }
    if (answeredByLoneCopy && operation == kOpRead && echo == AdapterEcho::Unknown) {
        loneCopyRead_ = parameter;
    }
    adapterEcho_ = echo;
    if (!answered && attemptsWithOnlyStrays == kMaxAttempts) {
        // Every attempt was answered, never with the number asked for: no longer a sensor
        // that echoes.
        echoes_ = false;
        firstEchoed_ = 0;
        answered = lastStray;
    }
    if (answered && echoed && parameter != 0 && !echoes_) {
        if (firstEchoed_ != 0 && firstEchoed_ != parameter) echoes_ = true;
        if (firstEchoed_ == 0) firstEchoed_ = parameter;
    }
    const ExchangeResult result =
        answered ? ExchangeResult::answered(*answered < 0 ? 0 : *answered, attempts)
                 : tally.failure(attempts);
    state_.linkFlag = result.has_value();
    return result;
}

}  // namespace dut
