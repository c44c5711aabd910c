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

}  // namespace

// What the attempts of a failed exchange met, the worst first: a line that failed outranks
// fragments, fragments outrank frames with a bad CRC-8, those outrank strays, and only
// attempts that heard nothing at all are no answer.
class ConfigLink::FailureTally {
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
            case FrameVerdict::Unframed:
                badCrcMet_ = true;
                break;
            case FrameVerdict::Stray:
            case FrameVerdict::Late:
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

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point until) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
}

// A frame, damaged or not, or a fragment: what a sensor sends once for each request it heard.
bool heardAnswer(FrameVerdict verdict) {
    return verdict == FrameVerdict::Good || verdict == FrameVerdict::Stray ||
           verdict == FrameVerdict::Late || verdict == FrameVerdict::BadCrc ||
           verdict == FrameVerdict::Short || verdict == FrameVerdict::Unframed;
}

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

ConfigLink::Settled ConfigLink::settleOwed(AdapterEcho& echo, FailureTally& tally) {
    if (owed_ <= 0) return Settled::Clean;
    const auto until = Clock::now() + std::chrono::milliseconds(kSettleMaxMs);
    Frame frame{};
    bool copySeen = false;
    while (owed_ > 0) {
        const int left = msLeft(until);
        if (left <= 0) return Settled::Busy;
        const int wait = left < kOwedQuietMs ? left : kOwedQuietMs;
        const std::uint8_t* echoOf = echo == AdapterEcho::Quiet ? nullptr : owedOf_.data();
        const FrameOutcome got = port_.receiveLate(frame.data(), frame.size(), wait, echoOf);
        tally.note(got);
        if (got.verdict == FrameVerdict::Echo) {
            copySeen = true;
            continue;
        }
        if (heardAnswer(got.verdict)) {
            if (copySeen && got.verdict != FrameVerdict::Short) echo = AdapterEcho::Echoes;
            copySeen = false;
            --owed_;
            continue;
        }
        if (got.verdict == FrameVerdict::Silent && wait < kOwedQuietMs) return Settled::Busy;
        owed_ = 0;  // quiet for long enough, or a line that failed: the rest are lost
        return Settled::Lost;
    }
    return Settled::Clean;
}

ExchangeResult ConfigLink::transact(std::uint32_t leading, std::uint32_t access,
                                    std::uint8_t operation, std::uint8_t parameter,
                                    std::int32_t value) {
    const Frame request = buildRequest(leading, access, operation, parameter, value);
    Frame sent = request;  // as it goes on the wire, to know its echo
    FrameLine::seal(sent.data(), sent.size());
    if (port_.bytes().session() != echoSession_) {
        echoSession_ = port_.bytes().session();
        adapterEcho_ = AdapterEcho::Unknown;
        loneCopyRead_.reset();
        owed_ = 0;
    }

    // Beyond the CRC-8, only the echoed parameter number (and operation) is compared, and only
    // with a sensor known to echo them.
    FrameLine::Wanted wanted;
    if (echoes_) {
        const bool withOperation = echoesOperation_;
        wanted = [parameter, operation, withOperation](const std::uint8_t* frame) {
            return frame[9] == parameter && (!withOperation || frame[8] == operation);
        };
    }
    const bool ordinaryRead = operation == kOpRead && value == kReadValue;
    AdapterEcho echo = adapterEcho_;
    std::optional<std::int32_t> answered;
    bool echoed = false;
    bool operationEchoed = false;
    bool answeredByLoneCopy = false;
    int attempts = 0;
    int attemptsWithOnlyStrays = 0;
    int sentCount = 0;
    int heard = 0;  // answers heard, taken or not: what the attempts sent is owed less these
    int loneCopies = 0;
    Settled settled = Settled::Clean;
    FailureTally tally;
    wait_.run([&] {
        settled = settleOwed(echo, tally);
        if (settled == Settled::Busy) return;  // the line still answers earlier requests
        while (attempts < kMaxAttempts && !answered) {
            ++attempts;
            // A failed write needs no handling of its own: the read that follows fails too.
            const FrameOutcome out = port_.send(request.data(), request.size());
            tally.note(out);
            if (out) ++sentCount;
            const auto until = Clock::now() + std::chrono::milliseconds(kAttemptReadMs);
            // Once the adapter is known not to echo, a copy of the request is simply the answer.
            const std::uint8_t* echoOf = echo == AdapterEcho::Quiet ? nullptr : sent.data();
            Frame answer{};
            FrameOutcome got = port_.receive(answer.data(), answer.size(), wanted, echoOf);
            tally.note(got);
            bool copySeen = false;
            bool strayMet = false;
            for (;;) {
                if (got.verdict == FrameVerdict::Echo) {
                    copySeen = true;
                } else if (got.verdict == FrameVerdict::Stray) {
                    strayMet = true;
                } else {
                    break;
                }
                if (heardAnswer(got.verdict)) ++heard;
                if (got.verdict == FrameVerdict::Stray && copySeen) echo = AdapterEcho::Echoes;
                got = port_.receiveWithin(answer.data(), answer.size(), msLeft(until), wanted);
                tally.note(got);
            }
            if (heardAnswer(got.verdict)) ++heard;
            if (got.verdict == FrameVerdict::Good) {
                if (copySeen) {
                    echo = AdapterEcho::Echoes;
                } else if (attempts == 1 && echo == AdapterEcho::Unknown) {
                    // Nothing owed is still on its way (the settling saw to that): the answer
                    // to this very request came with no copy in front of it.
                    echo = AdapterEcho::Quiet;
                }
                answered = getLe32(&answer[10]);
                echoed = answer[9] == parameter;
                operationEchoed = answer[8] == operation;
            } else if (copySeen && !strayMet && got.verdict == FrameVerdict::Silent &&
                       echo == AdapterEcho::Unknown) {
                // Nothing but the request's own copy came back.
                if (ordinaryRead && loneCopyRead_ && *loneCopyRead_ != parameter) {
                    echo = AdapterEcho::Echoes;  // the adapter talking to itself, no sensor behind
                } else if (operation == kOpWrite || (operation == kOpRead && ++loneCopies >= 2)) {
                    // A write's copy and its answer carry the same bytes: the read-back is
                    // what tells whether the sensor took the value.
                    // Not counted as heard: if they were the adapter's, the sensor's answers
                    // are still owed and are heard out before the next request.
                    answered = getLe32(&sent[10]);
                    answeredByLoneCopy = true;
                }
            }
            if (!answered && strayMet) ++attemptsWithOnlyStrays;
        }
    });

    if (answeredByLoneCopy && ordinaryRead && echo == AdapterEcho::Unknown) {
        loneCopyRead_ = parameter;
    }
    adapterEcho_ = echo;
    if (settled != Settled::Busy) {  // a busy line keeps what the settling left owed
        owed_ = sentCount > heard ? sentCount - heard : 0;
        owedOf_ = sent;
    }
    if (!answered && attempts > 0 && attemptsWithOnlyStrays == attempts) {
        // Every attempt was answered, never with the number asked for: no longer a sensor
        // that echoes. The exchange still fails: a stray is another request's value.
        echoes_ = false;
        echoesOperation_ = false;
        firstEchoed_ = 0;
    }
    if (answered && echoed && parameter != 0 && !echoes_ && !answeredByLoneCopy) {
        if (firstEchoed_ != 0 && firstEchoed_ != parameter) {
            echoes_ = true;
            echoesOperation_ = firstEchoedOperation_ && operationEchoed;
        }
        if (firstEchoed_ == 0) {
            firstEchoed_ = parameter;
            firstEchoedOperation_ = operationEchoed;
        }
    }
    const std::int32_t clamped = answered && *answered < 0 ? 0 : answered.value_or(0);
    const ExchangeResult result = !answered ? tally.failure(attempts)
                                  : answeredByLoneCopy && operation == kOpWrite
                                      ? ExchangeResult::answeredByOwnCopy(clamped, attempts)
                                      : ExchangeResult::answered(clamped, attempts);
    state_.linkFlag = result.has_value();
    return result;
}

}  // namespace dut
