#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

#include "PortIo.h"

namespace dut {

// What became of one frame on the line.
enum class FrameVerdict {
    Sent,        // the line took the whole frame
    SendFailed,  // closed line, or the line did not take it all
    Good,        // a whole frame with a good CRC-8, and the one wanted
    Stray,       // a whole frame with a good CRC-8 that the caller did not want
    Echo,        // a whole frame that is, byte for byte, the request just sent
    Late,        // a whole frame with a good CRC-8, heard out as owed to an earlier request
    Unframed,    // fifteen bytes of a run that never fell quiet since the line was out of step
    BadCrc,      // a whole frame whose last byte is not the CRC-8 of the rest
    Short,       // fewer bytes than a frame before the line fell silent
    Silent,      // nothing arrived
    ReadFailed,  // the line failed while it was read
};

// One frame as it went out or came in, for whoever watches the line. The bytes are only
// valid during the call.
struct FrameTrace {
    std::chrono::steady_clock::time_point at;  // when the send or the read ended
    bool outgoing;
    const std::uint8_t* bytes;  // as on the line: a sent frame with its CRC-8 filled in
    std::size_t count;          // 0 for silence or a failed read
    FrameVerdict verdict;
    int systemError;  // the line's system error code for SendFailed/ReadFailed, else 0
};

// A send or receive: its verdict, and the system's error code where the line failed.
struct FrameOutcome {
    FrameVerdict verdict;
    int systemError = 0;
    explicit operator bool() const {
        return verdict == FrameVerdict::Sent || verdict == FrameVerdict::Good;
    }
};

// The protocol's frames over a line that only moves bytes: the last byte of every frame is
// the CRC-8 of the ones before it. The one place where requests are sealed and answers
// checked, whatever the line underneath.
class FrameLine {
  public:
    // The silence that ends a frame on the line.
    static constexpr int kQuietMs = 30;
    // Where frames begin on the line: the first byte after a request went out or after a
    // silence of kQuietMs, and every frame's length after such a byte. No read starts
    // anywhere else: a frame that its read's bound cut is read to its end, input that
    // waits when a request goes out is read until the line falls quiet, and a frame that
    // failed its CRC-8 is followed by a wait for quiet. Bytes that do not fill a frame from
    // where one begins are a fragment (Short), never part of the next frame. A line that did
    // not fall quiet within the bounded wait is out of step: what is read from it is
    // Unframed until a read ends in silence.

    using TraceHook = std::function<void(const FrameTrace&)>;
    // Whether a whole frame with a good CRC-8 is the one the caller waits for.
    using Wanted = std::function<bool(const std::uint8_t* frame)>;

    explicit FrameLine(PortIo& bytes) : bytes_(bytes) {}

    // Every frame sent and every read that ends, with what arrived, goes to the hook from
    // then on, on the thread that does the exchange. An empty hook turns the trace off; with
    // none, no clock is read and nothing is copied.
    void setTraceHook(TraceHook hook) { hook_ = std::move(hook); }

    // Writes the frame with its last byte replaced by the CRC-8 of the rest, after dropping
    // stale input. The caller's frame is left as it was. SendFailed when the line is closed
    // or did not take the whole frame; no frame at all (nullptr, 0 bytes) is SendFailed and
    // not traced.
    FrameOutcome send(const std::uint8_t* frame, std::size_t count);
    // One bounded read of a frame of count bytes with the line's own bounds: Good only when
    // exactly count bytes arrived, the last is the CRC-8 of the rest and `wanted` (if given)
    // takes it. After a whole frame that fails the check the line is read until it falls
    // quiet (kQuietMs), so what trails it cannot spoil the next attempt.
    // With echoOf, a frame that is byte for byte that one is told as Echo (the adapter heard
    // its own transmission) rather than Good or Stray.
    FrameOutcome receive(std::uint8_t* buffer, std::size_t count, const Wanted& wanted = {},
                         const std::uint8_t* echoOf = nullptr);
    // The same within a total of totalMs instead: what is left of an attempt that met a stray
    // frame. Silent at once, with no read, when nothing is left (0 or less).
    FrameOutcome receiveWithin(std::uint8_t* buffer, std::size_t count, int totalMs,
                               const Wanted& wanted = {}, const std::uint8_t* echoOf = nullptr);
    // The same for an answer owed to an earlier request, heard out before the next request
    // goes out: a whole frame with a good CRC-8 is Late (or Echo, as a copy of echoOf).
    FrameOutcome receiveLate(std::uint8_t* buffer, std::size_t count, int totalMs,
                             const std::uint8_t* echoOf);

    // The CRC-8 as a frame of count bytes carries it in its last byte.
    static void seal(std::uint8_t* frame, std::size_t count);
    static bool sealed(const std::uint8_t* frame, std::size_t count);

    PortIo& bytes() { return bytes_; }

  private:
    // The line's per-byte bound, for reading the rest of a frame.
    static constexpr int kPerByteMs = 10;
    // A frame trickling in slower than the line's own bounds is not chased for ever.
    static constexpr int kMaxCompletions = 3;

    std::size_t completed(std::uint8_t* buffer, std::size_t count, std::size_t got, int boundMs);
    FrameOutcome checked(const std::uint8_t* buffer, std::size_t count, std::size_t got,
                         const Wanted& wanted, const std::uint8_t* echoOf = nullptr,
                         bool late = false);
    void trace(bool outgoing, const std::uint8_t* bytes, std::size_t count,
               const FrameOutcome& outcome) const;

    // After a wait for quiet: in step again only if the wait ended in silence.
    void dropUntilQuiet();

    PortIo& bytes_;
    TraceHook hook_;
    bool inStep_ = true;  // the next byte read begins a frame, or is a whole number of them in
};

}  // namespace dut
