#pragma once

#include <cstdint>

namespace dut {

// Whether the sensor is there, as every part of the configurator sees it. One instance per
// application, owned by whoever creates the link and handed to those who need it.
struct LinkState {
    bool linkFlag = false;          // true after a good answer; false after 16 failed attempts
    std::int32_t sensorNumber = 0;  // parameter 7 as read at connect; 0 means "no sensor"
};

}  // namespace dut
