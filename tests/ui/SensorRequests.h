#pragma once

#include <cstdint>
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

inline std::vector<Request> requestsSeenBy(const sim::PtySensor& sensor) {
    std::vector<Request> out;
    for (const auto& frame : sensor.requests()) {
        out.push_back({frame[8], frame[9], sim::SimSensor::valueOf(frame.data())});
    }
    return out;
}

}  // namespace testsupport
