#pragma once

#include <cstdint>
#include <optional>

namespace dut::tank {

// The monitor's rule for a settled level: five identical readings in a row. Counts the
// readings equal to the latest one, the latest included, so a level seen once counts 1.
class LevelStability {
  public:
    static constexpr int kStableReadings = 5;

    void add(std::int32_t level) {
        if (last_ && *last_ == level) {
            if (count_ < kStableReadings) ++count_;
        } else {
            count_ = 1;
        }
        last_ = level;
    }
    // A lost source: the next reading starts a new count.
    void reset() {
        last_.reset();
        count_ = 0;
    }

    std::optional<std::int32_t> level() const { return last_; }
    // Capped at kStableReadings: beyond it nothing more is learnt.
    int count() const { return count_; }
    bool stable() const { return count_ >= kStableReadings; }

  private:
    std::optional<std::int32_t> last_;
    int count_ = 0;
};

}  // namespace dut::tank
