#pragma once

// The configurator wired to the simulated sensor on a real pseudo-terminal through the real
// SerialPort, with a FaultPort in between for the few exchanges a test must break.

#include <gtest/gtest.h>

#include <vector>

#include "ConfigFakes.h"
#include "PtySensor.h"

namespace cfgtest {

inline sim::PtySensorOptions fastLine() {
    sim::PtySensorOptions options;
    options.paced = false;
    options.turnaroundMs = 0;
    return options;
}

class SimLineTest : public ::testing::Test {
  protected:
    SimLineTest() : control(&serialControl), view(log), notifier(log) {}

    void SetUp() override {
        ASSERT_TRUE(sensor.start());
        sensor.freezeRaw(true);
        sensor.setParam(0, 1000);
        view.port = sensor.devicePath();
    }

    void TearDown() override {
        serial.close();
        sensor.stop();
    }

    // Opens the line directly, for tests that need an open port but not the connect sequence.
    void openLine() { ASSERT_TRUE(serial.open(sensor.devicePath())); }

    std::vector<Request> requests() const {
        std::vector<Request> out;
        for (const auto& frame : sensor.requests()) out.push_back(decode(frame.data()));
        return out;
    }

    sim::PtySensor sensor{fastLine()};
    dut::SerialPort serial;
    FaultPort port{serial};
    dut::LinkState state;
    dut::ConfigLink link{port, state};
    dut::config::SerialPortControl serialControl{serial};
    CountingPortControl control;
    EventLog log;
    RecordingMainView view;
    FakeNotifier notifier;
};

constexpr std::uint8_t kRead = 1;
constexpr std::uint8_t kWrite = 2;

}  // namespace cfgtest
