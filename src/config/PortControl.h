#pragma once

#include <string>
#include <vector>

namespace dut {
class SerialPort;
}

namespace dut::config {

// Where the stable adapter names live: DUT_SERIAL_BY_ID_DIR when set (the simulator's
// --by-id-link stands in for udev there), else "/dev/serial/by-id".
std::string serialByIdDir();

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

    // What the system knows of the adapter behind a device, for people; empty when nothing
    // is known. Never throws: an odd entry only makes the text shorter.
    virtual std::string describe(const std::string& /*device*/) { return {}; }
    // The name that keeps pointing at the adapter behind device across a replug, or empty.
    virtual std::string stableName(const std::string& /*device*/) { return {}; }
    // The device a stable name points at now, or empty.
    virtual std::string resolve(const std::string& /*stableName*/) { return {}; }
};

// The real line.
class SerialPortControl : public PortControl {
  public:
    explicit SerialPortControl(SerialPort& port) : port_(port) {}

    bool open(const std::string& name) override;
    void close() override;
    std::string lastOpenError() const override;
    std::vector<std::string> listPorts(const std::string& prefix) override;
    std::string describe(const std::string& device) override;
    std::string stableName(const std::string& device) override;
    std::string resolve(const std::string& stableName) override;

  private:
    SerialPort& port_;
};

}  // namespace dut::config
