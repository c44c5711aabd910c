#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace dut::param {

// The sensor's numbered parameters this system reads or writes.
constexpr std::uint8_t kRawValue = 0;          // raw measurement, the "current value"
constexpr std::uint8_t kNetworkAddress = 3;    // LLS address, 0..255
constexpr std::uint8_t kFullLevel = 4;         // upper calibration point, raw units
constexpr std::uint8_t kEmptyLevel = 5;        // lower calibration point, raw units
constexpr std::uint8_t kOutputLevel = 6;       // 0..4095 (12 bit) or 0..1023 (10 bit)
constexpr std::uint8_t kSensorNumber = 7;      // 0 = the sensor carries no number
constexpr std::uint8_t kOutputResolution = 8;  // kResolution12Bit or kResolution10Bit
constexpr std::uint8_t kOutputInterval = 9;    // written as seconds / 5, read back as seconds
constexpr std::uint8_t kVersion = 10;

constexpr std::int32_t kResolution12Bit = 100;
constexpr std::int32_t kResolution10Bit = 200;

// One choice of the periodic output interval. The sensor takes the interval in units of
// 5 s but reports it in seconds, so the two columns differ for the same choice.
struct IntervalChoice {
    const char* label;  // UTF-8 text shown in the list
    std::int32_t written;
    std::optional<std::int32_t> recognisedSeconds;  // none for "off": never recognised
};

extern const std::array<IntervalChoice, 11> kIntervalChoices;

// Index of the choice whose recognised value is `seconds`, or none.
std::optional<std::size_t> intervalChoiceForSeconds(std::int32_t seconds);

}  // namespace dut::param
