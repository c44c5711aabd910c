#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "PtySensor.h"

namespace testsupport {

constexpr int kRead = 1;
constexpr int kWrite = 2;

// A request frame as the simulated sensor received it.
struct Request {
    int operation;
    int parameter;
    std::int32_t value;
    bool operator==(const Request& other) const {
        return operation == other.operation && parameter == other.parameter && value == other.value;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Request& r) {
    return out << "{op " << r.operation << ", param " << r.parameter << ", " << r.value << "}";
}

// A simulated sensor that answers at once, with its raw value held at `raw`; null if it could
// not start.
inline std::unique_ptr<sim::PtySensor> fastSensorHoldingRaw(std::int32_t raw) {
    sim::PtySensorOptions options;
    options.paced = false;
    options.turnaroundMs = 0;
    auto sensor = std::make_unique<sim::PtySensor>(options);
    if (!sensor->start()) return nullptr;
    sensor->freezeRaw(true);
    sensor->setParam(0, raw);
    return sensor;
}

inline std::vector<Request> requestsSeenBy(const sim::PtySensor& sensor) {
    std::vector<Request> out;
    for (const auto& frame : sensor.requests()) {
        out.push_back({frame[8], frame[9], sim::SimSensor::valueOf(frame.data())});
    }
    return out;
}

}  // namespace testsupport
