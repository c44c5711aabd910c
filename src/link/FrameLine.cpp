#include "FrameLine.h"

#include <algorithm>
#include <vector>

#include "Crc8.h"

namespace dut {

void FrameLine::seal(std::uint8_t* frame, std::size_t count) {
    frame[count - 1] = crc8(frame, count - 1);
}

bool FrameLine::sealed(const std::uint8_t* frame, std::size_t count) {
    return count > 0 && frame[count - 1] == crc8(frame, count - 1);
}

FrameOutcome FrameLine::send(const std::uint8_t* frame, std::size_t count) {
    if (frame == nullptr || count == 0) return {FrameVerdict::SendFailed};
    std::vector<std::uint8_t> copy(frame, frame + count);
    seal(copy.data(), count);
    FrameOutcome outcome{FrameVerdict::SendFailed};
    if (bytes_.isOpen()) {
        // A late answer to an earlier request must not pass for the answer to this one, nor
        // its tail, run together with the next answer, for a frame. A line that refuses to
        // drop its input still gets the request: the answer's checks remain.
        (void)bytes_.dropStale();
        if (bytes_.lastReadCutOff()) inStep_ = false;  // it never fell quiet
        if (bytes_.write(copy.data(), copy.size())) {
            outcome = {FrameVerdict::Sent};
        } else {
            outcome.systemError = bytes_.callError();
        }
    }
    trace(true, copy.data(), copy.size(), outcome);
    return outcome;
}

FrameOutcome FrameLine::receive(std::uint8_t* buffer, std::size_t count, const Wanted& wanted,
                                const std::uint8_t* echoOf) {
    if (buffer == nullptr || count == 0) return {FrameVerdict::Silent};
    return checked(buffer, count,
                   completed(buffer, count, bytes_.read(buffer, count), kPerByteMs * 16), wanted,
                   echoOf);
}

FrameOutcome FrameLine::receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs,
                                      const Wanted& wanted, const std::uint8_t* echoOf) {
    if (buffer == nullptr || count == 0 || totalMs <= 0) return {FrameVerdict::Silent};
    return checked(buffer, count,
                   completed(buffer, count, bytes_.read(buffer, count, totalMs), totalMs), wanted,
                   echoOf);
}

FrameOutcome FrameLine::receiveLate(std::uint8_t* buffer, std::size_t count, int totalMs,
                                    const std::uint8_t* echoOf) {
    if (buffer == nullptr || count == 0 || totalMs <= 0) return {FrameVerdict::Silent};
    return checked(buffer, count,
                   completed(buffer, count, bytes_.read(buffer, count, totalMs), totalMs), {},
                   echoOf, true);
}

std::size_t FrameLine::completed(std::uint8_t* buffer, std::size_t count, std::size_t got,
                                 int boundMs) {
    // A read that its bound stopped inside a frame leaves the rest of that frame for the next
    // read, which would then start in the middle of it: a frame that began in time is read to
    // its end by the count and the silence rule alone.
    for (int i = 0; i < kMaxCompletions && got > 0 && got < count && bytes_.lastReadCutOff(); ++i) {
        const std::size_t more = bytes_.readOn(buffer + got, count - got);
        if (more == 0) break;
        got += more;
    }
    // A read that ended in silence, or heard nothing for longer than the silence rule, leaves
    // the line where the next byte begins a frame.
    if (got == 0 ? boundMs > kQuietMs : got < count && !bytes_.lastReadCutOff()) inStep_ = true;
    return got;
}

void FrameLine::dropUntilQuiet() {
    bytes_.dropUntilQuiet(kQuietMs);
    inStep_ = !bytes_.lastReadCutOff();
}

FrameOutcome FrameLine::checked(const std::uint8_t* buffer, std::size_t count, std::size_t got,
                                const Wanted& wanted, const std::uint8_t* echoOf, bool late) {
    FrameOutcome outcome{FrameVerdict::Good};
    if (got == 0) {
        const int error = bytes_.callError();
        outcome = {error != 0 ? FrameVerdict::ReadFailed : FrameVerdict::Silent, error};
    } else if (got != count) {
        outcome = {FrameVerdict::Short};  // a short read already ended in silence
    } else if (!inStep_) {
        outcome = {FrameVerdict::Unframed};
    } else if (!sealed(buffer, count)) {
        outcome = {FrameVerdict::BadCrc};
    } else if (echoOf != nullptr && std::equal(buffer, buffer + count, echoOf)) {
        outcome = {FrameVerdict::Echo};
    } else if (late) {
        outcome = {FrameVerdict::Late};
    } else if (wanted && !wanted(buffer)) {
        outcome = {FrameVerdict::Stray};
    }
    trace(false, buffer, got, outcome);
    // A whole frame with a bad CRC-8 is most often stray bytes in front of an answer: the rest
    // of that answer, and whatever trails it, would arrive after the next attempt's flush and
    // spoil that attempt too.
    if (outcome.verdict == FrameVerdict::BadCrc || outcome.verdict == FrameVerdict::Unframed) {
        dropUntilQuiet();
    }
    return outcome;
}

void FrameLine::trace(bool outgoing, const std::uint8_t* bytes, std::size_t count,
                      const FrameOutcome& outcome) const {
    if (!hook_) return;
    hook_(FrameTrace{std::chrono::steady_clock::now(), outgoing, bytes, count, outcome.verdict,
                     outcome.systemError});
}

}  // namespace dut
