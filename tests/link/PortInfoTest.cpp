// The adapter descriptions read from a made-up sysfs tree and by-id folder: what real
// kernels lay out for a USB serial converter, a CDC-ACM modem, a built-in UART, and entries
// that are missing or odd.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PortInfo.h"

namespace {

namespace fs = std::filesystem;

class FakeSystem {
  public:
    FakeSystem() : root_(fs::temp_directory_path() / ("portinfo-" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "class/tty");
        fs::create_directories(root_ / "by-id");
        fs::create_directories(root_ / "dev");
    }
    ~FakeSystem() { fs::remove_all(root_); }

    // A tty whose device link points at devices/<devicePath>; attributes are written on
    // the USB device, which is devices/<usbDevice>.
    void tty(const std::string& name, const std::string& devicePath) {
        fs::create_directories(root_ / "devices" / devicePath);
        fs::create_directories(root_ / "class/tty" / name);
        fs::create_directory_symlink(root_ / "devices" / devicePath,
                                     root_ / "class/tty" / name / "device");
        std::ofstream(root_ / "dev" / name) << "";
    }
    void attr(const std::string& usbDevice, const std::string& key, const std::string& value) {
        std::ofstream(root_ / "devices" / usbDevice / key, std::ios::binary) << value;
    }
    void byId(const std::string& link, const std::string& name) {
        fs::create_symlink("../dev/" + name, root_ / "by-id" / link);
    }
    std::string dev(const std::string& name) const { return (root_ / "dev" / name).string(); }
    dut::PortInfoSources sources() const {
        return {(root_ / "class/tty").string(), (root_ / "by-id").string()};
    }

  private:
    fs::path root_;
};

TEST(PortInfoTest, DescribesEachKindOfPortAndNeverFailsOnOddEntries) {
    FakeSystem sys;
    sys.tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    for (const auto& [k, v] :
         std::vector<std::pair<std::string, std::string>>{{"idVendor", "0403\n"},
                                                          {"idProduct", "6001\n"},
                                                          {"product", "FT232R USB UART\n"},
                                                          {"manufacturer", "FTDI\n"},
                                                          {"serial", "A50285BI\n"}}) {
        sys.attr("usb1/1-1", k, v);
    }
    sys.byId("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");

    sys.tty("ttyACM0", "usb1/1-2/1-2:1.0");  // CDC-ACM: the tty's device is the interface
    sys.attr("usb1/1-2", "idVendor", "1a86\n");
    sys.attr("usb1/1-2", "idProduct", "55d3\n");

    sys.tty("ttyS0", "platform/serial8250/tty/ttyS0");  // a built-in UART: nothing to tell

    sys.tty("ttyUSB1", "usb1/1-3/1-3:1.0/ttyUSB1");  // odd strings: not shown
    sys.attr("usb1/1-3", "idVendor", "zz\n");
    sys.attr("usb1/1-3", "idProduct", "6001\n");
    sys.attr("usb1/1-3", "product", std::string("bad\x01name", 8));
    sys.attr("usb1/1-3", "manufacturer", std::string(400, 'M'));
    sys.attr("usb1/1-3", "serial", "\n");

    struct Case {
        std::string name;
        std::string description;
        bool stable;
    };
    const std::vector<Case> cases = {
        {"ttyUSB0", "FT232R USB UART, FTDI, SN A50285BI, 0403:6001", true},
        {"ttyACM0", "1a86:55d3", false},
        {"ttyS0", "", false},
        {"ttyUSB1", "", false},
        {"ttyUSB9", "", false},  // no sysfs entry at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const dut::PortInfo info = dut::describePort(sys.dev(c.name), sys.sources());
        EXPECT_EQ(info.path, sys.dev(c.name));
        EXPECT_EQ(info.description(), c.description);
        EXPECT_EQ(!info.byId.empty(), c.stable) << info.byId;
    }
}

TEST(PortInfoTest, AStableNameFollowsTheDeviceItPointsAtNow) {
    FakeSystem sys;
    sys.tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    sys.tty("ttyUSB1", "usb1/1-1/1-1:1.0/ttyUSB1");
    sys.byId("usb-adapter", "ttyUSB0");
    const std::string stable = dut::findStableName(sys.dev("ttyUSB0"), sys.sources().byIdDir);
    ASSERT_FALSE(stable.empty());
    EXPECT_EQ(dut::resolveStableName(stable), fs::canonical(sys.dev("ttyUSB0")).string());

    // The adapter came back as ttyUSB1: udev points the same name at the new device.
    fs::remove(stable);
    sys.byId("usb-adapter", "ttyUSB1");
    EXPECT_EQ(dut::resolveStableName(stable), fs::canonical(sys.dev("ttyUSB1")).string());
    EXPECT_EQ(dut::findStableName(sys.dev("ttyUSB0"), sys.sources().byIdDir), "");

    // Pulled out and not back: the name resolves to nothing.
    fs::remove(sys.dev("ttyUSB1"));
    EXPECT_EQ(dut::resolveStableName(stable), "");
}

}  // namespace
