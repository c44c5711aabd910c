#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LlsPacketClassifier.h"

namespace dut {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// Cells holding exactly "ok" are painted over in light green, exactly "x" in light red, exactly
// "?" (a mark from before the line went away) in grey; every other cell keeps its normal look
// (nullopt).
std::optional<Rgb> llsCellColour(std::string_view text);

// The LLS bus monitor without its window: statistics, the per-address memory and the table
// the window shows. Column 0 carries the row headings from the start (it becomes a fixed
// column once unrecognised traffic is seen beside address columns); every further column
// belongs to one sensor address, in the order the addresses appeared.
class LlsMonitor {
  public:
    static constexpr int kRowCount = 5;
    static constexpr std::size_t kReadSize = 100;

    enum Row { AddressRow = 0, RequestRow = 1, AnswerRow = 2, RepeatRow = 3, StableRow = 4 };

    // Identical answers in a row from which the level counts as settled.
    static constexpr std::int32_t kStableRepeats = 5;

    // A mark that was green when the line was lost.
    static constexpr const char* kUnheard = "?";

    LlsMonitor();

    // One read of up to kReadSize bytes (count is capped at kReadSize), or an empty one (count
    // 0) when the read's time passed in silence or there is no line: the counter labels take
    // the counts as they stand before this read, then the bytes are processed. True when bytes
    // arrived. The window reads only while it is visible.
    bool finishTick(const std::uint8_t* data, std::size_t count);

    // Classifies the bytes of one read and processes every resulting packet.
    void processChunk(const std::uint8_t* data, std::size_t count);

    // "Очистить": empties the address columns and the counters. The headings, the last level
    // and the seen mark of every address stay.
    void clear();

    // The line has gone: every green mark of the request and settled rows turns into the
    // not-heard mark, since nothing now confirms it. The next request or answer of an address
    // sets its marks afresh; counts and levels stay.
    void markUnheard();

    int columnCount() const { return static_cast<int>(columns_.size()); }
    int rowCount() const { return kRowCount; }
    // Empty text for a cell outside the table.
    const std::string& cell(int column, int row) const;
    bool isColumn0Fixed() const { return column0Fixed_; }

    std::int32_t requests() const { return requests_; }
    std::int32_t answers() const { return answers_; }
    std::int32_t unrecognised() const { return unrecognised_; }
    std::int64_t total() const {
        return std::int64_t{requests_} + std::int64_t{answers_} + std::int64_t{unrecognised_};
    }

    // The current counters as the texts of Label1..Label4 (requests, answers, unrecognised,
    // total).
    std::array<std::string, 4> counterTexts() const;
    // What Label1..Label4 show: their own names until the first tick, then the counters as they
    // stood before that tick's read was processed.
    const std::array<std::string, 4>& labelTexts() const { return labelTexts_; }

    std::int32_t lastLevel(std::uint8_t address) const { return lastLevel_[address]; }
    bool hasAnswered(std::uint8_t address) const { return seen_[address]; }

  private:
    // The texts of one column and the numbers behind them, so no cell is parsed again.
    struct Column {
        std::array<std::string, kRowCount> cells;
        int address = -1;          // -1: column 0, which belongs to no address
        std::int32_t repeats = 0;  // identical answers in a row; 0 shows as an empty cell
    };

    void processRequest(const std::uint8_t* packet);
    void processAnswer(const std::uint8_t* packet);
    void processUnrecognised();
    std::size_t findAddressColumn(std::uint8_t address);

    std::vector<Column> columns_;
    bool column0Fixed_ = false;
    std::int32_t requests_ = 0;
    std::int32_t answers_ = 0;
    std::int32_t unrecognised_ = 0;
    std::array<std::int32_t, 256> lastLevel_{};
    std::array<bool, 256> seen_{};
    std::array<std::string, 4> labelTexts_;
};

}  // namespace dut
