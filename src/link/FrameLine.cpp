#include "FrameLine.h"

#include <vector>

#include "Crc8.h"

namespace dut {

void FrameLine::seal(std::uint8_t* frame, std::size_t count) {
    frame[count - 1] = crc8(frame, count - 1);
}

bool FrameLine::sealed(const std::uint8_t* frame, std::size_t count) {
    return count > 0 && frame[count - 1] == crc8(frame, count - 1);
}

bool FrameLine::send(const std::uint8_t* frame, std::size_t count) {
    if (!bytes_.isOpen() || frame == nullptr || count == 0) return false;
    std::vector<std::uint8_t> copy(frame, frame + count);
    seal(copy.data(), count);
    // A late answer to an earlier request must not pass for the answer to this one. A line
    // that refuses to drop its input still gets the request: the answer's checks remain.
    (void)bytes_.flushInput();
    return bytes_.write(copy.data(), copy.size());
}

bool FrameLine::receive(std::uint8_t* buffer, std::size_t count) {
    if (buffer == nullptr || count == 0) return false;
    return checked(buffer, count, bytes_.read(buffer, count));
}

bool FrameLine::receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs) {
    if (buffer == nullptr || count == 0 || totalMs <= 0) return false;
    return checked(buffer, count, bytes_.read(buffer, count, totalMs));
}

bool FrameLine::checked(const std::uint8_t* buffer, std::size_t count, std::size_t got) {
    if (got != count) return false;  // a short read already ended in silence
    if (sealed(buffer, count)) return true;
    // A whole frame with a bad CRC-8 is most often stray bytes in front of an answer: the rest
    // of that answer, and whatever trails it, would arrive after the next attempt's flush and
    // spoil that attempt too.
    bytes_.dropUntilQuiet(kQuietMs);
    return false;
}

}  // namespace dut
