#pragma once

#include <cstdint>
#include <optional>

#include "ConfigLink.h"

namespace dut::config {

// Writes a parameter and reads it back (value field 0). Returns the value this exchange pair
// confirms the sensor holds: the read-back's answer when the read-back succeeded, else the
// write's own answer when the write succeeded, else nothing. A value an earlier exchange (the
// polling) read never counts.
std::optional<std::int32_t> writeConfirmed(ConfigLink& link, std::uint8_t parameter,
                                           std::int32_t value);

// writeConfirmed, then whether it confirmed exactly `value`.
bool writeVerified(ConfigLink& link, std::uint8_t parameter, std::int32_t value);

}  // namespace dut::config
