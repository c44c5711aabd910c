#pragma once

// The configurator wired to the simulated sensor on a real pseudo-terminal through the real
// SerialPort, with a FaultPort in between for the few exchanges a test must break.

#include <gtest/gtest.h>

#include <vector>

#include "ConfigFakes.h"
#include "FastSensor.h"
#include "PtySensor.h"
#include "SensorParams.h"
#include "SensorRequests.h"

namespace cfgtest {

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
    // Opened as the program's connect leaves it: one read has told the link that this line
    // does not echo, so a copy of a request is the sensor's own answer. Nothing recorded.
    void openConnectedLine() {
        openLine();
        ASSERT_TRUE(link.read(dut::param::kSensorNumber).has_value());
        ASSERT_EQ(link.adapterEcho(), dut::ConfigLink::AdapterEcho::Quiet);
        sensor.clearRequests();
    }

    std::vector<Request> requests() const { return testsupport::requestsSeenBy(sensor); }

    sim::PtySensor sensor{testsupport::fastSensorOptions()};
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

}  // namespace cfgtest
