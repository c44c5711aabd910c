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
const char* const kTableFull =
    DUT_TR_NOOP("CalibrationTable", "Таблица заполнена: в ней не больше ");
const char* const kPointsEnd = DUT_TR_NOOP("CalibrationTable", " точек.");
const char* const kFullVolumeAbove =
    DUT_TR_NOOP("CalibrationTable", "Полный объём бака больше предела в ");
const char* const kPortionAbove = DUT_TR_NOOP("CalibrationTable", "Порция больше предела в ");
const char* const kTankAbove = DUT_TR_NOOP("CalibrationTable", "В баке стало бы больше ");
const char* const kLitresUpTo = DUT_TR_NOOP("CalibrationTable", "Введите литры: число от 0 до ");
const char* const kAbove = DUT_TR_NOOP("CalibrationTable", " стали бы больше ");
const char* const kLitresEnd = DUT_TR_NOOP("CalibrationTable", " л.");

bool positiveFinite(double value) {
    return std::isfinite(value) && value > 0.0;
}

std::string maxLitresText() {
    return litresText(kMaxLitres) + kLitresEnd;
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
        kLevelHigher,      kWasDrained,    kTableFull,   kPointsEnd,   kFullVolumeAbove,
        kPortionAbove,     kTankAbove,     kLitresUpTo,  kAbove,       kLitresEnd};
    return texts;
}

std::optional<double> litresInRange(double litres) {
    if (!std::isfinite(litres)) return std::nullopt;
    const double rounded = std::round(litres * 1000.0) / 1000.0;
    if (rounded < 0.0 || rounded > kMaxLitres) return std::nullopt;
    return rounded == 0.0 ? 0.0 : rounded;  // never "-0"
}

void CalibrationTable::remember() {
    undo_.push_back(state_);
    if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
}

CalibrationTable::Outcome CalibrationTable::start(Direction direction, double startLitres) {
    const auto full = litresInRange(startLitres);
    if (direction == Direction::Draining) {
        if (std::isfinite(startLitres) && startLitres > kMaxLitres) {
            return {kFullVolumeAbove + maxLitresText()};
        }
        if (!full || *full <= 0.0) return {kFullVolumeNeeded};
    }
    remember();
    state_.direction = direction;
    state_.startLitres = direction == Direction::Filling ? 0.0 : *full;
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
    if (state_.points.size() >= kMaxPoints) {
        return {kTableFull + std::to_string(kMaxPoints) + kPointsEnd};
    }
    if (!state_.points.empty() && std::isfinite(portion) && portion > kMaxLitres) {
        return {kPortionAbove + maxLitresText()};
    }
    const std::optional<double> litres = nextLitres(portion);
    if (!litres) return {kPortionNeeded};
    // A few thousandths below zero are the rounding of the typed portions, not a real drain.
    if (*litres < -0.0005) {
        return {kLeftInTank + litresText(state_.points.back().litres) + kCannotDrain};
    }
    const auto kept = litresInRange(std::max(*litres, 0.0));
    if (!kept) return {kTankAbove + maxLitresText()};
    remember();
    state_.points.push_back({*kept, level, raw, time});
    return {};
}

CalibrationTable::Outcome CalibrationTable::editLitres(std::size_t row, double litres) {
    if (row >= state_.points.size()) return {kNoSuchRow};
    if (!std::isfinite(litres) || litres < 0.0) {
        return {kLitresNeeded};
    }
    const auto typed = litresInRange(litres);
    if (!typed) return {kLitresUpTo + maxLitresText()};
    const double shift = *typed - state_.points[row].litres;
    std::vector<double> moved;
    for (std::size_t i = row + 1; i < state_.points.size(); ++i) {
        const double next = std::max(state_.points[i].litres + shift, 0.0);
        if (state_.points[i].litres + shift < -0.0005) {
            return {kLitresOfRow + rowText(i) + kBelowZero};
        }
        const auto kept = litresInRange(next);
        if (!kept) return {kLitresOfRow + rowText(i) + kAbove + maxLitresText()};
        moved.push_back(*kept);
    }
    remember();
    state_.points[row].litres = *typed;
    for (std::size_t i = row + 1; i < state_.points.size(); ++i) {
        state_.points[i].litres = moved[i - row - 1];
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
