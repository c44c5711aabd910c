#include "PortControl.h"

#include <cstdlib>

#include "PortInfo.h"
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

std::string serialByIdDir() {
    const char* dir = std::getenv("DUT_SERIAL_BY_ID_DIR");
    return dir && *dir ? std::string(dir) : std::string("/dev/serial/by-id");
}

std::string SerialPortControl::describe(const std::string& device) {
    PortInfoSources sources;
    sources.byIdDir = serialByIdDir();
    const PortInfo info = describePort(device, sources);
    std::string text = info.description();
    if (!info.byId.empty()) text += (text.empty() ? "" : "\n") + info.byId;
    return text;
}

std::string SerialPortControl::stableName(const std::string& device) {
    return findStableName(device, serialByIdDir());
}

std::string SerialPortControl::resolve(const std::string& stableName) {
    return resolveStableName(stableName);
}

}  // namespace dut::config
