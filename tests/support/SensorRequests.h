#pragma once

#include <vector>

#include "PtySensor.h"
#include "RequestFrame.h"

namespace testsupport {

// Every request the simulated sensor has received since it started or was last cleared.
inline std::vector<Request> requestsSeenBy(const sim::PtySensor& sensor) {
    std::vector<Request> out;
    for (const auto& frame : sensor.requests()) out.push_back(decodeRequest(frame.data()));
    return out;
}

}  // namespace testsupport
