#include "LlsMonitor.h"

#include <algorithm>
#include <limits>

#include "TextInput.h"
#include "Translatable.h"

namespace dut {

namespace {

// Translated by the window that shows them (context "LlsMonitor").
const char* const kHeadings[LlsMonitor::kRowCount] = {
    DUT_TR_NOOP("LlsMonitor", "Адрес LLS"),
    DUT_TR_NOOP("LlsMonitor", "Запрос уровня топлива"),
    DUT_TR_NOOP("LlsMonitor", "Ответ на запрос"),
    DUT_TR_NOOP("LlsMonitor", "Число одинаковых подряд ответов"),
    DUT_TR_NOOP("LlsMonitor", "Уровень стабилен"),
};

const char* const kGood = "ok";
const char* const kBad = "x";

// Counters stop at the top instead of wrapping to negative numbers on a line watched for years.
void increment(std::int32_t& counter) {
    if (counter < std::numeric_limits<std::int32_t>::max()) ++counter;
}

}  // namespace

std::optional<Rgb> llsCellColour(std::string_view text) {
    if (text == kGood) return Rgb{157, 255, 157};
    if (text == kBad) return Rgb{255, 98, 98};
    if (text == LlsMonitor::kUnheard) return Rgb{200, 200, 200};
    return std::nullopt;
}

LlsMonitor::LlsMonitor() : columns_(1), labelTexts_{"Label1", "Label2", "Label3", "Label4"} {
    // A clean bus, the usual case, never sends an unrecognised chunk; without the headings from
    // the start its rows would carry numbers nobody could name.
    for (int row = 0; row < kRowCount; ++row)
        columns_[0].cells[static_cast<std::size_t>(row)] = kHeadings[row];
}

bool LlsMonitor::finishTick(const std::uint8_t* data, std::size_t count) {
    count = std::min(count, kReadSize);
    labelTexts_ = counterTexts();
    if (count == 0 || data == nullptr) return false;
    processChunk(data, count);
    return true;
}

void LlsMonitor::processChunk(const std::uint8_t* data, std::size_t count) {
    for (const LlsPacket& packet : classifyLlsChunk(data, count)) {
        switch (packet.kind) {
            case LlsPacketKind::Request:
                processRequest(packet.bytes.data());
                break;
            case LlsPacketKind::Answer:
                processAnswer(packet.bytes.data());
                break;
            case LlsPacketKind::Unrecognised:
                processUnrecognised();
                break;
        }
    }
}

void LlsMonitor::processRequest(const std::uint8_t* packet) {
    increment(requests_);
    const std::uint8_t address = packet[1];
    const std::size_t found = findAddressColumn(address);
    // Only the address polled last carries a request mark.
    for (std::size_t c = 1; c < columns_.size(); ++c) columns_[c].cells[RequestRow].clear();
    auto& column = columns_[found].cells;
    column[RequestRow] = llsCrcOk(packet, kLlsRequestLength) ? kGood : kBad;
    column[AnswerRow] = kBad;  // until the sensor answers
    column[AddressRow] = intToText(address);
}

void LlsMonitor::processAnswer(const std::uint8_t* packet) {
    increment(answers_);
    const std::uint8_t address = packet[1];
    Column& found = columns_[findAddressColumn(address)];
    auto& column = found.cells;
    const std::int32_t level = packet[4] + 256 * packet[5];

    // The stored level starts at 0 for every address, so without the seen mark the very first
    // answer of an empty tank would already count as a repeat.
    if (seen_[address] && level == lastLevel_[address]) {
        increment(found.repeats);
        column[RepeatRow] = intToText(found.repeats);
    } else {
        found.repeats = 0;
        column[RepeatRow].clear();
    }
    // The settled mark the calibration procedure waits for before the next portion of fuel.
    const bool stable = found.repeats >= kStableRepeats;
    column[StableRow] = stable ? kGood : "";

    column[AnswerRow] = llsCrcOk(packet, kLlsAnswerLength) ? intToText(level) : kBad;
    // Kept even for a bad CRC-8: the next good answer is compared with what the line carried.
    lastLevel_[address] = level;
    seen_[address] = true;
    column[AddressRow] = intToText(address);
}

void LlsMonitor::processUnrecognised() {
    increment(unrecognised_);
    for (int row = 0; row < kRowCount; ++row) columns_[0].cells[row] = kHeadings[row];
    if (columns_.size() > 1) column0Fixed_ = true;
}

std::size_t LlsMonitor::findAddressColumn(std::uint8_t address) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].address == address) return c;
    }
    columns_.emplace_back();
    columns_.back().address = address;
    return columns_.size() - 1;
}

void LlsMonitor::clear() {
    columns_.resize(1);
    // A table of one column cannot keep a fixed column.
    column0Fixed_ = false;
    requests_ = 0;
    answers_ = 0;
    unrecognised_ = 0;
}

void LlsMonitor::markUnheard() {
    for (std::size_t c = 1; c < columns_.size(); ++c) {
        for (const Row row : {RequestRow, StableRow}) {
            std::string& cell = columns_[c].cells[row];
            if (cell == kGood) cell = kUnheard;
        }
    }
}

const std::string& LlsMonitor::cell(int column, int row) const {
    static const std::string empty;
    if (column < 0 || column >= columnCount() || row < 0 || row >= kRowCount) return empty;
    return columns_[static_cast<std::size_t>(column)].cells[static_cast<std::size_t>(row)];
}

std::array<std::string, 4> LlsMonitor::counterTexts() const {
    return {intToText(requests_), intToText(answers_), intToText(unrecognised_),
            std::to_string(total())};
}

}  // namespace dut
