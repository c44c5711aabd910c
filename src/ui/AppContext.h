#pragma once

#include "ConfigLink.h"
#include "LinkState.h"
#include "PortControl.h"
#include "SerialPort.h"

namespace ui {

// The process-wide link: the one serial port, the link flag, last value and sensor number,
// and the protocol over them. Owned by main for the life of the process and handed to the
// windows that talk to the sensor.
struct AppContext {
    dut::SerialPort port;
    dut::LinkState state;
    dut::ConfigLink link{port, state};
    dut::config::SerialPortControl portControl{port};
};

}  // namespace ui
