#include "SensorParams.h"

#include "Translatable.h"

namespace dut::param {

// Written in units of 5 s, the labels translated by the list's window (context
// "SensorParams"); recognised in seconds; "off" is never recognised on reading.
const std::array<IntervalChoice, 11> kIntervalChoices = {{
    {DUT_TR_NOOP("SensorParams", "Выключена"), 0, std::nullopt},
    {DUT_TR_NOOP("SensorParams", "10 сек"), 2, 10},
    {DUT_TR_NOOP("SensorParams", "20 сек"), 4, 20},
    {DUT_TR_NOOP("SensorParams", "30 сек"), 6, 30},
    {DUT_TR_NOOP("SensorParams", "40 сек"), 8, 40},
    {DUT_TR_NOOP("SensorParams", "50 сек"), 10, 50},
    {DUT_TR_NOOP("SensorParams", "1 мин"), 12, 60},
    {DUT_TR_NOOP("SensorParams", "2 мин"), 24, 120},
    {DUT_TR_NOOP("SensorParams", "3 мин"), 36, 180},
    {DUT_TR_NOOP("SensorParams", "4 мин"), 48, 240},
    {DUT_TR_NOOP("SensorParams", "5 мин"), 60, 300},
}};

std::optional<std::size_t> intervalChoiceForSeconds(std::int32_t seconds) {
    for (std::size_t i = 0; i < kIntervalChoices.size(); ++i) {
        if (kIntervalChoices[i].recognisedSeconds == seconds) return i;
    }
    return std::nullopt;
}

}  // namespace dut::param
