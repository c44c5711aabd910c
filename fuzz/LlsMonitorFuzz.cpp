// The LLS chunk classifier and the monitor's table on arbitrary reads. The input is a list of
// reads: a length byte and that many bytes. Two length values are commands instead: 0xFF
// presses "Очистить", 0xFE delivers the next read through a timer tick on a fake port.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "InputReader.h"
#include "LlsMonitor.h"
#include "LlsPacketClassifier.h"
#include "ReferenceCrc8.h"

namespace {

using dut::LlsMonitor;
using dut::LlsPacket;
using dut::LlsPacketKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kClear = 0xFF;
constexpr std::uint8_t kTick = 0xFE;
constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

const char* const kHeadings[LlsMonitor::kRowCount] = {
    "Адрес LLS",        "Запрос уровня топлива",
    "Ответ на запрос",  "Число одинаковых подряд ответов",
    "Уровень стабилен",
};

// Whether the bytes from `from` on split into requests (0x31, 4 bytes) and answers (0x3E,
// 9 bytes) with good CRC-8s, worked out by trying both lengths at every byte with a memo
// instead of the product's walk led by the prefixes.
class SplitOracle {
  public:
    explicit SplitOracle(const Bytes& chunk) : chunk_(chunk), memo_(chunk.size() + 1) {}

    bool packetAt(std::size_t at, std::size_t length) const {
        const std::uint8_t prefix = length == 4 ? 0x31 : 0x3E;
        return length <= chunk_.size() - at && chunk_[at] == prefix &&
               fuzz::referenceCrcOk(chunk_.data() + at, length);
    }
    bool splits(std::size_t from) {
        if (from == chunk_.size()) return true;
        if (!memo_[from]) {
            memo_[from] =
                (packetAt(from, 4) && splits(from + 4)) || (packetAt(from, 9) && splits(from + 9));
        }
        return *memo_[from];
    }

  private:
    const Bytes& chunk_;
    std::vector<std::optional<bool>> memo_;
};

void checkClassification(const Bytes& chunk, const std::vector<LlsPacket>& packets) {
    if (chunk.empty()) {
        FUZZ_CHECK(packets.empty());
        return;
    }
    FUZZ_CHECK(!packets.empty());
    Bytes joined;
    for (const LlsPacket& p : packets) joined.insert(joined.end(), p.bytes.begin(), p.bytes.end());
    FUZZ_CHECK(joined == chunk);

    if (chunk.size() == 4 || chunk.size() == 9) {
        FUZZ_CHECK(packets.size() == 1);
        FUZZ_CHECK(packets[0].kind ==
                   (chunk.size() == 4 ? LlsPacketKind::Request : LlsPacketKind::Answer));
        return;
    }
    SplitOracle oracle(chunk);
    if (!oracle.splits(0)) {
        FUZZ_CHECK(packets.size() == 1 && packets[0].kind == LlsPacketKind::Unrecognised);
        return;
    }
    std::size_t at = 0;
    for (const LlsPacket& p : packets) {
        FUZZ_CHECK(p.kind != LlsPacketKind::Unrecognised);
        FUZZ_CHECK(p.bytes.size() == (p.kind == LlsPacketKind::Request ? 4u : 9u));
        FUZZ_CHECK(oracle.packetAt(at, p.bytes.size()));
        at += p.bytes.size();
    }
}

// What the table must show, kept from the packets alone.
struct TableModel {
    struct Column {
        std::uint8_t address;
        std::string answerCell;
        std::int32_t repeats = 0;
    };
    std::vector<Column> columns;  // address columns in order of first appearance
    std::optional<std::size_t> requestColumn;
    std::string requestMark;
    bool sawUnrecognised = false;  // column 0 may be fixed from then on
    std::array<std::int32_t, 256> lastLevel{};
    std::array<bool, 256> seen{};
    std::int64_t requests = 0, answers = 0, unrecognised = 0;
    std::vector<std::size_t> touched;  // columns the packets since the last look changed

    std::size_t columnOf(std::uint8_t address) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].address == address) return i;
        }
        columns.push_back(Column{address, std::string(), 0});
        return columns.size() - 1;
    }

    void apply(const LlsPacket& p) {
        const bool good = fuzz::referenceCrcOk(p.bytes.data(), p.bytes.size());
        switch (p.kind) {
            case LlsPacketKind::Request: {
                ++requests;
                if (requestColumn) touched.push_back(*requestColumn);  // loses its mark
                requestColumn = columnOf(p.bytes[1]);
                touched.push_back(*requestColumn);
                requestMark = good ? "ok" : "x";
                columns[*requestColumn].answerCell = "x";
                break;
            }
            case LlsPacketKind::Answer: {
                ++answers;
                const std::uint8_t address = p.bytes[1];
                touched.push_back(columnOf(address));
                Column& column = columns[touched.back()];
                const std::int32_t level = p.bytes[4] | (p.bytes[5] << 8);
                column.repeats =
                    seen[address] && level == lastLevel[address]
                        ? std::min<std::int64_t>(std::int64_t{column.repeats} + 1, kMaxCount)
                        : 0;
                column.answerCell = good ? std::to_string(level) : "x";
                lastLevel[address] = level;
                seen[address] = true;
                break;
            }
            case LlsPacketKind::Unrecognised:
                ++unrecognised;
                sawUnrecognised = true;
                break;
        }
    }

    void clear() {
        columns.clear();
        requestColumn.reset();
        requests = answers = unrecognised = 0;
    }
};

void checkColumn(const LlsMonitor& monitor, const TableModel& model, std::size_t i) {
    const TableModel::Column& expected = model.columns[i];
    const int c = static_cast<int>(i) + 1;
    FUZZ_CHECK(monitor.cell(c, LlsMonitor::AddressRow) == std::to_string(expected.address));
    const bool marked = model.requestColumn == i;
    FUZZ_CHECK(monitor.cell(c, LlsMonitor::RequestRow) == (marked ? model.requestMark : ""));
    FUZZ_CHECK(monitor.cell(c, LlsMonitor::AnswerRow) == expected.answerCell);
    const std::string repeats = expected.repeats > 0 ? std::to_string(expected.repeats) : "";
    FUZZ_CHECK(monitor.cell(c, LlsMonitor::RepeatRow) == repeats);
    const bool stable = expected.repeats >= LlsMonitor::kStableRepeats;
    FUZZ_CHECK(monitor.cell(c, LlsMonitor::StableRow) == (stable ? "ok" : ""));
}

// Counters, the shape of the table and column 0 every time; of the address columns, all of
// them or only those the model saw change (a stray change elsewhere is still caught by the
// whole look before every clear and at the end).
void checkTable(const LlsMonitor& monitor, const TableModel& model, bool everyColumn) {
    FUZZ_CHECK(monitor.requests() == model.requests);
    FUZZ_CHECK(monitor.answers() == model.answers);
    FUZZ_CHECK(monitor.unrecognised() == model.unrecognised);
    FUZZ_CHECK(monitor.total() == model.requests + model.answers + model.unrecognised);
    const auto texts = monitor.counterTexts();
    FUZZ_CHECK(texts[0] == std::to_string(model.requests));
    FUZZ_CHECK(texts[1] == std::to_string(model.answers));
    FUZZ_CHECK(texts[2] == std::to_string(model.unrecognised));
    FUZZ_CHECK(texts[3] == std::to_string(monitor.total()));

    FUZZ_CHECK(monitor.rowCount() == LlsMonitor::kRowCount);
    FUZZ_CHECK(monitor.columnCount() == static_cast<int>(model.columns.size()) + 1);
    for (int row = 0; row < LlsMonitor::kRowCount; ++row) {
        FUZZ_CHECK(monitor.cell(0, row) == kHeadings[row]);  // from the start, kept by clearing
    }
    if (monitor.isColumn0Fixed()) FUZZ_CHECK(model.sawUnrecognised && !model.columns.empty());

    if (everyColumn) {
        for (std::size_t i = 0; i < model.columns.size(); ++i) checkColumn(monitor, model, i);
    } else {
        for (std::size_t i : model.touched) checkColumn(monitor, model, i);
    }
    // Nothing outside the table.
    FUZZ_CHECK(monitor.cell(monitor.columnCount(), 0).empty());
    FUZZ_CHECK(monitor.cell(0, LlsMonitor::kRowCount).empty());
    FUZZ_CHECK(monitor.cell(-1, 0).empty());
}

void checkLevel(const LlsMonitor& monitor, const TableModel& model, std::uint8_t address) {
    FUZZ_CHECK(monitor.hasAnswered(address) == model.seen[address]);
    FUZZ_CHECK(monitor.lastLevel(address) == model.lastLevel[address]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    LlsMonitor monitor;
    TableModel model;
    checkTable(monitor, model, true);

    while (!input.empty()) {
        std::uint8_t length = input.byte();
        if (length == kClear) {
            checkTable(monitor, model, true);
            monitor.clear();
            model.clear();
            checkTable(monitor, model, true);
            continue;
        }
        const bool tick = length == kTick;
        if (tick) length = input.byte();
        Bytes chunk(length);
        chunk.resize(input.take(chunk.data(), chunk.size()));
        if (tick) chunk.resize(std::min(chunk.size(), LlsMonitor::kReadSize));

        const std::vector<LlsPacket> packets = dut::classifyLlsChunk(chunk.data(), chunk.size());
        checkClassification(chunk, packets);
        model.touched.clear();
        for (const LlsPacket& p : packets) model.apply(p);

        const auto before = std::array<std::int64_t, 3>{monitor.requests(), monitor.answers(),
                                                        monitor.unrecognised()};
        if (tick) {
            const auto shownBefore = monitor.counterTexts();
            FUZZ_CHECK(monitor.finishTick(chunk.data(), chunk.size()) == !chunk.empty());
            FUZZ_CHECK(monitor.labelTexts() == shownBefore);
        } else {
            monitor.processChunk(chunk.data(), chunk.size());
        }
        // Counters only grow between clears.
        FUZZ_CHECK(monitor.requests() >= before[0]);
        FUZZ_CHECK(monitor.answers() >= before[1]);
        FUZZ_CHECK(monitor.unrecognised() >= before[2]);
        checkTable(monitor, model, false);
        for (const LlsPacket& p : packets) {
            if (p.kind != LlsPacketKind::Unrecognised) checkLevel(monitor, model, p.bytes[1]);
        }
    }
    checkTable(monitor, model, true);
    // The levels outlive every clear; those of addresses never answered stay 0.
    for (int address = 0; address < 256; ++address) {
        checkLevel(monitor, model, static_cast<std::uint8_t>(address));
    }
    return 0;
}
