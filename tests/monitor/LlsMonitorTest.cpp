#include "LlsMonitor.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <set>

#include "LlsTestPackets.h"
#include "TextInput.h"

namespace dut {
namespace {

using test::Bytes;
using test::concat;
using test::llsAnswer;
using test::llsRequest;

const char* const kHeadings[] = {"Адрес LLS", "Запрос уровня топлива", "Ответ на запрос",
                                 "Число одинаковых подряд ответов", "Уровень стабилен"};

class LlsMonitorTest : public ::testing::Test {
  protected:
    void feed(const Bytes& chunk) { monitor.processChunk(chunk.data(), chunk.size()); }
    void feedAnswers(std::uint8_t address, std::uint16_t level, int times) {
        for (int i = 0; i < times; ++i) feed(llsAnswer(address, level));
    }
    // The column whose row 0 holds the address, or -1.
    int columnOf(int address) const {
        for (int c = 1; c < monitor.columnCount(); ++c) {
            if (monitor.cell(c, LlsMonitor::AddressRow) == std::to_string(address)) return c;
        }
        return -1;
    }
    void expectCounters(int requests, int answers, int unrecognised) {
        EXPECT_EQ(monitor.requests(), requests);
        EXPECT_EQ(monitor.answers(), answers);
        EXPECT_EQ(monitor.unrecognised(), unrecognised);
        EXPECT_EQ(monitor.total(), requests + answers + unrecognised);
    }

    LlsMonitor monitor;
};

TEST_F(LlsMonitorTest, StartsWithOneUnfixedColumnOfHeadings) {
    EXPECT_EQ(monitor.columnCount(), 1);
    EXPECT_EQ(monitor.rowCount(), 5);
    EXPECT_FALSE(monitor.isColumn0Fixed());
    for (int row = 0; row < 5; ++row) EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
    expectCounters(0, 0, 0);
    EXPECT_EQ(monitor.labelTexts(),
              (std::array<std::string, 4>{"Label1", "Label2", "Label3", "Label4"}));
    EXPECT_EQ(monitor.cell(1, 0), "");  // outside the table
    EXPECT_EQ(monitor.cell(0, 5), "");
    EXPECT_EQ(monitor.cell(-1, 0), "");
}

TEST_F(LlsMonitorTest, RequestsOpenColumnsInOrderAndMarkOnlyTheLatest) {
    feed(llsRequest(5));
    feed(llsRequest(7));
    EXPECT_EQ(monitor.cell(1, 1), "");
    EXPECT_EQ(monitor.cell(2, 1), "ok");
    feed(llsRequest(5));

    ASSERT_EQ(monitor.columnCount(), 3);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AddressRow), "5");
    EXPECT_EQ(monitor.cell(2, LlsMonitor::AddressRow), "7");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "ok");
    EXPECT_EQ(monitor.cell(2, LlsMonitor::RequestRow), "");
    // Neither was answered.
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "x");
    EXPECT_EQ(monitor.cell(2, LlsMonitor::AnswerRow), "x");
    expectCounters(3, 0, 0);
}

TEST_F(LlsMonitorTest, BoundaryAddressesKeepOneColumnEach) {
    for (int address : {0, 255, 0, 255, 128}) feed(llsRequest(static_cast<std::uint8_t>(address)));
    ASSERT_EQ(monitor.columnCount(), 4);
    EXPECT_EQ(monitor.cell(1, 0), "0");
    EXPECT_EQ(monitor.cell(2, 0), "255");
    EXPECT_EQ(monitor.cell(3, 0), "128");
}

TEST_F(LlsMonitorTest, BadCrcRequestIsMarkedRed) {
    feed(llsRequest(12, false));
    ASSERT_EQ(monitor.columnCount(), 2);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "x");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AddressRow), "12");
    expectCounters(1, 0, 0);
}

TEST_F(LlsMonitorTest, AnswerReplacesThePendingMark) {
    feed(llsRequest(5));
    feed(llsAnswer(5, 1234));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "1234");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "ok");
    feed(llsRequest(5));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "x");
    expectCounters(2, 1, 0);
}

TEST_F(LlsMonitorTest, BadCrcAnswerIsMarkedButItsLevelIsKept) {
    feed(llsAnswer(3, 100));
    feed(llsAnswer(3, 250, false));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "x");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "");
    EXPECT_EQ(monitor.lastLevel(3), 250);
    feed(llsAnswer(3, 250));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "250");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "1");
}

TEST_F(LlsMonitorTest, FirstAnswerIsNeverARepeat) {
    EXPECT_FALSE(monitor.hasAnswered(4));
    feed(llsAnswer(4, 0));
    EXPECT_TRUE(monitor.hasAnswered(4));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "0");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "");
    feed(llsAnswer(4, 0));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "1");
    feed(llsAnswer(4, 0));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "2");
    // Another address keeps its own count.
    feed(llsAnswer(9, 0));
    EXPECT_EQ(monitor.cell(2, LlsMonitor::RepeatRow), "");
    feed(llsAnswer(4, 1));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "");
}

TEST_F(LlsMonitorTest, StableMarkFromFiveRepeatsUntilTheLevelChanges) {
    feedAnswers(6, 2000, 5);  // first answer plus four repeats
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "4");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "");
    feed(llsAnswer(6, 2000));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "5");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "ok");
    feed(llsAnswer(6, 2000));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "ok");
    // A request in between does not disturb it.
    feed(llsRequest(6));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "ok");
    feed(llsAnswer(6, 2001));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "");
    feedAnswers(6, 2001, 4);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::StableRow), "");
}

TEST_F(LlsMonitorTest, ALostLineGreysOnlyTheGreenMarksUntilEachAddressIsHeardAgain) {
    feedAnswers(2, 1500, 6);  // settled
    feedAnswers(5, 800, 2);   // answered, not settled
    feed(llsRequest(3));      // polled last, not answered yet
    const int settled = columnOf(2), pending = columnOf(3), young = columnOf(5);
    ASSERT_EQ(monitor.cell(settled, LlsMonitor::StableRow), "ok");
    ASSERT_EQ(monitor.cell(pending, LlsMonitor::RequestRow), "ok");

    monitor.markUnheard();
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::StableRow), LlsMonitor::kUnheard);
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::AnswerRow), "1500") << "the level stays";
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::RepeatRow), "5");
    EXPECT_EQ(monitor.cell(pending, LlsMonitor::RequestRow), LlsMonitor::kUnheard);
    EXPECT_EQ(monitor.cell(pending, LlsMonitor::AnswerRow), "x") << "a red mark is no claim";
    EXPECT_EQ(monitor.cell(young, LlsMonitor::StableRow), "");
    for (int row = 0; row < LlsMonitor::kRowCount; ++row) {
        EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
    }
    monitor.markUnheard();  // lost twice: nothing more changes
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::StableRow), LlsMonitor::kUnheard);

    // Heard again: a request marks its column afresh, the same level settles at once, and a
    // column still unheard keeps its grey mark.
    feed(llsRequest(5));
    EXPECT_EQ(monitor.cell(young, LlsMonitor::RequestRow), "ok");
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::StableRow), LlsMonitor::kUnheard);
    feed(llsAnswer(2, 1500));
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::StableRow), "ok");
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::RepeatRow), "6");
    monitor.markUnheard();
    feed(llsAnswer(2, 1501));
    EXPECT_EQ(monitor.cell(settled, LlsMonitor::StableRow), "") << "a changed level is no repeat";
}

TEST_F(LlsMonitorTest, LevelsAboveTwelveBitsShownAsTheyCome) {
    feed(llsAnswer(1, 4096));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "4096");
    feed(llsAnswer(1, 65535));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "65535");
    EXPECT_EQ(monitor.lastLevel(1), 65535);
}

TEST_F(LlsMonitorTest, MergedExchangeCountsAsRequestAndAnswer) {
    feed(concat({llsRequest(5), llsAnswer(5, 321)}));
    expectCounters(1, 1, 0);
    ASSERT_EQ(monitor.columnCount(), 2);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "ok");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "321");
    EXPECT_EQ(monitor.cell(0, 0), kHeadings[0]);  // a clean bus keeps the headings
}

TEST_F(LlsMonitorTest, MergedChunkWithBadPieceIsOneUnrecognised) {
    feed(concat({llsRequest(5), llsAnswer(5, 321, false)}));
    expectCounters(0, 0, 1);
    EXPECT_EQ(monitor.columnCount(), 1);
    EXPECT_FALSE(monitor.hasAnswered(5));
}

TEST_F(LlsMonitorTest, LineNoiseCountsOnceAsUnrecognisedAndOpensNoColumn) {
    // Runs whose 4- or 9-byte pieces all carry a good CRC-8, with no prefix among them.
    const Bytes noise[] = {Bytes(12, 0x00), Bytes(13, 0x00), Bytes(8, 0xF7), Bytes(16, 0xF7)};
    int seen = 0;
    for (const Bytes& chunk : noise) {
        feed(chunk);
        ++seen;
        expectCounters(0, 0, seen);
        EXPECT_EQ(monitor.columnCount(), 1) << chunk.size() << " bytes";
    }
    EXPECT_FALSE(monitor.hasAnswered(0));
    // A lone 4-byte read of zeros is still a request, by its length.
    feed(Bytes(4, 0x00));
    expectCounters(1, 0, seen);
    EXPECT_EQ(columnOf(0), 1);
}

TEST_F(LlsMonitorTest, TwoMergedRequestsMarkOnlyTheSecond) {
    feed(concat({llsRequest(1), llsRequest(2)}));
    expectCounters(2, 0, 0);
    ASSERT_EQ(monitor.columnCount(), 3);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "");
    EXPECT_EQ(monitor.cell(2, LlsMonitor::RequestRow), "ok");
}

TEST_F(LlsMonitorTest, HeadingsStandFromTheStartAndFixOnlyWithUnrecognisedBesideAddresses) {
    ASSERT_EQ(monitor.columnCount(), 1);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
    feed(Bytes{1, 2, 3});
    expectCounters(0, 0, 1);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
    EXPECT_FALSE(monitor.isColumn0Fixed());

    feed(llsRequest(5));
    EXPECT_FALSE(monitor.isColumn0Fixed());
    // The headings never pass for an address.
    EXPECT_EQ(monitor.columnCount(), 2);

    feed(Bytes(13, 0xAA));
    EXPECT_TRUE(monitor.isColumn0Fixed());
    expectCounters(1, 0, 2);
}

TEST_F(LlsMonitorTest, ClearKeepsHeadingsAndUnfixesColumn0) {
    feed(llsRequest(5));
    feed(Bytes{0});
    ASSERT_TRUE(monitor.isColumn0Fixed());
    monitor.clear();
    EXPECT_FALSE(monitor.isColumn0Fixed());
    EXPECT_EQ(monitor.columnCount(), 1);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
    expectCounters(0, 0, 0);

    // On a clean bus as well.
    feed(llsRequest(5));
    feed(llsAnswer(5, 300));
    monitor.clear();
    for (int row = 0; row < 5; ++row) EXPECT_EQ(monitor.cell(0, row), kHeadings[row]);
}

TEST_F(LlsMonitorTest, ClearStartsNewColumnsButRemembersLevels) {
    feed(llsRequest(5));
    feed(llsAnswer(7, 900));
    feed(llsAnswer(7, 900));
    ASSERT_EQ(columnOf(7), 2);
    monitor.clear();
    expectCounters(0, 0, 0);
    EXPECT_EQ(monitor.columnCount(), 1);
    EXPECT_EQ(monitor.cell(1, 0), "");

    feed(llsAnswer(7, 900));
    ASSERT_EQ(monitor.columnCount(), 2);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AddressRow), "7");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RepeatRow), "1");
    EXPECT_EQ(monitor.cell(1, LlsMonitor::RequestRow), "");
    expectCounters(0, 1, 0);
}

TEST_F(LlsMonitorTest, RandomChunksKeepTheTableConsistent) {
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> byte(0, 255);
    std::int64_t chunks = 0;
    for (int round = 0; round < 10; ++round) {
        for (std::size_t length = 0; length <= 100; ++length) {
            Bytes chunk(length);
            for (auto& b : chunk) b = static_cast<std::uint8_t>(byte(random));
            feed(chunk);
            if (length > 0) ++chunks;
        }
    }
    // Every non-empty random chunk yields at least one counted packet.
    EXPECT_GE(monitor.total(), chunks);
    EXPECT_LE(monitor.columnCount(), 257);
    std::set<std::string> addresses;
    for (int c = 1; c < monitor.columnCount(); ++c) {
        const auto address = parseInt(monitor.cell(c, 0));
        ASSERT_TRUE(address.has_value()) << c;
        EXPECT_GE(*address, 0);
        EXPECT_LE(*address, 255);
        EXPECT_TRUE(addresses.insert(monitor.cell(c, 0)).second) << "duplicate " << *address;
    }
    monitor.clear();
    EXPECT_EQ(monitor.columnCount(), 1);
}

TEST(LlsCellColour, OnlyExactMarksAreColoured) {
    EXPECT_EQ(llsCellColour("ok"), (Rgb{157, 255, 157}));
    EXPECT_EQ(llsCellColour("x"), (Rgb{255, 98, 98}));
    EXPECT_EQ(llsCellColour(LlsMonitor::kUnheard), (Rgb{200, 200, 200}));
    for (const char* text : {"", "OK", "ok ", "X", " x", "0", "??", " ?", "Адрес LLS"}) {
        EXPECT_FALSE(llsCellColour(text).has_value()) << text;
    }
}

using Labels = std::array<std::string, 4>;

// What the window hands over after each read: the bytes that arrived, none when it was silent.
bool tickWith(LlsMonitor& monitor, const Bytes& read) {
    return monitor.finishTick(read.data(), read.size());
}

TEST(LlsMonitorTick, LabelsShowCountsFromBeforeTheRead) {
    LlsMonitor monitor;

    EXPECT_TRUE(tickWith(monitor, llsRequest(5)));
    EXPECT_EQ(monitor.labelTexts(), (Labels{"0", "0", "0", "0"}));
    EXPECT_EQ(monitor.requests(), 1);

    EXPECT_TRUE(tickWith(monitor, llsAnswer(5, 42)));
    EXPECT_EQ(monitor.labelTexts(), (Labels{"1", "0", "0", "1"}));
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "42");

    EXPECT_TRUE(tickWith(monitor, Bytes{1, 2}));
    EXPECT_EQ(monitor.labelTexts(), (Labels{"1", "1", "0", "2"}));
    EXPECT_EQ(monitor.unrecognised(), 1);

    EXPECT_FALSE(tickWith(monitor, Bytes{}));  // line silent
    EXPECT_EQ(monitor.labelTexts(), (Labels{"1", "1", "1", "3"}));
    EXPECT_EQ(monitor.counterTexts(), (Labels{"1", "1", "1", "3"}));
}

TEST(LlsMonitorTick, MergedReadIsSplit) {
    LlsMonitor monitor;
    EXPECT_TRUE(tickWith(monitor, concat({llsRequest(3), llsAnswer(3, 5000)})));
    EXPECT_EQ(monitor.requests(), 1);
    EXPECT_EQ(monitor.answers(), 1);
    EXPECT_EQ(monitor.unrecognised(), 0);
    EXPECT_EQ(monitor.cell(1, LlsMonitor::AnswerRow), "5000");
}

TEST(LlsMonitorTick, NothingReadOnlyRefreshesLabels) {
    LlsMonitor monitor;
    EXPECT_FALSE(monitor.finishTick(nullptr, 0));
    EXPECT_FALSE(monitor.finishTick(nullptr, 5)) << "no buffer: nothing to process";
    EXPECT_EQ(monitor.labelTexts(), (Labels{"0", "0", "0", "0"}));
    EXPECT_EQ(monitor.columnCount(), 1);
}

}  // namespace
}  // namespace dut
