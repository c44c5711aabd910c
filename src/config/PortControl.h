#pragma once

#include <string>
#include <vector>

namespace dut {
class SerialPort;
}

namespace dut::config {

// Opening, closing and listing the line, as the connection controller needs them. The
// exchanges themselves go through ConfigLink and the same port's PortIo side.
class PortControl {
  public:
    virtual ~PortControl() = default;

    virtual bool open(const std::string& name) = 0;
    virtual void close() = 0;
    // Why the last open failed, for the user: the system's reason and the fix where one is
    // known; empty after a successful open.
    virtual std::string lastOpenError() const = 0;
    // May throw dut::PortListError.
    virtual std::vector<std::string> listPorts(const std::string& prefix) = 0;
};

// The real line.
class SerialPortControl : public PortControl {
  public:
    explicit SerialPortControl(SerialPort& port) : port_(port) {}

    bool open(const std::string& name) override;
    void close() override;
    std::string lastOpenError() const override;
    std::vector<std::string> listPorts(const std::string& prefix) override;

  private:
    SerialPort& port_;
};

}  // namespace dut::config
