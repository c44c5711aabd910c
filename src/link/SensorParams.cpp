#include "SensorParams.h"

namespace dut::param {

// Written in units of 5 s, recognised in seconds; "off" is never recognised on reading.
const std::array<IntervalChoice, 11> kIntervalChoices = {{
    {"Выключена", 0, std::nullopt},
    {"10 сек", 2, 10},
    {"20 сек", 4, 20},
    {"30 сек", 6, 30},
    {"40 сек", 8, 40},
    {"50 сек", 10, 50},
    {"1 мин", 12, 60},
    {"2 мин", 24, 120},
    {"3 мин", 36, 180},
    {"4 мин", 48, 240},
    {"5 мин", 60, 300},
}};

std::optional<std::size_t> intervalChoiceForSeconds(std::int32_t seconds) {
    for (std::size_t i = 0; i < kIntervalChoices.size(); ++i) {
        if (kIntervalChoices[i].recognisedSeconds == seconds) return i;
    }
    return std::nullopt;
}

}  // namespace dut::param
