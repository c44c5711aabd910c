#include "LlsPacketClassifier.h"

#include <gtest/gtest.h>

#include <random>

#include "LlsTestPackets.h"

namespace dut {
namespace {

using test::Bytes;
using test::concat;
using test::llsAnswer;
using test::llsRequest;

std::vector<LlsPacket> classify(const Bytes& chunk) {
    return classifyLlsChunk(chunk.data(), chunk.size());
}

void expectUnrecognised(const Bytes& chunk) {
    const auto packets = classify(chunk);
    ASSERT_EQ(packets.size(), 1u) << "length " << chunk.size();
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Unrecognised);
    EXPECT_EQ(packets[0].bytes, chunk);
}

TEST(LlsCrc, ChecksLastByteAgainstTheRest) {
    const Bytes good = llsRequest(5);
    EXPECT_TRUE(llsCrcOk(good.data(), good.size()));
    const Bytes bad = llsRequest(5, false);
    EXPECT_FALSE(llsCrcOk(bad.data(), bad.size()));
    const Bytes answer = llsAnswer(200, 4095);
    EXPECT_TRUE(llsCrcOk(answer.data(), answer.size()));
}

TEST(LlsPacketClassifier, NoBytesGiveNoPackets) {
    EXPECT_TRUE(classifyLlsChunk(nullptr, 0).empty());
    const Bytes some = llsRequest(1);
    EXPECT_TRUE(classifyLlsChunk(some.data(), 0).empty());
}

TEST(LlsPacketClassifier, LoneRequestOrAnswerWhateverTheCrc) {
    for (bool good : {true, false}) {
        const Bytes request = llsRequest(9, good);
        auto packets = classify(request);
        ASSERT_EQ(packets.size(), 1u);
        EXPECT_EQ(packets[0].kind, LlsPacketKind::Request);
        EXPECT_EQ(packets[0].bytes, request);

        const Bytes answer = llsAnswer(9, 1234, good);
        packets = classify(answer);
        ASSERT_EQ(packets.size(), 1u);
        EXPECT_EQ(packets[0].kind, LlsPacketKind::Answer);
        EXPECT_EQ(packets[0].bytes, answer);
    }
}

TEST(LlsPacketClassifier, MergedRequestAndAnswerSplitInOrder) {
    const Bytes request = llsRequest(5);
    const Bytes answer = llsAnswer(5, 777);
    auto packets = classify(concat({request, answer}));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Request);
    EXPECT_EQ(packets[0].bytes, request);
    EXPECT_EQ(packets[1].kind, LlsPacketKind::Answer);
    EXPECT_EQ(packets[1].bytes, answer);

    packets = classify(concat({answer, request}));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Answer);
    EXPECT_EQ(packets[1].kind, LlsPacketKind::Request);
}

TEST(LlsPacketClassifier, MergedChunkWithOneBadPieceStaysWhole) {
    expectUnrecognised(concat({llsRequest(5, false), llsAnswer(5, 777)}));
    expectUnrecognised(concat({llsRequest(5), llsAnswer(5, 777, false)}));
    expectUnrecognised(concat({llsRequest(1), llsRequest(2, false)}));
    expectUnrecognised(
        concat({llsRequest(1), llsAnswer(1, 3), llsRequest(2), llsAnswer(2, 4, false)}));
}

TEST(LlsPacketClassifier, TwoRequestsInEightBytesSplit) {
    const auto packets = classify(concat({llsRequest(1), llsRequest(2)}));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Request);
    EXPECT_EQ(packets[0].bytes[1], 1);
    EXPECT_EQ(packets[1].kind, LlsPacketKind::Request);
    EXPECT_EQ(packets[1].bytes[1], 2);
}

TEST(LlsPacketClassifier, LongerRunOfExchangesSplits) {
    const Bytes chunk = concat({llsRequest(1), llsAnswer(1, 10), llsRequest(2), llsAnswer(2, 20),
                                llsAnswer(3, 30), llsRequest(4)});
    const auto packets = classify(chunk);
    const LlsPacketKind expected[] = {LlsPacketKind::Request, LlsPacketKind::Answer,
                                      LlsPacketKind::Request, LlsPacketKind::Answer,
                                      LlsPacketKind::Answer,  LlsPacketKind::Request};
    ASSERT_EQ(packets.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(packets[i].kind, expected[i]) << i;
    EXPECT_EQ(packets[3].bytes[4], 20);
}

// An answer whose first four bytes also pass as a request: byte 3 is free in an answer, and
// once it equals the CRC-8 of bytes 0..2 the running CRC-8 is back at 0.
Bytes answerWithRequestLookalikeHead(std::uint8_t address, std::uint16_t level) {
    Bytes answer = llsAnswer(address, level);
    answer[3] = crc8(answer.data(), 3);
    test::sealLls(answer, true);
    return answer;
}

TEST(LlsPacketClassifier, BacksOutOfAGoodLookingRequestPrefix) {
    const Bytes first = answerWithRequestLookalikeHead(7, 500);
    const Bytes second = llsAnswer(8, 600);
    const Bytes chunk = concat({first, second});
    ASSERT_TRUE(llsCrcOk(chunk.data(), 4));  // the dead end a greedy split would take

    const auto packets = classify(chunk);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Answer);
    EXPECT_EQ(packets[0].bytes, first);
    EXPECT_EQ(packets[1].kind, LlsPacketKind::Answer);
    EXPECT_EQ(packets[1].bytes, second);
}

TEST(LlsPacketClassifier, ThePrefixDecidesAChunkThatSplitsTwoWaysByCrc) {
    // Both "answer, request" and "request, 9-byte rest" carry good CRC-8s here, but only the
    // first reading has each piece led by its kind's prefix.
    const Bytes chunk = concat({answerWithRequestLookalikeHead(7, 500), llsRequest(8)});
    ASSERT_TRUE(llsCrcOk(chunk.data(), 4));
    ASSERT_TRUE(llsCrcOk(chunk.data() + 4, 9));

    const auto packets = classify(chunk);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].kind, LlsPacketKind::Answer);
    EXPECT_EQ(packets[1].kind, LlsPacketKind::Request);
}

Bytes run(std::size_t length, std::uint8_t value) {
    return Bytes(length, value);
}

// A request or answer with a good CRC-8 over another prefix.
Bytes withPrefix(Bytes packet, std::uint8_t prefix) {
    packet[0] = prefix;
    test::sealLls(packet, true);
    return packet;
}

struct NoiseCase {
    const char* what;
    Bytes chunk;
    std::vector<LlsPacketKind> kinds;  // one Unrecognised: the chunk stays whole
};

const LlsPacketKind kReq = LlsPacketKind::Request;
const LlsPacketKind kAns = LlsPacketKind::Answer;
const LlsPacketKind kNone = LlsPacketKind::Unrecognised;

TEST(LlsPacketClassifier, LineNoiseWithAGoodCrcIsNoSensor) {
    const NoiseCase cases[] = {
        // Runs whose every 4- or 9-byte piece has a good CRC-8.
        {"12 zero bytes", run(12, 0x00), {kNone}},
        {"13 zero bytes", run(13, 0x00), {kNone}},
        {"8 x 0xF7", run(8, 0xF7), {kNone}},
        {"16 x 0xF7", run(16, 0xF7), {kNone}},
        // Alone, a packet is still known by its length.
        {"4 zero bytes", run(4, 0x00), {kReq}},
        {"9 zero bytes", run(9, 0x00), {kAns}},
        {"request behind the answer prefix", withPrefix(llsRequest(5), 0x3E), {kReq}},
        // Merged, every piece needs its prefix.
        {"request with the answer prefix, answer",
         concat({withPrefix(llsRequest(5), 0x3E), llsAnswer(5, 777)}),
         {kNone}},
        {"request, answer with the request prefix",
         concat({llsRequest(5), withPrefix(llsAnswer(5, 777), 0x31)}),
         {kNone}},
        {"request with no prefix, request",
         concat({withPrefix(llsRequest(1), 0x00), llsRequest(2)}),
         {kNone}},
        {"zero bytes behind a good exchange",
         concat({llsRequest(5), llsAnswer(5, 777), run(4, 0x00)}),
         {kNone}},
        {"request, answer", concat({llsRequest(5), llsAnswer(5, 777)}), {kReq, kAns}},
        {"request 0, answer 0 (zero address and level)",
         concat({llsRequest(0), llsAnswer(0, 0)}),
         {kReq, kAns}},
    };
    for (const NoiseCase& c : cases) {
        const auto packets = classify(c.chunk);
        ASSERT_EQ(packets.size(), c.kinds.size()) << c.what;
        std::size_t at = 0;
        for (std::size_t i = 0; i < packets.size(); ++i) {
            EXPECT_EQ(packets[i].kind, c.kinds[i]) << c.what << ", piece " << i;
            EXPECT_EQ(packets[i].bytes[0], c.chunk[at]) << c.what;
            at += packets[i].bytes.size();
        }
        EXPECT_EQ(at, c.chunk.size()) << c.what;
    }
}

TEST(LlsPacketClassifier, FragmentsAndOddLengthsAreUnrecognised) {
    const Bytes exchange = concat({llsRequest(3), llsAnswer(3, 99)});
    for (std::size_t length : {1u, 2u, 3u, 5u, 7u, 10u, 12u}) {
        expectUnrecognised(Bytes(exchange.begin(), exchange.begin() + length));
    }
    // Good packets with a stray byte behind them.
    Bytes trailing = exchange;
    trailing.push_back(0x00);
    expectUnrecognised(trailing);
}

TEST(LlsPacketClassifier, RandomChunksEitherSplitCleanlyOrStayWhole) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20; ++round) {
        for (std::size_t length = 0; length <= 100; ++length) {
            Bytes chunk(length);
            for (auto& b : chunk) b = static_cast<std::uint8_t>(byte(random));
            const auto packets = classify(chunk);
            if (length == 0) {
                EXPECT_TRUE(packets.empty());
                continue;
            }
            ASSERT_FALSE(packets.empty());
            if (packets.size() == 1 && packets[0].kind == LlsPacketKind::Unrecognised) {
                EXPECT_EQ(packets[0].bytes, chunk);
                continue;
            }
            Bytes joined;
            for (const auto& p : packets) {
                ASSERT_NE(p.kind, LlsPacketKind::Unrecognised);
                const std::size_t expectedLength =
                    p.kind == LlsPacketKind::Request ? kLlsRequestLength : kLlsAnswerLength;
                ASSERT_EQ(p.bytes.size(), expectedLength);
                if (packets.size() > 1) {
                    EXPECT_TRUE(llsCrcOk(p.bytes.data(), p.bytes.size()));
                }
                joined.insert(joined.end(), p.bytes.begin(), p.bytes.end());
            }
            EXPECT_EQ(joined, chunk);
        }
    }
}

TEST(LlsPacketClassifier, RandomRunsOfGoodPacketsSplitBackIntoThem) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        Bytes chunk;
        std::vector<LlsPacketKind> kinds;
        while (kinds.size() < 2 || random() % 3 != 0) {
            const bool isRequest = random() % 2 == 0;
            const Bytes next = isRequest
                                   ? llsRequest(static_cast<std::uint8_t>(byte(random)))
                                   : llsAnswer(static_cast<std::uint8_t>(byte(random)),
                                               static_cast<std::uint16_t>(byte(random) * 256));
            if (chunk.size() + next.size() > 100) break;
            chunk.insert(chunk.end(), next.begin(), next.end());
            kinds.push_back(isRequest ? LlsPacketKind::Request : LlsPacketKind::Answer);
        }
        if (kinds.size() < 2) continue;
        const auto packets = classify(chunk);
        // A different valid split is possible in theory; the pieces must still rebuild the chunk.
        Bytes joined;
        for (const auto& p : packets) {
            ASSERT_NE(p.kind, LlsPacketKind::Unrecognised) << "round " << round;
            joined.insert(joined.end(), p.bytes.begin(), p.bytes.end());
        }
        EXPECT_EQ(joined, chunk);
    }
}

}  // namespace
}  // namespace dut
