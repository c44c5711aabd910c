// What an exchange says about itself: the value or why there was none, the attempts it took,
// the link flag that follows from it, and the trace of every frame on the line.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "FrameLine.h"
#include "ScriptedPort.h"

namespace {

using dut::ConfigLink;
using dut::ExchangeFailure;
using dut::FrameVerdict;
using Bytes = std::vector<std::uint8_t>;
using Reply = testsupport::ScriptedPort::Reply;

Bytes answer(std::uint8_t param, std::int32_t value) {
    auto f =
        ConfigLink::buildRequest(0, ConfigLink::kAccessCode, ConfigLink::kOpRead, param, value);
    dut::FrameLine::seal(f.data(), f.size());
    return Bytes(f.begin(), f.end());
}
Bytes badCrc(Bytes b) {
    b.back() ^= 0x5A;
    return b;
}
Bytes cut(Bytes b, std::size_t keep) {
    b.resize(keep);
    return b;
}

constexpr std::uint8_t kAsked = 6;
constexpr int kEio = 5;
const Reply kSilence{};

std::vector<Reply> times(int n, const std::vector<Reply>& pattern) {
    std::vector<Reply> all;
    for (int i = 0; i < n; ++i) all.insert(all.end(), pattern.begin(), pattern.end());
    return all;
}
std::vector<Reply> operator+(std::vector<Reply> a, const std::vector<Reply>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct OutcomeCase {
    std::string name;
    std::vector<Reply> replies;  // in the order the link reads
    bool echoLearnt = false;     // the sensor is known to echo the parameter number
    bool closed = false;
    int writeError = 0;
    ExchangeFailure failure;
    int systemError;
    int attempts;
    std::optional<std::int32_t> value;
};

std::ostream& operator<<(std::ostream& out, const OutcomeCase& c) {
    return out << c.name;
}

const Reply good(std::int32_t v) {
    return {answer(kAsked, v), 0};
}
const Reply stray{answer(0, 999), 0};

class ExchangeOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ExchangeOutcome, CarriesTheValueOrTheReasonAndTheAttemptsAndSetsTheFlag) {
    const OutcomeCase& c = GetParam();
    testsupport::ScriptedPort port;
    dut::LinkState state;
    ConfigLink link{port, state};
    if (c.echoLearnt) {
        // Answers that differ from the requests, as a sensor's do: an answer that equals its
        // read request could be the adapter's own echo.
        port.reply(answer(3, 7));
        port.reply(answer(4, 3000));
        ASSERT_TRUE(link.read(3) && link.read(4));
        ASSERT_TRUE(link.echoesParameter());
    }
    port.replies.assign(c.replies.begin(), c.replies.end());
    port.open = !c.closed;
    port.writeError = c.writeError;
    state.linkFlag = !c.value.has_value();  // the flag must move either way

    const dut::ExchangeResult result = link.read(kAsked);

    EXPECT_EQ(result.asOptional(), c.value);
    EXPECT_EQ(result.failure(), c.value ? ExchangeFailure::None : c.failure);
    EXPECT_EQ(result.systemError(), c.systemError);
    EXPECT_EQ(result.attempts(), c.attempts);
    EXPECT_EQ(state.linkFlag, c.value.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Link, ExchangeOutcome,
    ::testing::Values(
        OutcomeCase{"FirstAttempt", {good(7)}, false, false, 0, {}, 0, 1, 7},
        OutcomeCase{"LastOfSixteen",
                    times(15, {kSilence}) + std::vector<Reply>{good(8)},
                    false,
                    false,
                    0,
                    {},
                    0,
                    16,
                    8},
        OutcomeCase{"NegativeIsZero", {good(-3)}, false, false, 0, {}, 0, 1, 0},
        OutcomeCase{"Silence", {}, false, false, 0, ExchangeFailure::NoAnswer, 0, 16, {}},
        OutcomeCase{"BadCrcEveryTime",
                    times(16, {{badCrc(answer(kAsked, 1)), 0}}),
                    false,
                    false,
                    0,
                    ExchangeFailure::BadCrcOnly,
                    0,
                    16,
                    {}},
        OutcomeCase{"OneBadCrcThenSilence",
                    {{badCrc(answer(kAsked, 1)), 0}},
                    false,
                    false,
                    0,
                    ExchangeFailure::BadCrcOnly,
                    0,
                    16,
                    {}},
        OutcomeCase{"FourteenBytes",
                    times(16, {{cut(answer(kAsked, 1), 14), 0}}),
                    false,
                    false,
                    0,
                    ExchangeFailure::ShortAnswers,
                    0,
                    16,
                    {}},
        OutcomeCase{"OneByteAmongBadCrcs",
                    times(8, {{badCrc(answer(kAsked, 1)), 0}}) +
                        std::vector<Reply>{{cut(answer(kAsked, 1), 1), 0}},
                    false,
                    false,
                    0,
                    ExchangeFailure::ShortAnswers,
                    0,
                    16,
                    {}},
        OutcomeCase{"ReadFailsOnceAmongFragments",
                    std::vector<Reply>{{cut(answer(kAsked, 1), 3), 0}, {{}, kEio}},
                    false,
                    false,
                    0,
                    ExchangeFailure::PortError,
                    kEio,
                    16,
                    {}},
        OutcomeCase{"WriteRefused", {}, false, false, 13, ExchangeFailure::PortError, 13, 16, {}},
        OutcomeCase{"ClosedLine", {good(7)}, false, true, 0, ExchangeFailure::PortError, 0, 16, {}},
        // With no clock the scripted line reads on after a stray until the script says
        // silence; the sixteenth attempt hears nothing, so not every attempt was answered.
        OutcomeCase{"StraysThenSilence",
                    times(15, {stray, kSilence}),
                    true,
                    false,
                    0,
                    ExchangeFailure::OnlyStrays,
                    0,
                    16,
                    {}},
        OutcomeCase{"StrayThenTheAnswer", {stray, good(5)}, true, false, 0, {}, 0, 1, 5},
        // A stray is another request's value: never taken, even when nothing else came.
        OutcomeCase{
            "StraysEveryAttemptFail",
            times(15, {stray, kSilence}) + std::vector<Reply>{{answer(0, 321), 0}, kSilence},
            true,
            false,
            0,
            ExchangeFailure::OnlyStrays,
            0,
            16,
            {}},
        OutcomeCase{"ForeignNumberWithoutEcho", {stray}, false, false, 0, {}, 0, 1, 999}),
    [](const auto& info) { return info.param.name; });

// --- the trace hook -------------------------------------------------------------------------

struct Traced {
    bool outgoing;
    std::size_t count;
    FrameVerdict verdict;
    int systemError;
    bool operator==(const Traced& o) const {
        return outgoing == o.outgoing && count == o.count && verdict == o.verdict &&
               systemError == o.systemError;
    }
};
std::ostream& operator<<(std::ostream& out, const Traced& t) {
    return out << (t.outgoing ? "out " : "in ") << t.count << " bytes, verdict "
               << static_cast<int>(t.verdict) << ", error " << t.systemError;
}

struct TraceCase {
    std::string name;
    std::vector<Reply> replies;
    bool wantOnlyParameter6;  // the receiver waits for parameter 6 and calls others strays
    int writeError;
    std::vector<Traced> expected;  // one send, then the receives until one is not a stray
};
std::ostream& operator<<(std::ostream& out, const TraceCase& c) {
    return out << c.name;
}

constexpr Traced kSent{true, 15, FrameVerdict::Sent, 0};

class FrameTraceHook : public ::testing::TestWithParam<TraceCase> {};

TEST_P(FrameTraceHook, PassesEveryFrameWithItsVerdictAndAMonotonicTime) {
    const TraceCase& c = GetParam();
    testsupport::ScriptedPort port;
    port.replies.assign(c.replies.begin(), c.replies.end());
    port.writeError = c.writeError;
    dut::FrameLine frames{port};

    std::vector<Traced> seen;
    std::vector<Bytes> bytes;
    std::vector<std::chrono::steady_clock::time_point> stamps;
    frames.setTraceHook([&](const dut::FrameTrace& t) {
        seen.push_back({t.outgoing, t.count, t.verdict, t.systemError});
        bytes.emplace_back(t.bytes, t.bytes + t.count);
        stamps.push_back(t.at);
    });
    dut::FrameLine::Wanted wanted;
    if (c.wantOnlyParameter6) wanted = [](const std::uint8_t* f) { return f[9] == 6; };

    const auto before = std::chrono::steady_clock::now();
    Bytes request = cut(answer(kAsked, 1), 15);
    request.back() = 0;  // sealed on the way out
    (void)frames.send(request.data(), request.size());
    Bytes got(15);
    auto outcome = frames.receive(got.data(), got.size(), wanted);
    while (outcome.verdict == FrameVerdict::Stray) {
        outcome = frames.receiveWithin(got.data(), got.size(), 50, wanted);
    }
    const auto after = std::chrono::steady_clock::now();

    EXPECT_EQ(seen, c.expected);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.front(), answer(kAsked, 1)) << "the frame as sent, with its CRC-8";
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const Bytes arrived = i - 1 < c.replies.size() ? c.replies[i - 1].bytes : Bytes{};
        EXPECT_EQ(bytes[i], arrived) << "what the read got, as it got it: " << i;
    }
    for (std::size_t i = 0; i < stamps.size(); ++i) {
        EXPECT_LE(before, stamps[i]);
        EXPECT_LE(stamps[i], after);
        if (i > 0) EXPECT_LE(stamps[i - 1], stamps[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Link, FrameTraceHook,
    ::testing::Values(
        TraceCase{"Good", {good(1)}, false, 0, {kSent, {false, 15, FrameVerdict::Good, 0}}},
        TraceCase{"Silence", {}, false, 0, {kSent, {false, 0, FrameVerdict::Silent, 0}}},
        TraceCase{"Fragment",
                  {{cut(answer(kAsked, 1), 9), 0}},
                  false,
                  0,
                  {kSent, {false, 9, FrameVerdict::Short, 0}}},
        TraceCase{"BadCrc",
                  {{badCrc(answer(kAsked, 1)), 0}},
                  false,
                  0,
                  {kSent, {false, 15, FrameVerdict::BadCrc, 0}}},
        TraceCase{"ReadFailed",
                  {{{}, kEio}},
                  false,
                  0,
                  {kSent, {false, 0, FrameVerdict::ReadFailed, kEio}}},
        TraceCase{"WriteRefused",
                  {good(1)},
                  false,
                  13,
                  {{true, 15, FrameVerdict::SendFailed, 13}, {false, 15, FrameVerdict::Good, 0}}},
        TraceCase{"TwoStraysThenTheAnswer",
                  {stray, stray, good(2)},
                  true,
                  0,
                  {kSent,
                   {false, 15, FrameVerdict::Stray, 0},
                   {false, 15, FrameVerdict::Stray, 0},
                   {false, 15, FrameVerdict::Good, 0}}},
        TraceCase{"ForeignNumberIsGoodWhenAnyWillDo",
                  {stray},
                  false,
                  0,
                  {kSent, {false, 15, FrameVerdict::Good, 0}}}),
    [](const auto& info) { return info.param.name; });

TEST(FrameTraceHook, AClosedLineTracesTheRefusedSendAndAnEmptyHookStopsTheTrace) {
    testsupport::ScriptedPort port;
    dut::FrameLine frames{port};
    std::vector<Traced> seen;
    frames.setTraceHook([&](const dut::FrameTrace& t) {
        seen.push_back({t.outgoing, t.count, t.verdict, t.systemError});
    });
    Bytes frame = answer(1, 1);
    port.open = false;
    EXPECT_FALSE(frames.send(frame.data(), frame.size()));
    EXPECT_FALSE(frames.send(nullptr, 15)) << "no frame: nothing to trace";
    EXPECT_EQ(seen, (std::vector<Traced>{{true, 15, FrameVerdict::SendFailed, 0}}));

    frames.setTraceHook({});
    port.open = true;
    port.reply(answer(1, 1));
    EXPECT_TRUE(frames.send(frame.data(), frame.size()));
    EXPECT_TRUE(frames.receive(frame.data(), frame.size()));
    EXPECT_EQ(seen.size(), 1u);
}

TEST(FrameTraceHook, AWholeExchangeIsTracedThroughTheLink) {
    testsupport::ScriptedPort port;
    dut::LinkState state;
    ConfigLink link{port, state};
    std::vector<Traced> seen;
    link.setTraceHook([&](const dut::FrameTrace& t) {
        seen.push_back({t.outgoing, t.count, t.verdict, t.systemError});
    });
    port.replies = {{badCrc(answer(kAsked, 1)), 0}, good(4)};
    EXPECT_EQ(link.read(kAsked), 4);
    EXPECT_EQ(seen, (std::vector<Traced>{kSent,
                                         {false, 15, FrameVerdict::BadCrc, 0},
                                         kSent,
                                         {false, 15, FrameVerdict::Good, 0}}));
}

}  // namespace
