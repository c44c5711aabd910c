// The Win32 serial backend against simulated sensors on COM ports. Under Wine the ports
// are pseudo-terminals mapped through the registry (scripts/windows-tests.sh); on a real
// Windows machine any COM port wired to the same kind of sensor will do.
//
// Environment (a test whose variable is missing is skipped and says why):
//   DUT_WINE_COM         a sensor answering normally, started with --number 4321 --raw 1234
//   DUT_WINE_COM_BADCRC  a sensor whose every third answer has a wrong CRC-8
//   DUT_WINE_COM_SILENT  a sensor that never answers
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "Crc8.h"
#include "FrameLine.h"
#include "LinkState.h"
#include "PortInfo.h"
#include "RequestFrame.h"
#include "SerialPort.h"

namespace {

using dut::ConfigLink;
using dut::SerialPort;

constexpr std::int32_t kSensorNumber = 4321;  // parameter 7 of the DUT_WINE_COM sensor
constexpr std::int32_t kRawValue = 1234;      // its parameter 0, held still
constexpr std::uint8_t kParamRaw = 0;
constexpr std::uint8_t kParamFull = 4;
constexpr std::uint8_t kParamNumber = 7;

// The tick count moves in 16 ms steps under Wine; the performance counter does not.
class Stopwatch {
  public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) /
               static_cast<double>(frequency_.QuadPart);
    }

  private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

#define PORT_FROM_ENV(variable, name)                                               \
    const std::string variable = env(name);                                         \
    if (variable.empty()) {                                                         \
        GTEST_SKIP() << name << " is not set: no simulated sensor to talk to (run " \
                     << "scripts/windows-tests.sh, or point it at a COM port)";     \
    }

HANDLE handleOf(const SerialPort& port) {
    return reinterpret_cast<HANDLE>(port.nativeHandle());
}

DWORD inputQueue(const SerialPort& port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(port), &errors, &status)) return 0;
    return status.cbInQue;
}

// Waits (bounded) until the driver holds at least count received bytes.
bool waitForInput(const SerialPort& port, DWORD count, double limitMs = 10000) {
    const Stopwatch watch;
    while (watch.ms() < limitMs) {
        if (inputQueue(port) >= count) return true;
        Sleep(5);
    }
    return inputQueue(port) >= count;
}

ConfigLink::Frame request(std::uint8_t operation, std::uint8_t parameter, std::int32_t value) {
    return ConfigLink::buildRequest(0, ConfigLink::kAccessCode, operation, parameter, value);
}

// One request and its answer through the framing, without retries.
bool exchange(SerialPort& port, std::uint8_t parameter, std::int32_t* value = nullptr) {
    dut::FrameLine frames(port);
    auto frame = request(ConfigLink::kOpRead, parameter, ConfigLink::kReadValue);
    if (!frames.send(frame.data(), frame.size())) return false;
    std::uint8_t answer[ConfigLink::kFrameSize] = {};
    if (!frames.receive(answer, sizeof answer)) return false;
    if (value != nullptr) *value = testsupport::frameValue(answer);
    return true;
}

// ---- open ----------------------------------------------------------------------------

TEST(Win32Open, BareNameAndNamespaceNameOpenTheSameDevice) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    for (const std::string& name : {com, std::string("\\\\.\\") + com}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(SerialPort::devicePath(name), "\\\\.\\" + com);
        SerialPort port;
        ASSERT_TRUE(port.open(name));
        EXPECT_TRUE(port.isOpen());
        std::int32_t number = 0;
        // The answer proves that the sensor, not just some device, sits behind the name.
        bool answered = false;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
            answered = exchange(port, kParamNumber, &number);
        }
        EXPECT_TRUE(answered);
        EXPECT_EQ(number, kSensorNumber);
        port.close();
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(port.nativeHandle(), -1);
    }
}

TEST(Win32Open, MissingPortFailsWithoutHandle) {
    SerialPort port;
    dut::FrameLine frames(port);
    EXPECT_FALSE(port.open("COM251"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.nativeHandle(), -1);
    // The system's own reason, kept for the user.
    EXPECT_EQ(port.lastErrorCode(), static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(port.lastErrorMessage().empty());
    EXPECT_EQ(port.lastErrorMessage().find("System error"), std::string::npos)
        << port.lastErrorMessage();
    std::uint8_t buffer[15] = {};
    const Stopwatch watch;
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(frames.send(buffer, sizeof buffer));
        EXPECT_FALSE(frames.receive(buffer, sizeof buffer));
        EXPECT_EQ(port.read(buffer, sizeof buffer), 0u);
    }
    // Nothing to wait for without a device; one read bound per call would be 40 x 160 ms.
    EXPECT_LT(watch.ms(), 2000.0);
}

TEST(Win32Open, SecondOpenOfAHeldPortFails) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort first;
    ASSERT_TRUE(first.open(com));
    SerialPort second;
    if (second.open(com)) {
        second.close();
        GTEST_SKIP() << "the system let a second handle open " << com
                     << " (Wine does not enforce exclusive opens of serial devices); "
                        "exclusive access stays covered by the Linux serial tests";
    }
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.nativeHandle(), -1);
    EXPECT_TRUE(first.isOpen());
}

TEST(Win32Open, ReopenAfterCloseWorks) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(port.open(com));
        // open() on an open port closes the old device first.
        ASSERT_TRUE(port.open(com));
        ConfigLink::Frame frame = request(ConfigLink::kOpRead, kParamRaw, 1);
        EXPECT_TRUE(frames.send(frame.data(), frame.size()));
        port.close();
        EXPECT_FALSE(port.isOpen());
    }
}

// ---- line settings and time-outs -----------------------------------------------------

TEST(Win32Settings, LineSettingsReadBackFromTheDriver) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(handleOf(port), &dcb));
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_FALSE(dcb.fParity);
    EXPECT_FALSE(dcb.fOutxCtsFlow);
    EXPECT_FALSE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
    // DTR and RTS control are left out: Wine reports them from the tty's modem lines,
    // which a pseudo-terminal does not have.
}

TEST(Win32Settings, ReadTimeoutsReadBackFromTheDriver) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(handleOf(port), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 30u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 10u);
}

// ---- read time-outs in action --------------------------------------------------------

TEST(Win32Timing, NothingArrivingEndsAtTheTotalBound) {
    PORT_FROM_ENV(com, "DUT_WINE_COM_SILENT");
    SerialPort port;
    dut::FrameLine frames(port);
    ASSERT_TRUE(port.open(com));
    auto frame = request(ConfigLink::kOpRead, kParamRaw, 1);
    ASSERT_TRUE(frames.send(frame.data(), frame.size()));
    std::uint8_t answer[15] = {};
    const Stopwatch watch;
    EXPECT_FALSE(frames.receive(answer, sizeof answer));
    const double elapsed = watch.ms();
    // 15 x 10 ms + 10 ms = 160 ms, waited out by the driver itself.
    EXPECT_GT(elapsed, 100.0);
    EXPECT_LT(elapsed, 2000.0);

    const Stopwatch plain;
    EXPECT_EQ(port.read(answer, sizeof answer), 0u);
    const double plainElapsed = plain.ms();
    EXPECT_GT(plainElapsed, 100.0);
    EXPECT_LT(plainElapsed, 2000.0);
}

TEST(Win32Timing, AGivenTotalBoundReplacesTheUsualOneForOneRead) {
    PORT_FROM_ENV(com, "DUT_WINE_COM_SILENT");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    std::uint8_t buffer[15] = {};
    const Stopwatch watch;
    EXPECT_EQ(port.read(buffer, sizeof buffer, 600), 0u);
    const double elapsed = watch.ms();
    // 600 ms instead of the 160 ms that 15 bytes get otherwise.
    EXPECT_GT(elapsed, 450.0);
    EXPECT_LT(elapsed, 3000.0);
    // The line's usual bounds are back for the reads that follow.
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(handleOf(port), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 30u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 10u);
    // Nothing left of a bound: no read at all.
    const Stopwatch none;
    EXPECT_EQ(port.read(buffer, sizeof buffer, 0), 0u);
    EXPECT_LT(none.ms(), 100.0);
}

// Sends a read of the sensor number, lets the whole answer arrive and takes its first ten
// bytes, so that five stay behind in the driver and nothing more comes.
void leaveFiveBytes(SerialPort& port, std::uint8_t* head) {
    dut::FrameLine frames(port);
    auto frame = request(ConfigLink::kOpRead, kParamNumber, 1);
    ASSERT_TRUE(frames.send(frame.data(), frame.size()));
    ASSERT_TRUE(waitForInput(port, 15));
    ASSERT_EQ(port.read(head, 10), 10u);
    ASSERT_EQ(inputQueue(port), 5u);
}

TEST(Win32Timing, FiveBytesThenSilenceEndAfterTheIntervalRule) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    std::uint8_t answer[210] = {};
    ASSERT_NO_FATAL_FAILURE(leaveFiveBytes(port, answer));

    // 200 bytes asked for: the total bound alone would hold the read for 2010 ms.
    const Stopwatch watch;
    const std::size_t got = port.read(answer + 10, 200);
    const double elapsed = watch.ms();
    ASSERT_EQ(got, 5u);
    EXPECT_EQ(testsupport::frameValue(answer), kSensorNumber);
    EXPECT_EQ(answer[14], dut::crc8(answer, 14));
    // About 30 ms of silence after the last byte; never at once.
    EXPECT_GT(elapsed, 15.0);
    EXPECT_LT(elapsed, 1500.0);
}

TEST(Win32Timing, FiveBytesAreNoFrame) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    ASSERT_TRUE(port.open(com));
    std::uint8_t answer[15] = {};
    ASSERT_NO_FATAL_FAILURE(leaveFiveBytes(port, answer));
    const Stopwatch watch;
    EXPECT_FALSE(frames.receive(answer, sizeof answer));
    EXPECT_LT(watch.ms(), 2000.0);
    // The five bytes were taken, not left for the next exchange.
    EXPECT_EQ(inputQueue(port), 0u);
}

TEST(Win32Timing, AnswerArrivingThenSilenceReturnsWhatCame) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    ASSERT_TRUE(port.open(com));
    auto frame = request(ConfigLink::kOpRead, kParamNumber, 1);
    ASSERT_TRUE(frames.send(frame.data(), frame.size()));
    // Asks for more than the sensor sends: 15 bytes come, then the line stays quiet.
    std::uint8_t buffer[200] = {};
    const Stopwatch watch;
    const std::size_t got = port.read(buffer, sizeof buffer);
    const double elapsed = watch.ms();
    ASSERT_EQ(got, 15u);
    EXPECT_EQ(buffer[14], dut::crc8(buffer, 14));
    EXPECT_EQ(testsupport::frameValue(buffer), kSensorNumber);
    // The total bound for 200 bytes would be 2010 ms.
    EXPECT_LT(elapsed, 1500.0);
}

// ---- send, receive, transact ---------------------------------------------------------

TEST(Win32Exchange, SendFillsInTheCrcAndTheSensorAnswers) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    ASSERT_TRUE(port.open(com));
    auto frame = request(ConfigLink::kOpRead, kParamRaw, 1);
    frame[14] = 0x00;  // whatever the caller left there, send puts the right CRC-8 in
    bool answered = false;
    std::uint8_t answer[15] = {};
    for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
        ASSERT_TRUE(frames.send(frame.data(), frame.size()));
        answered = static_cast<bool>(frames.receive(answer, sizeof answer));
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(testsupport::frameValue(answer), kRawValue);
    // The caller's frame is not touched.
    EXPECT_EQ(frame[14], 0x00);

    // Fourteen bytes of a good answer are no frame.
    ASSERT_TRUE(frames.send(frame.data(), frame.size()));
    ASSERT_TRUE(waitForInput(port, 15));
    EXPECT_FALSE(frames.receive(answer, 14));
}

TEST(Win32Exchange, SendDiscardsStaleInput) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    ASSERT_TRUE(port.open(com));
    // A request nobody reads the answer to: its 15 bytes wait in the driver's queue.
    auto stale = request(ConfigLink::kOpRead, kParamNumber, 1);
    ASSERT_TRUE(frames.send(stale.data(), stale.size()));
    ASSERT_TRUE(waitForInput(port, 15));
    ASSERT_EQ(inputQueue(port), 15u);

    dut::LinkState state;
    ConfigLink link(port, state);
    const auto value = link.read(kParamRaw);
    ASSERT_TRUE(value);
    // Had the stale answer been taken, the value would be the sensor number.
    EXPECT_EQ(*value, kRawValue);
    EXPECT_TRUE(state.linkFlag);
    EXPECT_EQ(inputQueue(port), 0u);
}

// The monitor waits for its first byte by watching the driver's input count, never by a read
// that would block the window.
TEST(Win32InputCount, CountsWhatTheDriverHoldsWithoutTakingIt) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    dut::FrameLine frames(port);
    EXPECT_EQ(port.bytesWaiting(), 0u) << "no port open";
    ASSERT_TRUE(port.open(com));
    EXPECT_EQ(port.bytesWaiting(), 0u);

    auto frame = request(ConfigLink::kOpRead, kParamRaw, 1);
    ASSERT_TRUE(frames.send(frame.data(), frame.size()));
    const Stopwatch watch;
    while (port.bytesWaiting() < 15 && watch.ms() < 1000) Sleep(5);
    ASSERT_EQ(port.bytesWaiting(), 15u);
    // Looking did not take anything: the whole answer is still there to read.
    EXPECT_EQ(port.bytesWaiting(), 15u);
    std::uint8_t answer[15] = {};
    EXPECT_TRUE(frames.receive(answer, sizeof answer));
    EXPECT_EQ(port.bytesWaiting(), 0u);
    port.close();
    EXPECT_EQ(port.bytesWaiting(), 0u);
}

TEST(Win32Exchange, TransactWritesAndReadsBack) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    dut::LinkState state;
    ConfigLink link(port, state);
    const auto number = link.read(kParamNumber);
    ASSERT_TRUE(number);
    EXPECT_EQ(*number, kSensorNumber);
    for (const std::int32_t level : {3000, 0, 4095}) {
        SCOPED_TRACE(level);
        ASSERT_TRUE(link.write(kParamFull, level));
        const auto readBack = link.read(kParamFull, ConfigLink::kReadBackValue);
        ASSERT_TRUE(readBack);
        EXPECT_EQ(*readBack, level);
        EXPECT_TRUE(state.linkFlag);
    }
}

TEST(Win32Exchange, TransactRetriesAfterABadCrc) {
    PORT_FROM_ENV(com, "DUT_WINE_COM_BADCRC");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    // Find where the sensor is in its cycle of two good answers and one bad.
    bool sawBad = false;
    for (int i = 0; i < 3 && !sawBad; ++i) sawBad = !exchange(port, kParamNumber);
    ASSERT_TRUE(sawBad) << "no bad answer among three";
    EXPECT_TRUE(exchange(port, kParamNumber));
    EXPECT_TRUE(exchange(port, kParamNumber));

    // The next answer is the bad one: the first attempt fails, the second succeeds.
    dut::LinkState state;
    ConfigLink link(port, state);
    const Stopwatch watch;
    const auto value = link.read(kParamNumber);
    EXPECT_TRUE(value);
    EXPECT_TRUE(state.linkFlag);
    EXPECT_GT(value.value_or(0), 0);
    // A bad answer arrives whole, so the retry costs no time-out.
    EXPECT_LT(watch.ms(), 1000.0);

    // Exactly two answers were used: one more good, then the bad one again.
    EXPECT_TRUE(exchange(port, kParamNumber));
    EXPECT_FALSE(exchange(port, kParamNumber));
}

TEST(Win32Exchange, SilentSensorFailsAfterSixteenAttempts) {
    PORT_FROM_ENV(com, "DUT_WINE_COM_SILENT");
    SerialPort port;
    ASSERT_TRUE(port.open(com));
    dut::LinkState state;
    state.linkFlag = true;
    ConfigLink link(port, state);
    const Stopwatch watch;
    EXPECT_EQ(link.read(kParamRaw), std::nullopt);  // no value after the last attempt
    const double elapsed = watch.ms();
    EXPECT_FALSE(state.linkFlag);
    // 16 x 160 ms = 2.56 s.
    EXPECT_GT(elapsed, 1600.0);
    EXPECT_LT(elapsed, 8000.0);
}

// ---- listing ---------------------------------------------------------------------------

TEST(Win32List, MappedPortsAreListedUnderTheComPrefix) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    const auto ports = SerialPort::listPorts("COM");
    EXPECT_NE(std::find(ports.begin(), ports.end(), com), ports.end());
    for (const std::string& name : ports) EXPECT_EQ(name.rfind("COM", 0), 0u) << name;

    for (const char* other : {"DUT_WINE_COM_BADCRC", "DUT_WINE_COM_SILENT"}) {
        const std::string name = env(other);
        if (!name.empty()) {
            EXPECT_NE(std::find(ports.begin(), ports.end(), name), ports.end()) << name;
        }
    }
    // The prefix is compared case-sensitively and must match from the start.
    EXPECT_TRUE(SerialPort::listPorts("com").empty());
    const auto exact = SerialPort::listPorts(com);
    EXPECT_NE(std::find(exact.begin(), exact.end(), com), exact.end());
    // The listed name is the one open() takes.
    SerialPort port;
    EXPECT_TRUE(port.open(com));
}

TEST(Win32List, UnknownPrefixGivesAnEmptyListWithoutError) {
    std::vector<std::string> ports;
    EXPECT_NO_THROW(ports = SerialPort::listPorts("NO_SUCH_DEVICE_"));
    EXPECT_TRUE(ports.empty());
    // Other kinds of devices are in the table too, so the walk did read something.
    EXPECT_FALSE(SerialPort::listPorts("").empty());
}

}  // namespace

// Wine keeps its COM ports out of the device registry's Ports class, so the friendly
// name is proved by the pure test of the matching; here the real SetupAPI walk must run
// to its end and leave a plain entry rather than fail.
TEST(Win32List, DescribingAMappedPortNeverFails) {
    PORT_FROM_ENV(com, "DUT_WINE_COM");
    const dut::PortInfo info = dut::describePort(com);
    EXPECT_EQ(info.path, com);
    if (!info.friendlyName.empty()) {
        EXPECT_NE(info.friendlyName.find(com), std::string::npos) << info.friendlyName;
    }
    std::cout << "friendly name of " << com << ": \"" << info.friendlyName << "\"\n";
}
