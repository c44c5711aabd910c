#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dut::tank {

enum class Direction { Filling, Draining };

// The bounds of one table, the same wherever a table comes from (recording, a typed row, a
// CSV import, the session file) and wherever it goes (the window's table and chart, the
// session file, the export). A stationary tank holds up to a million litres; a sensor's
// output level and an LLS answer's level are 16-bit.
constexpr std::size_t kMaxPoints = 2000;
constexpr double kMaxLitres = 1'000'000.0;
constexpr std::int32_t kMaxLevel = 65535;
// A tank's or vehicle's name, in UTF-8 bytes.
constexpr std::size_t kMaxNameBytes = 400;

// One recorded point: the litres in the tank at that moment, the output level, the raw value
// it came with (unknown for an imported point) and when it was taken (seconds since 1970,
// 0 when unknown).
struct TankPoint {
    double litres = 0.0;
    std::int32_t level = 0;
    std::optional<std::int32_t> raw;
    std::int64_t time = 0;

    bool operator==(const TankPoint& other) const {
        return litres == other.litres && level == other.level && raw == other.raw &&
               time == other.time;
    }
};

// What the table is about; kept and exported with it.
struct TankDetails {
    std::string tank;
    std::string vehicle;
    std::int32_t sensorNumber = 0;

    bool operator==(const TankDetails& other) const {
        return tank == other.tank && vehicle == other.vehicle && sensorNumber == other.sensorNumber;
    }
};

// Everything a table holds; what undo goes back to and what the session file keeps.
struct TableState {
    TankDetails details;
    Direction direction = Direction::Filling;
    double startLitres = 0.0;  // the first point's litres: 0 when filling, the full volume when
                               // draining
    std::vector<TankPoint> points;

    bool operator==(const TableState& other) const {
        return details == other.details && direction == other.direction &&
               startLitres == other.startLitres && points == other.points;
    }
};

// Litres rounded to the thousandths the table shows and saves, so that what is kept is what
// was shown. Empty for a value that is not a number or lies outside 0..kMaxLitres.
std::optional<double> litresInRange(double litres);

// The calibration table of one tank: the installer pours (or drains) known portions and
// records the settled level after each. Points keep the order in which they were taken; the
// checks mark points that break the rise of the level with the volume, and the marked points
// stay in the table for the installer to judge.
class CalibrationTable {
  public:
    // The pieces of the refusals and marks, for the window that translates them (context
    // "CalibrationTable").
    static const std::vector<const char*>& texts();

    static constexpr std::size_t kUndoDepth = 200;

    // Why a record or an edit was refused; empty text means it was done.
    struct Outcome {
        std::string refusal;
        bool done() const { return refusal.empty(); }
    };

    const TableState& state() const { return state_; }
    const std::vector<TankPoint>& points() const { return state_.points; }
    Direction direction() const { return state_.direction; }
    const TankDetails& details() const { return state_.details; }
    bool empty() const { return state_.points.empty(); }

    // A new table going the given way; a draining table starts at the full volume (above zero,
    // at most kMaxLitres). Undoable.
    Outcome start(Direction direction, double startLitres);
    // Replaces the whole table (a session taken up again, an imported file). Undoable.
    void replace(TableState state);
    void setDetails(const TankDetails& details);

    // The litres the next point gets for a portion: the start for the first point, else the
    // last point's litres plus (filling) or minus (draining) the portion.
    std::optional<double> nextLitres(double portion) const;
    // Adds a point at the next litres. Refused for a portion that is not above zero or above
    // kMaxLitres, a drain below an empty tank, litres past kMaxLitres and a full table
    // (kMaxPoints).
    Outcome record(double portion, std::int32_t level, std::optional<std::int32_t> raw,
                   std::int64_t time);
    // A row's litres typed anew (an odd portion); the later rows move by the same amount, as
    // their litres are counted on from this one.
    Outcome editLitres(std::size_t row, double litres);
    Outcome remove(std::size_t row);
    // Takes back the last change; false when there is none.
    bool undo();
    bool canUndo() const { return !undo_.empty(); }

    // The reason each point is marked, empty for a sound point; one entry per point.
    std::vector<std::string> marks() const;

  private:
    void remember();

    TableState state_;
    std::vector<TableState> undo_;
};

// Whether the automatic mode records now: the level is settled and differs from the last
// point's (or there is none yet).
bool autoRecordDue(const CalibrationTable& table, bool stable, std::int32_t level);

}  // namespace dut::tank
