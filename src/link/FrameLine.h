#pragma once

#include <cstddef>
#include <cstdint>

#include "PortIo.h"

namespace dut {

// The protocol's frames over a line that only moves bytes: the last byte of every frame is
// the CRC-8 of the ones before it. The one place where requests are sealed and answers
// checked, whatever the line underneath.
class FrameLine {
  public:
    // The silence that ends a frame on the line.
    static constexpr int kQuietMs = 30;

    explicit FrameLine(PortIo& bytes) : bytes_(bytes) {}

    // Writes the frame with its last byte replaced by the CRC-8 of the rest, after dropping
    // stale input. The caller's frame is left as it was. False when the line is closed or did
    // not take the whole frame.
    bool send(const std::uint8_t* frame, std::size_t count);
    // One bounded read of a frame of count bytes with the line's own bounds: true only when
    // exactly count bytes arrived and the last is the CRC-8 of the rest. After a whole frame
    // that fails the check the line is read until it falls quiet (kQuietMs), so what trails
    // it cannot spoil the next attempt.
    bool receive(std::uint8_t* buffer, std::size_t count);
    // The same within a total of totalMs instead: what is left of an attempt that met a stray
    // frame. False at once when nothing is left (0 or less).
    bool receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs);

    // The CRC-8 as a frame of count bytes carries it in its last byte.
    static void seal(std::uint8_t* frame, std::size_t count);
    static bool sealed(const std::uint8_t* frame, std::size_t count);

    PortIo& bytes() { return bytes_; }

  private:
    bool checked(const std::uint8_t* buffer, std::size_t count, std::size_t got);

    PortIo& bytes_;
};

}  // namespace dut
