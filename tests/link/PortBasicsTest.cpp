// Port behaviour that needs no device: name handling, the device-name walk, and a port
// that is not open. Built for every platform.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DeviceNames.h"
#include "PortInfo.h"
#include "SerialPort.h"

namespace {

using namespace dut::devnames;
using Names = std::vector<std::string>;

TEST(DeviceNamespace, PrefixIsAddedOnceAndOnlyWhenMissing) {
    EXPECT_EQ(withDeviceNamespace("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(withDeviceNamespace("\\\\.\\COM12"), "\\\\.\\COM12");
    // "Contained anywhere" counts, not only in front.
    EXPECT_EQ(withDeviceNamespace("x\\\\.\\COM3"), "x\\\\.\\COM3");
    EXPECT_EQ(withDeviceNamespace("\\\\?\\COM3"), "\\\\.\\\\\\?\\COM3");
    EXPECT_EQ(withDeviceNamespace(""), "\\\\.\\");
    EXPECT_EQ(std::string(kDeviceNamespace).size(), 4u);
}

TEST(DeviceNamespace, OpenUsesThePlatformsRule) {
#ifdef _WIN32
    EXPECT_EQ(dut::SerialPort::devicePath("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(dut::SerialPort::devicePath("\\\\.\\COM1"), "\\\\.\\COM1");
#else
    EXPECT_EQ(dut::SerialPort::devicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(dut::SerialPort::devicePath("COM1"), "COM1");
#endif
}

Names split(const std::string& table, const std::string& prefix) {
    return splitAndFilter(table.data(), table.size(), prefix);
}

TEST(DeviceNameList, OrderKeptAndPrefixCaseSensitive) {
    const std::string table("COM10\0LPT1\0COM2\0com3\0COM2\0AUX\0\0", 32);
    EXPECT_EQ(split(table, "COM"), (Names{"COM10", "COM2", "COM2"}));
    EXPECT_EQ(split(table, ""), (Names{"COM10", "LPT1", "COM2", "com3", "COM2", "AUX"}));
    EXPECT_EQ(split(table, "COM1"), (Names{"COM10"}));
}

TEST(DeviceNameList, StopsAtTheFirstEmptyNameOrTheEnd) {
    EXPECT_EQ(split(std::string("COM1\0\0COM2\0\0", 12), "COM"), (Names{"COM1"}));
    EXPECT_EQ(split(std::string("\0COM1\0\0", 7), "COM"), Names{});
    EXPECT_EQ(split(std::string(), "COM"), Names{});
    // Cut without a terminator: the last name still counts, nothing is read past the end.
    EXPECT_EQ(split(std::string("COM1\0COM7", 9), "COM"), (Names{"COM1", "COM7"}));
    EXPECT_EQ(split(std::string("LPT1\0NUL\0\0", 10), "COM"), Names{});
}

// A fake of the system's query: the table it holds, how it reports a short buffer.
struct FakeQuery {
    std::string table;
    bool reportsLength = false;
    std::uint32_t otherError = 0;
    std::vector<std::uint32_t> sizesAsked{};

    explicit FakeQuery(std::string t, bool length = false, std::uint32_t error = 0)
        : table(std::move(t)), reportsLength(length), otherError(error) {}

    QueryResult operator()(char* buffer, std::uint32_t size) {
        sizesAsked.push_back(size);
        if (otherError != 0) return {0, otherError};
        if (table.size() > size) {
            return {reportsLength ? static_cast<std::uint32_t>(table.size()) : 0u,
                    kErrorInsufficientBuffer};
        }
        std::copy(table.begin(), table.end(), buffer);
        return {static_cast<std::uint32_t>(table.size()), 0};
    }
};

std::string message(std::uint32_t code) {
    return "error " + std::to_string(code);
}

TEST(DeviceNameQuery, FitsAtOnceInTheFirstBuffer) {
    FakeQuery fake(std::string("COM1\0COM2\0\0", 11));
    const std::string got = queryAll(std::ref(fake), message);
    EXPECT_EQ(got, fake.table);  // cut to the length returned
    EXPECT_EQ(fake.sizesAsked, (std::vector<std::uint32_t>{5120}));
}

TEST(DeviceNameQuery, BufferGrowsBy1024WithoutALengthOrToLengthPlus1024WithOne) {
    FakeQuery stepwise(std::string(7000, 'A') + std::string("\0\0", 2));
    EXPECT_EQ(queryAll(std::ref(stepwise), message).size(), 7002u);
    EXPECT_EQ(stepwise.sizesAsked, (std::vector<std::uint32_t>{5120, 6144, 7168}));

    FakeQuery told(std::string(20000, 'B'), true);
    EXPECT_EQ(queryAll(std::ref(told), message).size(), 20000u);
    EXPECT_EQ(told.sizesAsked, (std::vector<std::uint32_t>{5120, 21024}));
}

TEST(DeviceNameQuery, OtherErrorsRaiseTheSystemsMessage) {
    FakeQuery failing("", false, 5);
    try {
        queryAll(std::ref(failing), message);
        ADD_FAILURE() << "no error raised";
    } catch (const dut::PortListError& e) {
        EXPECT_EQ(std::string(e.what()), "error 5");
    }
    EXPECT_EQ(failing.sizesAsked.size(), 1u);
}

TEST(DeviceNameQuery, ANeverEndingShortBufferEndsInAnError) {
    int calls = 0;
    auto greedy = [&calls](char*, std::uint32_t) {
        ++calls;
        return QueryResult{0, kErrorInsufficientBuffer};
    };
    EXPECT_THROW(queryAll(greedy, message), dut::PortListError);
    EXPECT_GT(calls, 1);
    EXPECT_LT(calls, 100000);
}

TEST(DeviceNameQuery, EmptyTableIsNoError) {
    FakeQuery none(std::string("\0", 1));
    const std::string got = queryAll(std::ref(none), message);
    EXPECT_TRUE(splitAndFilter(got.data(), got.size(), "COM").empty());
    FakeQuery zero("");  // a call that returns nothing and reports nothing
    EXPECT_TRUE(queryAll(std::ref(zero), message).empty());
}

TEST(ClosedPort, EveryOperationReturnsAtOnce) {
    dut::SerialPort port;
    EXPECT_FALSE(port.isOpen());
    std::uint8_t frame[15] = {};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(port.flushInput());
        EXPECT_FALSE(port.write(frame, sizeof frame));
        EXPECT_EQ(port.read(frame, sizeof frame, 160), 0u);
        EXPECT_EQ(port.read(frame, sizeof frame), 0u);
    }
    // Waiting out even one read bound per call would take 40 x 160 ms.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    port.close();  // harmless when nothing is open
    EXPECT_FALSE(port.isOpen());
}

TEST(ClosedPort, OpeningAMissingDeviceLeavesNoHandle) {
#ifdef _WIN32
    const std::string missing = "COM250";
#else
    const std::string missing = "/dev/no-such-serial-device-here";
#endif
    dut::SerialPort port;
    EXPECT_FALSE(port.open(missing));
    EXPECT_FALSE(port.isOpen());
    const int why = port.lastErrorCode();
    EXPECT_NE(why, 0);
    std::uint8_t frame[15] = {};
    EXPECT_FALSE(port.write(frame, sizeof frame));
    EXPECT_EQ(port.lastErrorCode(), why) << "no device, no system call: the open's reason stays";
}

TEST(PortList, DoesNotThrowForTheCommonPrefix) {
    std::vector<std::string> ports;
    ASSERT_NO_THROW(ports = dut::SerialPort::listPorts("COM"));
    for (const std::string& name : ports) {
#ifdef _WIN32
        EXPECT_EQ(name.rfind("COM", 0), 0u) << name;
#else
        EXPECT_EQ(name.rfind("/dev/", 0), 0u) << name;
#endif
    }
}

}  // namespace

TEST(PortInfoNames, AFriendlyNameIsFoundByPortNameInAnySpelling) {
    const std::vector<dut::FriendlyName> list = {
        {"COM3", "USB-SERIAL CH340 (COM3)"},
        {"COM12", "Silicon Labs CP210x USB to UART Bridge (COM12)"},
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"COM3", "USB-SERIAL CH340 (COM3)"},
        {"com3", "USB-SERIAL CH340 (COM3)"},
        {"\\\\.\\COM12", "Silicon Labs CP210x USB to UART Bridge (COM12)"},
        {"COM1", ""},
        {"COM", ""},
        {"", ""},
    };
    for (const auto& [port, expected] : cases) {
        EXPECT_EQ(dut::friendlyNameFor(port, list), expected) << port;
        dut::PortInfo info;
        info.friendlyName = dut::friendlyNameFor(port, list);
        info.product = "ignored when a friendly name is known";
        EXPECT_EQ(info.description(), expected.empty() ? info.product : expected) << port;
    }
}
