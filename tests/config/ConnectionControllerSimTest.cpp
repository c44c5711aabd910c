// The connection controller on a real pseudo-terminal: the connect sequence, the polling
// cadence the sensor sees, the status texts and the automatic reconnect.

#include <gtest/gtest.h>

#include "ConnectionController.h"
#include "SensorLineRecord.h"
#include "SimLine.h"

namespace cfgtest {
namespace {

using dut::config::ConnectionController;

const std::string kConnectedPrefix = "Подключение\r\nустановлено\r\nДУТ № ";
const std::string kLost = "Нет\r\nсоединения!\r\nс датчиком";
const std::string kPortFailed =
    "Не удается\r\nоткрыть порт!\r\nПереподключите переходник USB-RS485";
const std::string kNoNumber = "ДУТ не имеет\r\nномера. Свяжитесь с\r\nпроизводителем";
const std::string kAtStart = "Нет соединения с датчиком";

class ConnectionSimTest : public SimLineTest {
  protected:
    void SetUp() override {
        SimLineTest::SetUp();
        sensor.setParam(3, 17);
        sensor.setParam(4, 3100);
        sensor.setParam(5, 250);
        sensor.setParam(7, 5021);
        sensor.setParam(10, 12);
    }

    std::vector<Request> connectReads() const {
        return {{kRead, 3, 1}, {kRead, 4, 1}, {kRead, 5, 1}, {kRead, 7, 1}, {kRead, 10, 1}};
    }

    ConnectionController controller{control, link, view};
};

TEST_F(ConnectionSimTest, ConnectReadsFiveParametersAndShowsTheVersion) {
    controller.COMSelectSelect();
    EXPECT_EQ(requests(), connectReads());
    EXPECT_EQ(view.address, "17");
    EXPECT_EQ(view.levelMax, "3100");
    EXPECT_EQ(view.levelMin, "250");
    EXPECT_EQ(state.sensorNumber, 5021);
    EXPECT_TRUE(state.linkFlag);
    EXPECT_EQ(view.status, kConnectedPrefix + "5021\r\nВесия:12");
    EXPECT_EQ(view.colour, StatusColour::Green);
    EXPECT_EQ(control.openedNames, std::vector<std::string>{sensor.devicePath()});
}

TEST_F(ConnectionSimTest, PortThatCannotBeOpenedTurnsTheStatusRedAndKeepsTheLinkFlag) {
    view.port = "/nonexistent/dut-adapter";
    state.linkFlag = true;
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, kPortFailed);
    EXPECT_EQ(view.colour, StatusColour::Red);
    EXPECT_TRUE(state.linkFlag);
    EXPECT_TRUE(requests().empty());

    state.linkFlag = false;
    controller.COMSelectSelect();
    EXPECT_FALSE(state.linkFlag);
}

TEST_F(ConnectionSimTest, TheSystemsReasonForAFailedOpenReachesTheView) {
    view.port = "/nonexistent/dut-adapter";
    controller.COMSelectSelect();
    EXPECT_EQ(view.statusReason,
              "Cannot open /nonexistent/dut-adapter: No such file or directory. The adapter is "
              "not plugged in, or the name is wrong.");

    view.port = sensor.devicePath();
    dut::SerialPort other;
    ASSERT_TRUE(other.open(sensor.devicePath()));
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, kPortFailed);
    EXPECT_EQ(view.statusReason, "Cannot open " + sensor.devicePath() +
                                     ": Device or resource busy. Another program holds the port.");

    other.close();
    controller.COMSelectSelect();
    EXPECT_TRUE(state.linkFlag);
    EXPECT_EQ(view.statusReason, "");
}

TEST_F(ConnectionSimTest, BadPortWhileConnectedShowsLossOnlyAfterTheNextRead) {
    controller.COMSelectSelect();
    ASSERT_TRUE(state.linkFlag);
    view.port = "/nonexistent/dut-adapter";
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, kPortFailed);
    EXPECT_TRUE(state.linkFlag);

    controller.Timer2Timer();  // the read fails at once: the port is closed
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(view.status, kPortFailed);
    controller.Timer2Timer();
    EXPECT_EQ(view.status, kLost);
    EXPECT_EQ(view.colour, StatusColour::Red);
}

// A lost link greys the last values without changing them, and says so once in the exchange
// log; the first good read after the reconnect makes them live again.
TEST_F(ConnectionSimTest, LostLinkMarksTheValuesStaleUntilTheNextGoodRead) {
    std::vector<std::string> events;
    controller.setPortEvents([&](const std::string& text) { events.push_back(text); });
    const std::string device = sensor.devicePath();
    controller.COMSelectSelect();
    controller.Timer2Timer();
    controller.Timer2Timer();
    ASSERT_EQ(view.currentValue, "1000");
    EXPECT_EQ(view.liveChanges, 0);  // live from the start: nothing to mark

    port.drop(kRead, 0);
    controller.Timer2Timer();  // an idle tick
    controller.Timer2Timer();  // the raw value's read fails
    ASSERT_FALSE(state.linkFlag);
    controller.Timer2Timer();
    EXPECT_EQ(view.live, std::optional<bool>(false));
    EXPECT_EQ(view.currentValue, "1000");
    EXPECT_EQ(view.outputLevel, std::to_string(sensor.param(6)));
    EXPECT_EQ(view.chart.size(), 1u);

    // Still lost on every tick up to the reconnect: marked once, told once.
    port.clearRules();
    int ticks = 0;
    while (!state.linkFlag && ticks < 20) {
        controller.Timer2Timer();
        ++ticks;
    }
    ASSERT_TRUE(state.linkFlag);
    EXPECT_EQ(view.live, std::optional<bool>(false));  // the connect reads are no poll
    EXPECT_EQ(view.liveChanges, 1);
    controller.Timer2Timer();
    EXPECT_EQ(view.live, std::optional<bool>(true));
    EXPECT_EQ(view.liveChanges, 2);

    controller.COMSelectSelect();  // picked again: closed and opened
    const std::vector<std::string> expected = {
        "Порт открыт: " + device, "Нет связи с датчиком, порт закрыт: " + device,
        "Порт открыт: " + device, "Порт закрыт: " + device, "Порт открыт: " + device};
    EXPECT_EQ(events, expected);
}

TEST_F(ConnectionSimTest, SensorWithoutNumberIsRefused) {
    auto faults = sensor.faults();
    faults.sensorNumberZero = true;
    sensor.setFaults(faults);
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, kNoNumber);
    EXPECT_EQ(view.colour, StatusColour::Green);
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(state.sensorNumber, 0);
    // No version read after the refusal.
    const std::vector<Request> expected = {
        {kRead, 3, 1}, {kRead, 4, 1}, {kRead, 5, 1}, {kRead, 7, 1}};
    EXPECT_EQ(requests(), expected);

    // The next tick disables the commands and paints the same text red.
    controller.Timer2Timer();
    EXPECT_EQ(view.buttonsEnabled, std::optional<bool>(false));
    EXPECT_EQ(view.status, kNoNumber);
    EXPECT_EQ(view.colour, StatusColour::Red);
}

TEST_F(ConnectionSimTest, FailedSensorNumberReadLeavesFieldsFilledAndStatusAsItWas) {
    state.sensorNumber = 77;  // from an earlier connect
    port.drop(kRead, 7);
    controller.COMSelectSelect();
    EXPECT_EQ(view.address, "17");
    EXPECT_EQ(view.levelMax, "3100");
    EXPECT_EQ(view.levelMin, "250");
    EXPECT_EQ(state.sensorNumber, 77);
    EXPECT_EQ(view.status, kAtStart);
    EXPECT_FALSE(state.linkFlag);
    const std::vector<Request> expected = {{kRead, 3, 1}, {kRead, 4, 1}, {kRead, 5, 1}};
    EXPECT_EQ(requests(), expected);
}

TEST_F(ConnectionSimTest, FailedAddressReadStopsTheSequence) {
    port.drop(kRead, 3);
    controller.COMSelectSelect();
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(view.address, "");
    EXPECT_EQ(view.levelMax, "");
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(view.status, kAtStart);
}

TEST_F(ConnectionSimTest, FailedVersionReadLeavesTheConnectedTextWithoutVersion) {
    port.drop(kRead, 10);
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, kConnectedPrefix + "5021");
    EXPECT_EQ(view.colour, StatusColour::Green);
}

TEST_F(ConnectionSimTest, SelectingTheSamePortAgainReconnectsWithAllReads) {
    controller.COMSelectSelect();
    ASSERT_TRUE(state.linkFlag);
    sensor.clearRequests();
    sensor.setParam(10, 13);
    const int closesBefore = control.closes;
    controller.COMSelectSelect();
    EXPECT_EQ(requests(), connectReads());
    EXPECT_EQ(control.closes, closesBefore + 1);
    EXPECT_EQ(control.opens, 2);
    EXPECT_EQ(view.status, kConnectedPrefix + "5021\r\nВесия:13");
}

TEST_F(ConnectionSimTest, PollingReadsRawValueThenOutputLevelThenIdles) {
    controller.COMSelectSelect();
    sensor.clearRequests();
    std::vector<std::vector<Request>> perTick;
    std::size_t seen = 0;
    for (int tick = 0; tick < 9; ++tick) {
        controller.Timer2Timer();
        const auto all = requests();
        perTick.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
        seen = all.size();
    }
    for (int tick = 0; tick < 9; ++tick) {
        SCOPED_TRACE(tick);
        switch (tick % 3) {
            case 0:
                EXPECT_EQ(perTick[tick], (std::vector<Request>{{kRead, 0, 1}}));
                break;
            case 1:
                EXPECT_EQ(perTick[tick], (std::vector<Request>{{kRead, 6, 1}}));
                break;
            default:
                EXPECT_TRUE(perTick[tick].empty());
        }
    }
    EXPECT_EQ(view.currentValue, "1000");
    EXPECT_EQ(view.chart.size(), 3u);
    EXPECT_EQ(view.chart.back().second, 25);
    EXPECT_EQ(*view.axisMin, -75);
    EXPECT_EQ(*view.axisMax, 125);
    EXPECT_EQ(view.progress, std::optional<std::int32_t>(sensor.param(6)));
    EXPECT_EQ(view.outputLevel, std::to_string(sensor.param(6)));
}

TEST_F(ConnectionSimTest, CommandButtonsFollowTheSensorNumberOnEveryTick) {
    controller.Timer2Timer();
    EXPECT_EQ(view.buttonsEnabled, std::optional<bool>(false));
    controller.COMSelectSelect();
    controller.Timer2Timer();
    EXPECT_EQ(view.buttonsEnabled, std::optional<bool>(true));
    // Enabled even while the link is down, as long as a number was read.
    state.linkFlag = false;
    controller.Timer2Timer();
    EXPECT_EQ(view.buttonsEnabled, std::optional<bool>(true));
    state.sensorNumber = 0;
    state.linkFlag = true;
    controller.Timer2Timer();
    EXPECT_EQ(view.buttonsEnabled, std::optional<bool>(false));
}

TEST_F(ConnectionSimTest, DisconnectedTicksReconnectOnEveryEleventh) {
    state.sensorNumber = 5;  // a sensor was connected before: the lost text shows
    for (int tick = 1; tick <= 10; ++tick) {
        controller.Timer2Timer();
        EXPECT_EQ(control.opens, 0) << tick;
        EXPECT_EQ(control.closes, tick);
        EXPECT_EQ(view.status, kLost);
        EXPECT_EQ(view.colour, StatusColour::Red);
    }
    EXPECT_TRUE(requests().empty());
    controller.Timer2Timer();
    EXPECT_EQ(control.opens, 1);
    EXPECT_EQ(requests(), connectReads());
    EXPECT_EQ(view.status, kConnectedPrefix + "5021\r\nВесия:12");
    // The count starts again: the next loss waits eleven ticks once more.
    state.linkFlag = false;
    const int opensBefore = control.opens;
    int ticks = 0;
    while (control.opens == opensBefore && ticks < 20) {
        controller.Timer2Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 11);
}

TEST_F(ConnectionSimTest, TypedPortNameIsUsedByTheNextReconnect) {
    view.port.clear();
    for (int tick = 0; tick < 11; ++tick) controller.Timer2Timer();
    EXPECT_EQ(control.opens, 0);       // nothing to open yet
    EXPECT_EQ(view.status, kAtStart);  // sensor number 0: the text stays, only turns red
    EXPECT_EQ(view.colour, StatusColour::Red);
    view.port = sensor.devicePath();
    for (int tick = 0; tick < 11 && !state.linkFlag; ++tick) controller.Timer2Timer();
    EXPECT_EQ(control.opens, 1);
    EXPECT_TRUE(state.linkFlag);
}

TEST_F(ConnectionSimTest, ReconnectCounterIsNotResetByAManualConnect) {
    view.port.clear();
    for (int tick = 0; tick < 4; ++tick) controller.Timer2Timer();
    view.port = sensor.devicePath();
    controller.COMSelectSelect();
    ASSERT_TRUE(state.linkFlag);

    port.drop(kRead, 0);
    controller.Timer2Timer();  // phase 1: the raw read fails at once
    ASSERT_FALSE(state.linkFlag);
    port.clearRules();
    const int opensBefore = control.opens;
    int ticks = 0;
    while (control.opens == opensBefore && ticks < 20) {
        controller.Timer2Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 7);  // 4 counted before, 7 more exceed 10
    EXPECT_TRUE(state.linkFlag);
}

}  // namespace
}  // namespace cfgtest

namespace cfgtest {
namespace {

// The same sequence on a line paced at 19200 baud with the sensor's turnaround, as a real
// adapter delivers the answer byte by byte.
// The retry count is judged only where the sensor's thread kept up with the line.
TEST(ConnectionPacedLineTest, ConnectsAndPollsAtTheRealLineSpeed) {
    SensorLineRecord record;
    sim::PtySensor sensor{record.sensorOptions()};
    ASSERT_TRUE(sensor.start());
    sensor.freezeRaw(true);
    sensor.setParam(0, 1234);
    sensor.setParam(7, 88);
    // Not address 1: that answer is byte for byte its own request, which a line not yet
    // known to echo or not asks twice before it takes.
    sensor.setParam(3, 9);
    dut::SerialPort serial;
    SensorLineRecord::Port recorded{serial, record};
    dut::LinkState state;
    dut::ConfigLink link{recorded, state};
    dut::config::SerialPortControl control{serial};
    EventLog log;
    RecordingMainView view{log};
    view.port = sensor.devicePath();
    dut::config::ConnectionController controller{control, link, view};

    controller.COMSelectSelect();
    const bool linked = state.linkFlag;
    const std::string status = view.status;
    const std::size_t requests = sensor.requests().size();
    controller.Timer2Timer();
    const std::string late = record.lateSensor();
    if (!late.empty()) GTEST_SKIP() << "the sensor's thread was held up: " << late;
    EXPECT_TRUE(linked);
    EXPECT_EQ(status.rfind("Подключение\r\nустановлено\r\nДУТ № 88\r\nВесия:", 0), 0u);
    EXPECT_EQ(requests, 5u);  // no retries on a clean line
    EXPECT_EQ(view.currentValue, "1234");
    ASSERT_FALSE(view.chart.empty());
    EXPECT_EQ(view.chart.back().second, 30);
    serial.close();
    sensor.stop();
}

}  // namespace
}  // namespace cfgtest
