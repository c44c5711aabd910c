#include "SimTank.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The share of a circle's area below a chord at height h (0..1 of the diameter).
double segmentShare(double h) {
    const double angle = 2.0 * std::acos(1.0 - 2.0 * h);
    return (angle - std::sin(angle)) / (2.0 * kPi);
}

}  // namespace

SimTank::SimTank(double capacityLitres, TankShape shape)
    : capacity_(capacityLitres > 0.0 ? capacityLitres : 1.0), shape_(shape) {}

double SimTank::heightFraction(double fillFraction, TankShape shape) {
    const double f = std::clamp(fillFraction, 0.0, 1.0);
    if (shape == TankShape::Linear || f == 0.0 || f == 1.0) return f;
    // The share grows monotonically with the height: halve the interval down to far below a
    // raw unit.
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2.0;
        (segmentShare(middle) < f ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

double SimTank::settledHeight() const {
    return heightFraction(litres_ / capacity_, shape_);
}

double SimTank::pour(double litres, double now) {
    const double before = litres_;
    fromHeight_ = surface(now);
    litres_ = std::clamp(litres_ + std::max(litres, 0.0), 0.0, capacity_);
    changedAt_ = now;
    return litres_ - before;
}

double SimTank::drain(double litres, double now) {
    const double before = litres_;
    fromHeight_ = surface(now);
    litres_ = std::clamp(litres_ - std::max(litres, 0.0), 0.0, capacity_);
    changedAt_ = now;
    return before - litres_;
}

double SimTank::surface(double now) const {
    const double target = settledHeight();
    const double since = now - changedAt_;
    if (since >= kSettleSeconds || since < 0.0) return target;
    // The surface runs to the new height within the first second and sways around it with a
    // dying swing, a few hundredths of the tank's height at first.
    const double progress = std::min(since, 1.0);
    const double swing = 0.02 * (1.0 - since / kSettleSeconds) * std::sin(2.0 * kPi * since * 1.3);
    return std::clamp(fromHeight_ + (target - fromHeight_) * progress + swing, 0.0, 1.0);
}

std::int32_t SimTank::raw(double now, std::int32_t emptyLevel, std::int32_t fullLevel) const {
    const double span = static_cast<double>(fullLevel) - static_cast<double>(emptyLevel);
    return static_cast<std::int32_t>(std::lround(emptyLevel + surface(now) * span));
}

std::optional<TankCommand> parseTankCommand(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    std::string amount;
    std::string rest;
    if (!(in >> verb >> amount) || (in >> rest)) return std::nullopt;
    if (verb != "pour" && verb != "drain") return std::nullopt;
    char* end = nullptr;
    const double litres = std::strtod(amount.c_str(), &end);
    if (end == amount.c_str() || *end != '\0' || !std::isfinite(litres) || litres <= 0.0) {
        return std::nullopt;
    }
    return TankCommand{verb == "pour", litres};
}

}  // namespace sim
