#pragma once

#include <string>
#include <vector>

namespace dut {

// What the system knows of the adapter behind a serial device, for telling two adapters
// apart in the port list. Every field may be empty: a missing, unreadable or odd entry
// only makes the description shorter, never an error.
struct PortInfo {
    std::string path;          // the device path, as the port box holds it
    std::string byId;          // its stable name under the by-id folder, if one points at it
    std::string product;       // USB product string
    std::string manufacturer;  // USB manufacturer string
    std::string serial;        // USB serial number
    std::string vidPid;        // "0403:6001"
    std::string friendlyName;  // Windows: the device manager's name, "USB-SERIAL CH340 (COM3)"

    // One line for people: "FT232R USB UART, FTDI, SN A50285BI, 0403:6001"; empty when
    // nothing is known.
    std::string description() const;
};

// Where the system keeps what describePort reads; tests point these at a made-up tree.
struct PortInfoSources {
    std::string sysClassTty = "/sys/class/tty";
    std::string byIdDir = "/dev/serial/by-id";
};

// On Linux from sysfs; on Windows from the device registry (SetupAPI).
PortInfo describePort(const std::string& devicePath, const PortInfoSources& sources = {});

// One port of the Windows device registry: its port name ("COM3") and friendly name.
struct FriendlyName {
    std::string port;
    std::string name;
};
// The friendly name listed for devicePath ("COM3" or "\\.\COM3", any case), or empty.
std::string friendlyNameFor(const std::string& devicePath, const std::vector<FriendlyName>& list);

// The entry of the by-id folder that resolves to devicePath, or empty.
std::string findStableName(const std::string& devicePath, const std::string& byIdDir);

// The device a stable name resolves to now, or empty when it resolves to nothing that exists.
std::string resolveStableName(const std::string& stableName);

}  // namespace dut
