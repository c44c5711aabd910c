#pragma once

// The simulated sensor as most tests want it: it answers at once, without the wire's pace or
// its turnaround, so that a test waits only on what the product does.

#include <cstdint>
#include <memory>

#include "PtySensor.h"

namespace testsupport {

inline sim::PtySensorOptions fastSensorOptions() {
    sim::PtySensorOptions options;
    options.paced = false;
    options.turnaroundMs = 0;
    return options;
}

// A fast sensor, started, with its raw value held at `raw`; null if it could not start.
inline std::unique_ptr<sim::PtySensor> fastSensorHoldingRaw(std::int32_t raw) {
    auto sensor = std::make_unique<sim::PtySensor>(fastSensorOptions());
    if (!sensor->start()) return nullptr;
    sensor->freezeRaw(true);
    sensor->setParam(0, raw);
    return sensor;
}

}  // namespace testsupport
