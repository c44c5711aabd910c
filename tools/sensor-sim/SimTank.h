#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

enum class TankShape { Linear, Cylinder };

// A tank the simulated sensor stands in: portions poured in or drained move the fuel's
// height, which the sensor reads as its raw value between its empty and full levels. After a
// portion the surface sways for kSettleSeconds and then stands still, so the level repeats
// exactly, as fuel calms in a real tank.
class SimTank {
  public:
    static constexpr double kSettleSeconds = 3.0;

    SimTank(double capacityLitres, TankShape shape);

    double capacity() const { return capacity_; }
    double litres() const { return litres_; }
    TankShape shape() const { return shape_; }

    // A portion at time `now` (seconds on any steady clock); the tank never holds less than
    // nothing or more than its capacity. Returns the litres poured or drained.
    double pour(double litres, double now);
    double drain(double litres, double now);
    bool settled(double now) const { return now - changedAt_ >= kSettleSeconds; }

    // The height of fuel for a volume, 0..1 of the tank's height. A lying cylinder fills
    // slowly at the bottom and the top and fast in the middle: the S curve.
    static double heightFraction(double fillFraction, TankShape shape);
    // The height as the sensor sees it at `now`: swaying towards the new height for a while
    // after a portion, then exactly the settled height.
    double surface(double now) const;
    // The raw value for the surface, between the sensor's empty and full levels.
    std::int32_t raw(double now, std::int32_t emptyLevel, std::int32_t fullLevel) const;

  private:
    double settledHeight() const;

    double capacity_;
    TankShape shape_;
    double litres_ = 0.0;
    double fromHeight_ = 0.0;
    double changedAt_ = -1e9;
};

// One line of the control channel: "pour 10", "drain 5.5". Nothing for any other line.
struct TankCommand {
    bool pour = true;
    double litres = 0.0;
};
std::optional<TankCommand> parseTankCommand(const std::string& line);

}  // namespace sim
