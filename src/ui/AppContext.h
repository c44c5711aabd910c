#pragma once

#include "ConfigLink.h"
#include "ExchangeTrace.h"
#include "LineUser.h"
#include "LinkState.h"
#include "PortControl.h"
#include "ResponsiveLineWait.h"
#include "SerialPort.h"

namespace ui {

// The process-wide link: the one serial port, the link flag and sensor number,
// and the protocol over them. Owned by main for the life of the process and handed to the
// windows that talk to the sensor. Every wait on the line, and the guard that keeps ticks and
// hot keys out of a running exchange, goes through lineWait.
struct AppContext {
    ResponsiveLineWait lineWait;  // declared first: its worker outlives the port
    dut::SerialPort port;
    dut::LinkState state;
    dut::ConfigLink link{port, state, lineWait};
    dut::config::SerialPortControl portControl{port};
    LineUser lineUser;               // the main window's polling or the monitor's listening
    dut::ExchangeTrace trace{link};  // the exchange log: --trace and its window
};

}  // namespace ui
