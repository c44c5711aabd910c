// A sensor that answers late, on a line paced like a real one: answers owed to one request
// arrive while the next is read. Polling back to back, with bad CRCs mixed in, the current
// value must only ever show the raw value and the output level only the output level, and the
// full and empty commands must only ever write the raw value. A sensor that does not echo the
// parameter number is still connected and calibrated.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "CalibrationCommands.h"
#include "ConfigFakes.h"
#include "ConnectionController.h"
#include "PtySensor.h"
#include "SensorRequests.h"

namespace cfgtest {
namespace {

using dut::config::CalibrationCommands;
using dut::config::ConnectionController;

constexpr std::int32_t kRaw = 1000;

struct LateCase {
    int lateMs;
    double badCrcRate;
};

class LateAnswers : public ::testing::TestWithParam<LateCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sensor.start());
        sensor.freezeRaw(true);
        sensor.setParam(0, kRaw);
        sensor.setParam(4, 3000);
        sensor.setParam(5, 100);
        view.port = sensor.devicePath();
    }
    void TearDown() override {
        serial.close();
        sensor.stop();
    }

    void setFaults(int lateMs, double badCrcRate, bool noEcho) {
        sim::SensorFaults faults;
        faults.lateMs = lateMs;
        faults.badCrcRate = badCrcRate;
        faults.seed = 7;
        faults.noEcho = noEcho;
        sensor.setFaults(faults);
    }

    // Every text the current value and output level boxes showed.
    std::set<std::string> shown(const std::string& prefix) const {
        std::set<std::string> out;
        for (const std::string& entry : log) {
            if (entry.rfind(prefix, 0) == 0) out.insert(entry.substr(prefix.size()));
        }
        return out;
    }

    std::vector<Request> writesOf(std::uint8_t parameter) const {
        std::vector<Request> out;
        for (const Request& r : testsupport::requestsSeenBy(sensor)) {
            if (r.operation == 2 && r.parameter == parameter) out.push_back(r);
        }
        return out;
    }

    sim::PtySensor sensor{sim::PtySensorOptions{}};  // paced, with its 2 ms turnaround
    dut::SerialPort serial;
    dut::LinkState state;
    dut::ConfigLink link{serial, state};
    dut::config::SerialPortControl control{serial};
    EventLog log;
    RecordingMainView view{log};
    FakeNotifier notifier{log};
    ConnectionController controller{control, link, view};
    CalibrationCommands commands{link, controller.values(), view, notifier, [] {}};
};

TEST_P(LateAnswers, NoBoxShowsAnotherParametersValueAndCommandsWriteOnlyTheRawValue) {
    const std::int32_t output = sensor.param(6);
    ASSERT_NE(output, kRaw);
    controller.Button1Click();
    ASSERT_TRUE(state.linkFlag) << "the sensor could not be connected";
    ASSERT_TRUE(link.echoesParameter());

    setFaults(GetParam().lateMs, GetParam().badCrcRate, false);
    // Ticks back to back, as when every exchange overruns the 200 ms of the timer.
    for (int i = 0; i < 9; ++i) {
        controller.Timer2Timer();
        if (!state.linkFlag) controller.Button1Click();
    }
    if (!view.currentValue.empty()) commands.Button2Click();
    if (!view.currentValue.empty()) commands.Button3Click();

    for (const std::string& text : shown("setCurrentValueText(")) {
        EXPECT_EQ(text, std::to_string(kRaw) + ")") << "the current value showed another value";
    }
    for (const std::string& text : shown("setOutputLevelText(")) {
        EXPECT_EQ(text, std::to_string(output) + ")") << "the output level showed another value";
    }
    for (std::uint8_t level : {4, 5}) {
        for (const Request& write : writesOf(level)) EXPECT_EQ(write.value, kRaw);
    }
}

INSTANTIATE_TEST_SUITE_P(Sensor, LateAnswers,
                         ::testing::Values(LateCase{150, 0.0}, LateCase{200, 0.0},
                                           LateCase{155, 0.3}),
                         [](const ::testing::TestParamInfo<LateCase>& info) {
                             return "Late" + std::to_string(info.param.lateMs) +
                                    (info.param.badCrcRate > 0 ? "WithBadCrcs" : "");
                         });

class NoEcho : public LateAnswers {};

TEST_F(NoEcho, ASensorThatDoesNotEchoStillConnectsAndCalibrates) {
    setFaults(0, 0.0, true);
    controller.Button1Click();
    ASSERT_TRUE(state.linkFlag);
    EXPECT_FALSE(link.echoesParameter());
    EXPECT_EQ(state.sensorNumber, sensor.param(7));
    controller.Timer2Timer();  // the raw value
    ASSERT_EQ(view.currentValue, std::to_string(kRaw));
    commands.Button2Click();
    EXPECT_EQ(notifier.messages.back(), "Максимальный уровень установлен!");
    EXPECT_EQ(sensor.param(4), kRaw);
}

}  // namespace
}  // namespace cfgtest
