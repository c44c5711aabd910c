#include "PortControl.h"

#include "PortOpenAdvice.h"
#include "SerialPort.h"

namespace dut::config {

bool SerialPortControl::open(const std::string& name) {
    return port_.open(name);
}

std::string SerialPortControl::lastOpenError() const {
    if (port_.lastErrorCode() == 0) return {};
    return openErrorExplanation(port_.lastErrorMessage(), openAdvice(port_.lastErrorCode()));
}

void SerialPortControl::close() {
    port_.close();
}

std::vector<std::string> SerialPortControl::listPorts(const std::string& prefix) {
    return SerialPort::listPorts(prefix);
}

}  // namespace dut::config
