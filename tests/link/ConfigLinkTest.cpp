#include "ConfigLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "Crc8.h"
#include "FrameLine.h"
#include "ScriptedPort.h"
#include "SensorParams.h"

namespace {

using dut::ConfigLink;
using Bytes = std::vector<std::uint8_t>;

// Plays back one scripted answer per read, byte for byte: whether an answer is whole and its
// CRC-8 good is the link's own framing to find out.
using ScriptedPort = testsupport::ScriptedPort;

Bytes answerFrame(std::uint8_t op, std::uint8_t param, std::int32_t value) {
    const auto f = ConfigLink::buildRequest(0, ConfigLink::kAccessCode, op, param, value);
    Bytes b(f.begin(), f.end());
    dut::FrameLine::seal(b.data(), b.size());
    return b;
}

Bytes badCrc(Bytes b) {
    b[14] ^= 0x5A;
    return b;
}

Bytes shortFrame(Bytes b) {
    b.pop_back();
    return b;
}

class ConfigLinkTest : public ::testing::Test {
  protected:
    ScriptedPort port;
    dut::LinkState state;
    ConfigLink link{port, state};
};

TEST_F(ConfigLinkTest, ReadOfRawValueGoesOutByteForByte) {
    ASSERT_TRUE(port.replies.empty());
    port.reply(answerFrame(1, 0, 1234));
    ASSERT_TRUE(link.read(dut::param::kRawValue));
    ASSERT_EQ(port.sent.size(), 1u);
    const Bytes expected{0x00, 0x00, 0x00, 0x00,  // leading word
                         0xBB, 0xCF, 0x58, 0x00,  // 5820347, least significant byte first
                         0x01,                    // read
                         0x00,                    // parameter 0
                         0x01, 0x00, 0x00, 0x00,  // value field of an ordinary read
                         0x00};                   // CRC-8, filled in below
    EXPECT_EQ(Bytes(port.sent[0].begin(), port.sent[0].end() - 1),
              Bytes(expected.begin(), expected.end() - 1));
    EXPECT_EQ(port.sent[0][14], dut::crc8(expected.data(), 14));
}

TEST_F(ConfigLinkTest, ReadBackOfFullLevelDiffersOnlyInParameterAndValue) {
    const auto ordinary = ConfigLink::buildRequest(0, ConfigLink::kAccessCode, 1, 0, 1);
    port.reply(answerFrame(1, 4, 5000));
    ASSERT_TRUE(link.read(dut::param::kFullLevel, ConfigLink::kReadBackValue));
    const Bytes& readBack = port.sent.at(0);
    for (std::size_t i = 0; i < 14; ++i) {
        if (i == 9) {
            EXPECT_EQ(readBack[i], 4);
        } else if (i >= 10 && i <= 13) {
            EXPECT_EQ(readBack[i], 0) << i;
        } else {
            EXPECT_EQ(readBack[i], ordinary[i]) << i;
        }
    }
    EXPECT_EQ(ordinary[10], 1);  // the one byte of the value field that differs
    EXPECT_TRUE(dut::FrameLine::sealed(readBack.data(), readBack.size()));
}

TEST_F(ConfigLinkTest, WriteCarriesTheValueLittleEndianTwosComplement) {
    port.reply(answerFrame(2, 5, 0));
    ASSERT_TRUE(link.write(dut::param::kEmptyLevel, -2));
    const Bytes& w = port.sent.at(0);
    EXPECT_EQ(w[8], 2);
    EXPECT_EQ(w[9], 5);
    EXPECT_EQ((Bytes{w[10], w[11], w[12], w[13]}), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));

    const auto big = ConfigLink::buildRequest(0x04030201u, 0xA0B0C0D0u, 2, 9, 0x11223344);
    EXPECT_EQ((Bytes(big.begin(), big.begin() + 4)), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ((Bytes(big.begin() + 4, big.begin() + 8)), (Bytes{0xD0, 0xC0, 0xB0, 0xA0}));
    EXPECT_EQ((Bytes(big.begin() + 10, big.begin() + 14)), (Bytes{0x44, 0x33, 0x22, 0x11}));
}

TEST_F(ConfigLinkTest, ShortAndCorruptedAnswersAreRetried) {
    for (const Bytes& answer : {shortFrame(answerFrame(1, 3, 9)), badCrc(answerFrame(1, 3, 8)),
                                Bytes{}, answerFrame(1, 3, 7)}) {
        port.reply(answer);
    }
    EXPECT_EQ(link.read(dut::param::kNetworkAddress), 7);
    EXPECT_EQ(port.sent.size(), 4u);
    EXPECT_TRUE(state.linkFlag);
    // Every attempt sends the same request again.
    for (const Bytes& frame : port.sent) EXPECT_EQ(frame, port.sent.front());
}

TEST_F(ConfigLinkTest, SixteenthAttemptStillCountsButNotASeventeenth) {
    for (int i = 0; i < 15; ++i) port.reply(badCrc(answerFrame(1, 4, 1)));
    port.reply(answerFrame(1, 4, 4321));
    EXPECT_EQ(link.read(dut::param::kFullLevel), 4321);
    EXPECT_EQ(port.sent.size(), 16u);
    EXPECT_TRUE(state.linkFlag);

    port.sent.clear();
    port.receives = 0;
    for (int i = 0; i < 16; ++i) port.reply(shortFrame(answerFrame(1, 4, 1)));
    port.reply(answerFrame(1, 4, 999));  // would be the 17th
    EXPECT_EQ(link.read(dut::param::kFullLevel), std::nullopt);
    EXPECT_EQ(port.sent.size(), 16u);
    EXPECT_EQ(port.receives, 16);
    EXPECT_FALSE(state.linkFlag);
}

TEST_F(ConfigLinkTest, NegativeAnswerIsReportedAsZero) {
    port.reply(answerFrame(1, 0, -5));
    EXPECT_EQ(link.read(dut::param::kRawValue), 0);
    EXPECT_TRUE(state.linkFlag);

    port.reply(answerFrame(1, 0, std::numeric_limits<std::int32_t>::min()));
    EXPECT_EQ(link.read(dut::param::kRawValue), 0);

    port.reply(answerFrame(1, 0, std::numeric_limits<std::int32_t>::max()));
    EXPECT_EQ(link.read(dut::param::kRawValue), std::numeric_limits<std::int32_t>::max());
}

TEST_F(ConfigLinkTest, AnswerForAnotherParameterOrOperationIsAccepted) {
    Bytes foreign = answerFrame(7, 10, 321);
    foreign[0] = 0xEE;  // the leading word and access code are not examined either
    foreign[5] = 0x00;
    foreign[14] = dut::crc8(foreign.data(), 14);
    port.reply(foreign);
    EXPECT_EQ(link.read(dut::param::kFullLevel), 321);
    EXPECT_EQ(port.sent.size(), 1u);
}

TEST_F(ConfigLinkTest, LinkFlagDropsAtTheStartOfEveryExchange) {
    state.linkFlag = true;
    EXPECT_EQ(link.read(dut::param::kRawValue), std::nullopt);  // nothing scripted: silence
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(port.receives, ConfigLink::kMaxAttempts);
}

TEST_F(ConfigLinkTest, ClosedPortFailsAtOnce) {
    port.open = false;
    state.linkFlag = true;
    port.reply(answerFrame(1, 0, 1));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.read(dut::param::kRawValue), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_FALSE(state.linkFlag);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(port.replies.size(), 1u);
}

}  // namespace

namespace {

// Connect-like reads of two parameters whose answers carry their numbers: from then on the
// link knows the sensor echoes.
void learnEcho(ScriptedPort& port, ConfigLink& link) {
    port.reply(answerFrame(1, 3, 17));
    ASSERT_TRUE(link.read(3));
    EXPECT_FALSE(link.echoesParameter()) << "one echoed number could be chance";
    port.reply(answerFrame(1, 4, 3000));
    ASSERT_TRUE(link.read(4));
    EXPECT_TRUE(link.echoesParameter());
}

}  // namespace

TEST_F(ConfigLinkTest, AnEchoingSensorsStrayAnswerIsDroppedAndTheAttemptReadsOn) {
    learnEcho(port, link);
    port.sent.clear();
    port.receives = 0;
    // A late answer to a raw-value read arrives first, then the output level asked for.
    port.reply(answerFrame(1, 0, 1000));
    port.reply(answerFrame(1, 6, 2222));
    ASSERT_EQ(link.read(6), 2222);
    EXPECT_EQ(port.sent.size(), 1u) << "the stray cost no new request";
    EXPECT_EQ(port.receives, 2);
}

TEST_F(ConfigLinkTest, StraysAloneFailTheAttemptAndNeverBecomeTheValue) {
    learnEcho(port, link);
    port.sent.clear();
    // The scripted line has no clock: the first attempt reads until its strays run out; the
    // later attempts hear nothing at all.
    for (int i = 0; i < 40; ++i) port.reply(answerFrame(1, 0, 1000));
    EXPECT_EQ(link.read(6), std::nullopt) << "a stray's value is never taken";
    EXPECT_FALSE(state.linkFlag);
    EXPECT_TRUE(link.echoesParameter());
}

// The scripted line without a clock would read strays forever within one attempt: this one
// hands out one frame per attempt.
class OneFramePerAttempt : public ScriptedPort {
  public:
    using ScriptedPort::read;
    std::size_t read(std::uint8_t*, std::size_t, int) override { return 0; }
};

TEST(ConfigLinkEcho, ASensorThatStopsEchoingFailsOneExchangeThenIsTakenByItsCrc) {
    OneFramePerAttempt port;
    dut::LinkState state;
    ConfigLink link{port, state};
    learnEcho(port, link);
    Bytes noEcho = answerFrame(1, 0, 777);
    noEcho[8] = noEcho[9] = 0;
    noEcho[14] = dut::crc8(noEcho.data(), 14);
    for (int i = 0; i < ConfigLink::kMaxAttempts; ++i) port.reply(noEcho);
    EXPECT_EQ(link.read(6), std::nullopt);  // never another parameter's value
    EXPECT_FALSE(link.echoesParameter());
    // From then on the CRC-8 alone decides, at once.
    port.reply(noEcho);
    port.sent.clear();
    EXPECT_TRUE(link.read(5));
    EXPECT_EQ(port.sent.size(), 1u);
}

TEST(ConfigLinkEcho, OneAttemptWithTheRightNumberAmongStraysKeepsTheEcho) {
    OneFramePerAttempt port;
    dut::LinkState state;
    ConfigLink link{port, state};
    learnEcho(port, link);
    for (int i = 0; i < ConfigLink::kMaxAttempts - 1; ++i) {
        port.reply(answerFrame(1, 0, 1000));
    }
    port.reply(answerFrame(1, 6, 2222));
    EXPECT_EQ(link.read(6), 2222);
    EXPECT_TRUE(link.echoesParameter());
}

TEST_F(ConfigLinkTest, ASensorWithoutEchoIsStillTakenByItsCrcAlone) {
    Bytes noEcho = answerFrame(1, 0, 17);
    noEcho[8] = noEcho[9] = 0;
    noEcho[14] = dut::crc8(noEcho.data(), 14);
    for (std::uint8_t parameter : {3, 4, 5, 7, 10}) {
        port.reply(noEcho);
        ASSERT_TRUE(link.read(parameter));
    }
    EXPECT_FALSE(link.echoesParameter());
    port.reply(answerFrame(1, 0, 1000));
    EXPECT_EQ(link.read(6), 1000);
}
