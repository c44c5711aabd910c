#include "CalibrationTable.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "TankNumbers.h"
#include "Translatable.h"

namespace dut::tank {

namespace {

const char* const kFullVolumeNeeded =
    DUT_TR_NOOP("CalibrationTable", "Введите полный объём бака в литрах: число больше нуля.");
const char* const kPortionNeeded =
    DUT_TR_NOOP("CalibrationTable", "Введите порцию в литрах: число больше нуля.");
const char* const kLeftInTank = DUT_TR_NOOP("CalibrationTable", "В баке осталось ");
const char* const kCannotDrain = DUT_TR_NOOP("CalibrationTable", " л: столько слить нельзя.");
const char* const kNoSuchRow = DUT_TR_NOOP("CalibrationTable", "Нет такой строки.");
const char* const kLitresNeeded =
    DUT_TR_NOOP("CalibrationTable", "Введите литры: число не меньше нуля.");
const char* const kLitresOfRow = DUT_TR_NOOP("CalibrationTable", "Литры строки ");
const char* const kBelowZero = DUT_TR_NOOP("CalibrationTable", " стали бы меньше нуля.");
const char* const kRow = DUT_TR_NOOP("CalibrationTable", "строки ");
const char* const kVolumeNotAbove = DUT_TR_NOOP("CalibrationTable", "объём не больше, чем у ");
const char* const kVolumeNotBelow = DUT_TR_NOOP("CalibrationTable", "объём не меньше, чем у ");
const char* const kSameLevel = DUT_TR_NOOP("CalibrationTable", "тот же уровень, что у ");
const char* const kOtherVolume = DUT_TR_NOOP("CalibrationTable", ", при другом объёме");
const char* const kLevelLower = DUT_TR_NOOP("CalibrationTable", "уровень ниже, чем у ");
const char* const kWasFilled = DUT_TR_NOOP("CalibrationTable", ", хотя топливо доливали");
const char* const kLevelHigher = DUT_TR_NOOP("CalibrationTable", "уровень выше, чем у ");
const char* const kWasDrained = DUT_TR_NOOP("CalibrationTable", ", хотя топливо сливали");

bool positiveFinite(double value) {
    return std::isfinite(value) && value > 0.0;
}

std::string rowText(std::size_t index) {
    return std::to_string(index + 1);
}

}  // namespace

const std::vector<const char*>& CalibrationTable::texts() {
    static const std::vector<const char*> texts{
        kFullVolumeNeeded, kPortionNeeded, kLeftInTank,  kCannotDrain, kNoSuchRow,
        kLitresNeeded,     kLitresOfRow,   kBelowZero,   kRow,         kVolumeNotAbove,
        kVolumeNotBelow,   kSameLevel,     kOtherVolume, kLevelLower,  kWasFilled,
        kLevelHigher,      kWasDrained};
    return texts;
}

void CalibrationTable::remember() {
    undo_.push_back(state_);
    if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
}

CalibrationTable::Outcome CalibrationTable::start(Direction direction, double startLitres) {
    if (direction == Direction::Draining && !positiveFinite(startLitres)) {
        return {kFullVolumeNeeded};
    }
    remember();
    state_.direction = direction;
    state_.startLitres = direction == Direction::Filling ? 0.0 : startLitres;
    state_.points.clear();
    return {};
}

void CalibrationTable::replace(TableState state) {
    remember();
    state_ = std::move(state);
}

void CalibrationTable::setDetails(const TankDetails& details) {
    if (details == state_.details) return;
    remember();
    state_.details = details;
}

std::optional<double> CalibrationTable::nextLitres(double portion) const {
    if (state_.points.empty()) return state_.startLitres;
    if (!positiveFinite(portion)) return std::nullopt;
    const double last = state_.points.back().litres;
    return state_.direction == Direction::Filling ? last + portion : last - portion;
}

CalibrationTable::Outcome CalibrationTable::record(double portion, std::int32_t level,
                                                   std::optional<std::int32_t> raw,
                                                   std::int64_t time) {
    const std::optional<double> litres = nextLitres(portion);
    if (!litres) return {kPortionNeeded};
    // A few thousandths below zero are the rounding of the typed portions, not a real drain.
    if (*litres < -0.0005) {
        return {kLeftInTank + litresText(state_.points.back().litres) + kCannotDrain};
    }
    remember();
    state_.points.push_back({std::max(*litres, 0.0), level, raw, time});
    return {};
}

CalibrationTable::Outcome CalibrationTable::editLitres(std::size_t row, double litres) {
    if (row >= state_.points.size()) return {kNoSuchRow};
    if (!std::isfinite(litres) || litres < 0.0) {
        return {kLitresNeeded};
    }
    const double shift = litres - state_.points[row].litres;
    for (std::size_t i = row + 1; i < state_.points.size(); ++i) {
        if (state_.points[i].litres + shift < -0.0005) {
            return {kLitresOfRow + rowText(i) + kBelowZero};
        }
    }
    remember();
    state_.points[row].litres = litres;
    for (std::size_t i = row + 1; i < state_.points.size(); ++i) {
        state_.points[i].litres = std::max(state_.points[i].litres + shift, 0.0);
    }
    return {};
}

CalibrationTable::Outcome CalibrationTable::remove(std::size_t row) {
    if (row >= state_.points.size()) return {kNoSuchRow};
    remember();
    state_.points.erase(state_.points.begin() + static_cast<std::ptrdiff_t>(row));
    return {};
}

bool CalibrationTable::undo() {
    if (undo_.empty()) return false;
    state_ = std::move(undo_.back());
    undo_.pop_back();
    return true;
}

std::vector<std::string> CalibrationTable::marks() const {
    const auto& points = state_.points;
    std::vector<std::string> reasons(points.size());
    const bool filling = state_.direction == Direction::Filling;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const TankPoint& before = points[i - 1];
        const TankPoint& point = points[i];
        const std::string previous = kRow + rowText(i - 1);
        std::string& reason = reasons[i];
        const bool volumeOnward =
            filling ? point.litres > before.litres : point.litres < before.litres;
        if (!volumeOnward) {
            reason = filling ? kVolumeNotAbove + previous : kVolumeNotBelow + previous;
        } else if (point.level == before.level) {
            reason = kSameLevel + previous + kOtherVolume;
        } else if (filling && point.level < before.level) {
            reason = kLevelLower + previous + kWasFilled;
        } else if (!filling && point.level > before.level) {
            reason = kLevelHigher + previous + kWasDrained;
        }
    }
    return reasons;
}

bool autoRecordDue(const CalibrationTable& table, bool stable, std::int32_t level) {
    if (!stable) return false;
    return table.empty() || table.points().back().level != level;
}

}  // namespace dut::tank
