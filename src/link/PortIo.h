#pragma once

#include <cstddef>
#include <cstdint>

namespace dut {

// What the protocol and the monitor need from an open line: bytes in and out, nothing more.
// SerialPort is the real one; FrameLine puts the protocol's frames on top, and tests may put a
// fake here to script the line without a device.
class PortIo {
  public:
    virtual ~PortIo() = default;

    virtual bool isOpen() const = 0;
    // Drops whatever input has arrived and not been read. False when the line refused.
    virtual bool flushInput() = 0;
    // Writes all count bytes; false when the line did not take them all.
    virtual bool write(const std::uint8_t* data, std::size_t count) = 0;
    // One bounded read of up to count bytes with the line's own bounds; the number of bytes
    // that arrived (0 on failure or when none came).
    virtual std::size_t read(std::uint8_t* buffer, std::size_t count) = 0;
    // The same with a total bound of the caller's instead of the one that follows from count
    // (0 or less: nothing is read). A line without bounds of its own ignores it.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) {
        if (totalMs <= 0) return 0;
        return read(buffer, count);
    }
    // Reads and drops input until the line has been silent for quietMs, within a bound of its
    // own. A line without a clock has no silence to wait for and leaves its input alone.
    virtual void dropUntilQuiet(int quietMs) { (void)quietMs; }
    // Drops what arrived before a request goes out. Input waiting then is most often the head
    // of a late answer whose rest is still on its way; dropping only the head would let the
    // rest, run together with the next answer, pass for a frame. A line with a clock
    // therefore reads until it falls quiet; without one, what is there is simply dropped.
    virtual bool dropStale() { return flushInput(); }
    // Whether the last read ended at its total bound while bytes were still arriving: some,
    // fewer than asked for, and no silence after them. Such a read stopped inside a frame.
    // Also true after a dropUntilQuiet whose bound ran out before the line fell quiet.
    virtual bool lastReadCutOff() const { return false; }
    // Goes on with the run the last read was cut in: up to count more bytes, ended by the
    // count or by a silence counted from that read's last byte, never waiting for a first
    // byte. A line that keeps no time of its bytes waits the silence from now.
    virtual std::size_t readOn(std::uint8_t* buffer, std::size_t count) {
        return read(buffer, count, 30);
    }
    // Changes each time the line is opened anew. What the link learns of the adapter (that it
    // hears its own requests) holds until then. A line that is never reopened keeps 0.
    virtual std::uint64_t session() const { return 0; }
    // The system's error code of the last flushInput, write or read: 0 when it worked, merely
    // ran out of time, or the line has no system underneath.
    virtual int callError() const { return 0; }
};

}  // namespace dut
