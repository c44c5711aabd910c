#include "CalibrationTable.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "TankNumbers.h"

namespace dut::tank {

namespace {

bool positiveFinite(double value) {
    return std::isfinite(value) && value > 0.0;
}

std::string rowText(std::size_t index) {
    return std::to_string(index + 1);
}

}  // namespace

void CalibrationTable::remember() {
    undo_.push_back(state_);
    if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
}

CalibrationTable::Outcome CalibrationTable::start(Direction direction, double startLitres) {
    if (direction == Direction::Draining && !positiveFinite(startLitres)) {
        return {"Введите полный объём бака в литрах: число больше нуля."};
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
    if (!litres) return {"Введите порцию в литрах: число больше нуля."};
    // A few thousandths below zero are the rounding of the typed portions, not a real drain.
    if (*litres < -0.0005) {
        return {"В баке осталось " + litresText(state_.points.back().litres) +
                " л: столько слить нельзя."};
    }
    remember();
    state_.points.push_back({std::max(*litres, 0.0), level, raw, time});
    return {};
}

CalibrationTable::Outcome CalibrationTable::editLitres(std::size_t row, double litres) {
    if (row >= state_.points.size()) return {"Нет такой строки."};
    if (!std::isfinite(litres) || litres < 0.0) {
        return {"Введите литры: число не меньше нуля."};
    }
    const double shift = litres - state_.points[row].litres;
    for (std::size_t i = row + 1; i < state_.points.size(); ++i) {
        if (state_.points[i].litres + shift < -0.0005) {
            return {"Литры строки " + rowText(i) + " стали бы меньше нуля."};
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
    if (row >= state_.points.size()) return {"Нет такой строки."};
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
        const std::string previous = "строки " + rowText(i - 1);
        std::string& reason = reasons[i];
        const bool volumeOnward =
            filling ? point.litres > before.litres : point.litres < before.litres;
        if (!volumeOnward) {
            reason = filling ? "объём не больше, чем у " + previous
                             : "объём не меньше, чем у " + previous;
        } else if (point.level == before.level) {
            reason = "тот же уровень, что у " + previous + ", при другом объёме";
        } else if (filling && point.level < before.level) {
            reason = "уровень ниже, чем у " + previous + ", хотя топливо доливали";
        } else if (!filling && point.level > before.level) {
            reason = "уровень выше, чем у " + previous + ", хотя топливо сливали";
        }
    }
    return reasons;
}

bool autoRecordDue(const CalibrationTable& table, bool stable, std::int32_t level) {
    if (!stable) return false;
    return table.empty() || table.points().back().level != level;
}

}  // namespace dut::tank
