// The frame reader on a line with a clock of its own: answers late, echoed, merged, cut and
// mixed with noise, read by requests, reads and waits in any order. Whatever the line does,
// every whole frame the reader hands on begins where a frame can begin: at the first byte
// after a silence of more than 30 ms, or a whole number of frames after it. A frame shifted
// by some bytes can pass the CRC-8 (four zero bytes keep it as it was), so only where it
// begins tells. Dropping some bytes of a run and reading on, as a plain flush of the input
// does while an answer arrives, is what this catches.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Crc8.h"
#include "FrameLine.h"
#include "FuzzCheck.h"
#include "InputReader.h"
#include "PortIo.h"

namespace {

constexpr std::size_t kFrame = 15;
constexpr long kByteUs = 520;  // 19200 baud, ten bits a byte
constexpr long kQuietUs = 30'000;

// The line in virtual time, in microseconds: bytes arrive when their burst says, reads wait
// as the serial port's bounds do (the count, 30 ms of silence after the first byte, the
// total), and what a reader asks for costs the time it would.
class TimedLine : public dut::PortIo {
  public:
    struct Byte {
        long at;
        std::uint8_t value;
    };
    std::vector<Byte> bytes;
    std::size_t pos = 0;
    long now = 0;
    std::vector<std::uint8_t> lastSent;

    bool isOpen() const override { return true; }
    bool flushInput() override {
        while (pos < bytes.size() && bytes[pos].at <= now) ++pos;
        return true;
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        lastSent.assign(data, data + count);
        now += static_cast<long>(count) * kByteUs;
        return true;
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        return read(buffer, count, static_cast<int>(10 * count + 10));
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) override {
        return timedRead(buffer, count, totalMs, false);
    }
    std::size_t readOn(std::uint8_t* buffer, std::size_t count) override {
        return timedRead(buffer, count, static_cast<int>(30 + 10 * count + 10), true);
    }
    std::size_t timedRead(std::uint8_t* buffer, std::size_t count, int totalMs, bool goOn) {
        cutOff_ = false;
        if (totalMs <= 0) return 0;
        const long deadline = now + totalMs * 1000L;
        std::size_t got = 0;
        if (!goOn) last_ = -1;
        long& last = last_;
        while (got < count) {
            const long silence = got > 0 || goOn ? last + kQuietUs : deadline;
            const long until = std::min(deadline, silence);
            if (pos >= bytes.size() || bytes[pos].at > until) {
                now = std::max(now, until);
                cutOff_ = got > 0 && silence > deadline;
                return got;
            }
            last = std::max(now, bytes[pos].at);
            now = last;
            buffer[got++] = bytes[pos++].value;
        }
        return got;
    }
    void dropUntilQuiet(int quietMs) override {
        std::uint8_t sink[64];
        for (int i = 0; i < 8; ++i) {
            if (read(sink, sizeof sink, quietMs) == 0) return;
        }
        cutOff_ = true;
    }
    bool dropStale() override {
        if (!(pos < bytes.size() && bytes[pos].at <= now) && !cutOff_) return true;
        dropUntilQuiet(30);
        return true;
    }
    bool lastReadCutOff() const override { return cutOff_; }

    // A burst: frames sent back to back, the last perhaps cut short or followed by noise. A
    // burst that comes sooner than 30 ms after the one before runs on with it.
    void burst(long at, const std::vector<std::uint8_t>& content) {
        at = std::max(at, bytes.empty() ? 0 : bytes.back().at + kByteUs);
        for (std::size_t i = 0; i < content.size(); ++i) {
            bytes.push_back({at + static_cast<long>(i) * kByteUs, content[i]});
        }
    }
    // How far into its run (the bytes since the last silence of more than 30 ms) a byte is.
    std::size_t intoRun(std::size_t i) const {
        std::size_t n = 0;
        while (i > 0 && bytes[i].at - bytes[i - 1].at <= kQuietUs) --i, ++n;
        return n;
    }

  private:
    bool cutOff_ = false;
    long last_ = -1;  // when the last byte read arrived, in the line's time
};

std::vector<std::uint8_t> frame(fuzz::InputReader& in, bool good) {
    std::vector<std::uint8_t> f(kFrame, 0);
    // Mostly the protocol's own shape: a zero leading word, which is what lets a shifted
    // frame pass its CRC-8.
    for (std::size_t i = 4; i < kFrame - 1; ++i) f[i] = in.byte() & (i < 10 ? 0xFF : 0x0F);
    f[kFrame - 1] = dut::crc8(f.data(), kFrame - 1);
    if (!good) f[kFrame - 1] ^= 0x5A;
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    TimedLine line;
    // The line's traffic: bursts at gaps the input chooses, up to a few seconds in all.
    const int bursts = 1 + in.byte() % 24;
    long at = 0;
    for (int b = 0; b < bursts && !in.empty(); ++b) {
        at += static_cast<long>(in.byte()) * 1500 + in.byte() * 6;  // up to about 380 ms
        const std::uint8_t kind = in.byte();
        std::vector<std::uint8_t> content;
        const int frames = 1 + (kind >> 6);
        for (int f = 0; f < frames; ++f) {
            const auto one = frame(in, (kind & 1) == 0 || f > 0);
            content.insert(content.end(), one.begin(), one.end());
        }
        if (kind & 2) content.resize(content.size() - 1 - in.byte() % (kFrame - 1));  // cut
        if (kind & 4) {
            for (int n = in.byte() % 8; n > 0; --n) content.push_back(in.byte());  // noise
        }
        if (!content.empty()) line.burst(at, content);
    }

    dut::FrameLine frames(line);
    std::uint8_t request[kFrame] = {};
    std::uint8_t buffer[kFrame];
    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const std::uint8_t op = in.byte();
        const std::size_t from = line.pos;
        dut::FrameOutcome got{dut::FrameVerdict::Silent};
        switch (op % 5) {
            case 0:
                request[9] = in.byte();
                frames.send(request, kFrame);
                continue;
            case 1:
                got = frames.receive(buffer, kFrame, {}, line.lastSent.data());
                break;
            case 2:
                got = frames.receiveWithin(buffer, kFrame, 1 + in.byte());
                break;
            case 3:
                got = frames.receiveLate(buffer, kFrame, 1 + in.byte(), nullptr);
                break;
            default:
                // The caller busy elsewhere: bytes wait in the driver, where their gaps can no
                // longer be seen, until the next request drops them.
                line.now += static_cast<long>(in.byte()) * 1000;
                frames.send(request, kFrame);
                continue;
        }
        // A late answer is heard out and dropped whatever it holds; every other whole frame
        // is one a caller may take.
        const bool whole =
            got.verdict == dut::FrameVerdict::Good || got.verdict == dut::FrameVerdict::Stray ||
            got.verdict == dut::FrameVerdict::Echo || got.verdict == dut::FrameVerdict::BadCrc;
        if (!whole) continue;
        // Begins where a frame can, and is those very bytes.
        FUZZ_CHECK(from + kFrame <= line.bytes.size());
        FUZZ_CHECK(line.intoRun(from) % kFrame == 0);
        for (std::size_t i = 0; i < kFrame; ++i)
            FUZZ_CHECK(buffer[i] == line.bytes[from + i].value);
        FUZZ_CHECK(got.verdict == dut::FrameVerdict::BadCrc ||
                   dut::FrameLine::sealed(buffer, kFrame));
    }
    return 0;
}
