#pragma once

#include <cstddef>
#include <cstdint>

namespace dut {

// What the protocol and the monitor need from an open line. SerialPort is the real one;
// tests may script a fake to drive retry arithmetic without a device.
class PortIo {
  public:
    virtual ~PortIo() = default;

    virtual bool isOpen() const = 0;
    // Fills in the CRC-8 (last byte) on a copy of the frame, discards stale input, writes.
    virtual bool send(const std::uint8_t* frame, std::size_t count) = 0;
    // One bounded read of count bytes; true only for exactly count bytes with a good CRC-8.
    virtual bool receive(std::uint8_t* buffer, std::size_t count) = 0;
    // The same with its own total bound instead of the one that follows from count: what is
    // left of an attempt that met a stray frame. A line without bounds of its own ignores it.
    virtual bool receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs) {
        (void)totalMs;
        return receive(buffer, count);
    }
    // One bounded plain read; the number of bytes that arrived (0 on failure).
    virtual std::size_t read(std::uint8_t* buffer, std::size_t count) = 0;
};

}  // namespace dut
