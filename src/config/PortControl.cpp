#include "PortControl.h"

#include "SerialPort.h"

namespace dut::config {

bool SerialPortControl::open(const std::string& name) {
    return port_.open(name);
}

void SerialPortControl::close() {
    port_.close();
}

std::vector<std::string> SerialPortControl::listPorts(const std::string& prefix) {
    return SerialPort::listPorts(prefix);
}

}  // namespace dut::config
