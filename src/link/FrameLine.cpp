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
    return bytes_.read(buffer, count) == count && sealed(buffer, count);
}

bool FrameLine::receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs) {
    if (buffer == nullptr || count == 0 || totalMs <= 0) return false;
    return bytes_.read(buffer, count, totalMs) == count && sealed(buffer, count);
}

}  // namespace dut
