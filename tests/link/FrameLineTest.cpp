// The framing over a byte line: what goes out, what is let in, and which bound the line gets.
#include "FrameLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Crc8.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes only, and a log of what the framing asked of them, in order.
class ByteLine : public dut::PortIo {
  public:
    bool open = true;
    bool writeWorks = true;
    bool flushWorks = true;
    Bytes input;                 // what has arrived and not been read
    std::deque<Bytes> arriving;  // one burst per read, arriving while that read waits
    std::vector<Bytes> written;
    std::vector<std::string> calls;
    std::vector<int> bounds;  // the total bound of every read, -1: the line's own

    bool isOpen() const override { return open; }
    bool flushInput() override {
        calls.push_back("flush");
        if (flushWorks) input.clear();
        return flushWorks;
    }
    bool write(const std::uint8_t* data, std::size_t count) override {
        calls.push_back("write");
        if (!writeWorks) return false;
        written.emplace_back(data, data + count);
        return true;
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        return take(buffer, count, -1);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t count, int totalMs) override {
        return take(buffer, count, totalMs);
    }
    void dropUntilQuiet(int quietMs) override {
        calls.push_back("drop " + std::to_string(quietMs));
        input.clear();
    }

  private:
    std::size_t take(std::uint8_t* buffer, std::size_t count, int bound) {
        calls.push_back("read");
        bounds.push_back(bound);
        if (!arriving.empty()) {
            input.insert(input.end(), arriving.front().begin(), arriving.front().end());
            arriving.pop_front();
        }
        const std::size_t n = std::min(count, input.size());
        std::copy_n(input.begin(), n, buffer);
        input.erase(input.begin(), input.begin() + static_cast<long>(n));
        return n;
    }
};

Bytes sealedFrame(std::uint8_t seed) {
    Bytes f(15);
    for (std::size_t i = 0; i < 14; ++i) f[i] = static_cast<std::uint8_t>(seed * 31 + i);
    f[14] = dut::crc8(f.data(), 14);
    return f;
}

class FrameLineTest : public ::testing::Test {
  protected:
    ByteLine line;
    dut::FrameLine frames{line};
    Bytes got = Bytes(15);
};

TEST_F(FrameLineTest, SendDropsStaleInputThenWritesTheFrameWithItsCrc) {
    line.input = {0xAA, 0xBB, 0xCC};
    Bytes request = sealedFrame(3);
    request[14] = 0x00;
    const Bytes original = request;
    ASSERT_TRUE(frames.send(request.data(), request.size()));
    EXPECT_EQ(line.calls, (std::vector<std::string>{"flush", "write"}));
    EXPECT_TRUE(line.input.empty());
    ASSERT_EQ(line.written.size(), 1u);
    EXPECT_EQ(line.written[0], sealedFrame(3));
    EXPECT_EQ(request, original) << "the caller's frame is left alone";

    // Whatever was in the last byte is replaced, not combined.
    request[14] = 0x5A;
    ASSERT_TRUE(frames.send(request.data(), request.size()));
    EXPECT_EQ(line.written.at(1), sealedFrame(3));
}

TEST_F(FrameLineTest, SendFailsWhenTheLineIsClosedOrRefusesTheBytes) {
    const Bytes request = sealedFrame(1);
    line.open = false;
    EXPECT_FALSE(frames.send(request.data(), request.size()));
    EXPECT_TRUE(line.calls.empty()) << "nothing reaches a closed line";

    line.open = true;
    line.writeWorks = false;
    EXPECT_FALSE(frames.send(request.data(), request.size()));

    EXPECT_FALSE(frames.send(request.data(), 0));
    EXPECT_FALSE(frames.send(nullptr, 15));
    EXPECT_TRUE(line.written.empty());
}

TEST_F(FrameLineTest, AFailedFlushStillSendsTheRequest) {
    line.flushWorks = false;
    const Bytes request = sealedFrame(4);
    EXPECT_TRUE(frames.send(request.data(), request.size()));
    EXPECT_EQ(line.written.size(), 1u);
}

TEST_F(FrameLineTest, ReceiveTakesExactlyAWholeFrameWithAGoodCrc) {
    line.arriving = {sealedFrame(9)};
    EXPECT_TRUE(frames.receive(got.data(), got.size()));
    EXPECT_EQ(got, sealedFrame(9));

    Bytes shortOne = sealedFrame(9);
    shortOne.pop_back();
    line.arriving = {shortOne};
    EXPECT_FALSE(frames.receive(got.data(), got.size())) << "14 bytes are no frame";

    // Fourteen bytes whose last happens to be the CRC-8 of the thirteen before them.
    Bytes fourteen = sealedFrame(2);
    fourteen.resize(13);
    fourteen.push_back(dut::crc8(fourteen.data(), 13));
    line.arriving = {fourteen};
    EXPECT_FALSE(frames.receive(got.data(), got.size()));

    for (std::size_t flipped : {0u, 7u, 13u, 14u}) {
        Bytes bad = sealedFrame(5);
        bad[flipped] ^= 0x01;
        line.arriving = {bad};
        EXPECT_FALSE(frames.receive(got.data(), got.size())) << "byte " << flipped;
    }

    line.arriving.clear();
    EXPECT_FALSE(frames.receive(got.data(), got.size())) << "silence";
}

TEST_F(FrameLineTest, ReceiveAsksTheLineForTheFrameSizeAndNoMore) {
    // Two frames back to back: the first read takes one, the second the other.
    Bytes both = sealedFrame(1);
    const Bytes second = sealedFrame(2);
    both.insert(both.end(), second.begin(), second.end());
    line.input = both;
    EXPECT_TRUE(frames.receive(got.data(), got.size()));
    EXPECT_EQ(got, sealedFrame(1));
    EXPECT_TRUE(frames.receive(got.data(), got.size()));
    EXPECT_EQ(got, second);

    // The frame size is the caller's: a 4-byte frame is checked the same way.
    Bytes small{0x31, 0x02, 0x7F, 0x00};
    small[3] = dut::crc8(small.data(), 3);
    line.input = small;
    Bytes four(4);
    EXPECT_TRUE(frames.receive(four.data(), four.size()));
    EXPECT_FALSE(frames.receive(four.data(), 0));
    EXPECT_FALSE(frames.receive(nullptr, 4));
}

TEST_F(FrameLineTest, ReceiveLeavesTheBoundToTheLineUnlessOneIsGiven) {
    line.arriving = {sealedFrame(1), sealedFrame(2)};
    EXPECT_TRUE(frames.receive(got.data(), got.size()));
    EXPECT_TRUE(frames.receiveWithin(got.data(), got.size(), 37));
    EXPECT_EQ(got, sealedFrame(2));
    EXPECT_EQ(line.bounds, (std::vector<int>{-1, 37}));

    // Nothing left of an attempt: no read at all.
    line.arriving = {sealedFrame(3)};
    EXPECT_FALSE(frames.receiveWithin(got.data(), got.size(), 0));
    EXPECT_FALSE(frames.receiveWithin(got.data(), got.size(), -4));
    EXPECT_EQ(line.bounds.size(), 2u);

    Bytes bad = sealedFrame(4);
    bad[14] ^= 0xFF;
    line.arriving = {bad};
    EXPECT_FALSE(frames.receiveWithin(got.data(), got.size(), 100));
}

TEST_F(FrameLineTest, OnlyAWholeFrameWithABadCrcWaitsForTheLineToFallQuiet) {
    // Stray bytes ahead of an answer: the whole read fails its check, the answer's tail and
    // what trails it are still coming.
    Bytes strayThenAnswer = {0xE5, 0x17};
    const Bytes answer = sealedFrame(6);
    strayThenAnswer.insert(strayThenAnswer.end(), answer.begin(), answer.end());
    line.arriving = {strayThenAnswer};
    EXPECT_FALSE(frames.receive(got.data(), got.size()));
    EXPECT_EQ(line.calls, (std::vector<std::string>{"read", "drop 30"}));
    EXPECT_TRUE(line.input.empty());

    Bytes bad = sealedFrame(4);
    bad[14] ^= 0xFF;
    line.calls.clear();
    line.arriving = {bad};
    EXPECT_FALSE(frames.receiveWithin(got.data(), got.size(), 50));
    EXPECT_EQ(line.calls, (std::vector<std::string>{"read", "drop 30"}));

    // A short read ended in silence already, and a good frame is no reason to wait.
    Bytes shortOne = sealedFrame(9);
    shortOne.pop_back();
    line.calls.clear();
    line.arriving = {shortOne, sealedFrame(9)};
    EXPECT_FALSE(frames.receive(got.data(), got.size()));
    EXPECT_TRUE(frames.receive(got.data(), got.size()));
    line.arriving.clear();
    EXPECT_FALSE(frames.receive(got.data(), got.size()));
    EXPECT_EQ(line.calls, (std::vector<std::string>{"read", "read", "read"}));
}

TEST(FrameSeal, TheLastByteIsTheCrcOfTheRest) {
    Bytes frame = sealedFrame(8);
    frame[14] = 0;
    dut::FrameLine::seal(frame.data(), frame.size());
    EXPECT_EQ(frame, sealedFrame(8));
    EXPECT_TRUE(dut::FrameLine::sealed(frame.data(), frame.size()));
    frame[3] ^= 0x80;
    EXPECT_FALSE(dut::FrameLine::sealed(frame.data(), frame.size()));
    EXPECT_FALSE(dut::FrameLine::sealed(frame.data(), 0));
    const std::uint8_t zero = 0;  // the CRC-8 of nothing is 0
    EXPECT_TRUE(dut::FrameLine::sealed(&zero, 1));
}

}  // namespace
