// The connection controller against a sensor scripted in memory: the chart window, the port
// list and the ticks that must do nothing. The serial behaviour is covered by the sim tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ConfigFakes.h"
#include "ConnectionController.h"

namespace cfgtest {
namespace {

using dut::config::ConnectionController;

class ControllerScriptedTest : public ::testing::Test {
  protected:
    ControllerScriptedTest() : view(log) {
        view.port = "COM3";
        params = {{0, 1000}, {3, 9}, {4, 3000}, {5, 200}, {6, 2048}, {7, 41}, {10, 3}};
    }

    void connect() {
        controller.Button1Click();
        ASSERT_TRUE(state.linkFlag);
        ASSERT_EQ(state.sensorNumber, 41);
    }

    // One full polling cycle: raw value, output level, idle.
    void cycle() {
        for (int i = 0; i < 3; ++i) controller.Timer2Timer();
    }

    std::vector<std::string> logFrom(std::size_t start) const {
        return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(start),
                                        log.end());
    }

    std::map<std::uint8_t, std::int32_t> params;
    std::map<std::uint8_t, bool> silent;
    ScriptedSensorPort port{[this](const Request& r) -> std::optional<std::int32_t> {
        if (silent[r.parameter]) return std::nullopt;
        return params[r.parameter];
    }};
    dut::LinkState state;
    dut::ConfigLink link{port, state};
    CountingPortControl control;
    EventLog log;
    RecordingMainView view;
    ConnectionController controller{control, link, view};
};

TEST_F(ControllerScriptedTest, RawValueIsShownAndPlottedDividedBy40) {
    connect();
    const std::size_t mark = log.size();
    controller.Timer2Timer();
    EXPECT_EQ(view.currentValue, "1000");
    ASSERT_EQ(view.chart.size(), 1u);
    EXPECT_EQ(view.chart.back(), (std::pair<std::int64_t, std::int32_t>(0, 25)));
    const std::vector<std::string> expected = {"buttons(on)",
                                               "setCurrentValueText(1000)",
                                               "appendChartPoint(0,25)",
                                               "axisMin(0)",
                                               "axisMax(125)",
                                               "axisMin(-75)"};
    EXPECT_EQ(logFrom(mark), expected);
    EXPECT_EQ(*view.axisMin, -75);
    EXPECT_EQ(*view.axisMax, 125);
}

TEST_F(ControllerScriptedTest, PlottedValueTruncatesAtEachStepOf40) {
    connect();
    const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
        {39, 0}, {40, 1}, {79, 1}, {80, 2}, {0, 0}, {163839, 4095}};
    std::int64_t x = 0;
    for (const auto& [raw, plotted] : cases) {
        params[0] = raw;
        cycle();
        ASSERT_FALSE(view.chart.empty());
        EXPECT_EQ(view.chart.back().first, x++) << raw;
        EXPECT_EQ(view.chart.back().second, plotted) << raw;
        EXPECT_EQ(view.currentValue, std::to_string(raw));
        EXPECT_EQ(*view.axisMin, plotted - 100);
        EXPECT_EQ(*view.axisMax, plotted + 100);
    }
}

TEST_F(ControllerScriptedTest, AxisMinimumNeverPassesTheMaximumOnAJump) {
    connect();
    params[0] = 400000;  // plotted 10000
    cycle();
    params[0] = 0;
    cycle();
    ASSERT_EQ(*view.axisMin, -100);
    const std::size_t mark = log.size();
    params[0] = 400000;
    cycle();
    std::int32_t lo = *view.axisMin, hi = *view.axisMax;
    // Replay the axis calls of the jump: at no step may the minimum exceed the maximum.
    std::int32_t curMin = -100, curMax = 100;
    for (const auto& entry : logFrom(mark)) {
        if (entry.rfind("axisMin(", 0) == 0) curMin = std::stoi(entry.substr(8));
        if (entry.rfind("axisMax(", 0) == 0) curMax = std::stoi(entry.substr(8));
        EXPECT_LE(curMin, curMax) << entry;
    }
    EXPECT_EQ(lo, 9900);
    EXPECT_EQ(hi, 10100);
}

TEST_F(ControllerScriptedTest, ChartKeeps201PointsAndThe202ndRemovesTheFirst) {
    connect();
    for (int i = 0; i < 201; ++i) {
        params[0] = 40 * i;
        cycle();
    }
    ASSERT_EQ(view.chart.size(), 201u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "removeOldestChartPoint"), 0);
    EXPECT_EQ(view.chart.front().first, 0);

    params[0] = 40 * 201;
    const std::size_t mark = log.size();
    cycle();
    ASSERT_EQ(view.chart.size(), 201u);
    EXPECT_EQ(view.chart.front(), (std::pair<std::int64_t, std::int32_t>(1, 1)));
    EXPECT_EQ(view.chart.back(), (std::pair<std::int64_t, std::int32_t>(201, 201)));
    const auto tail = logFrom(mark);
    const auto removed = std::find(tail.begin(), tail.end(), "removeOldestChartPoint");
    const auto appended = std::find(tail.begin(), tail.end(), "appendChartPoint(201,201)");
    ASSERT_NE(removed, tail.end());
    ASSERT_NE(appended, tail.end());
    EXPECT_LT(removed, appended);
    // The sample number runs on past the scrolled-out points.
    cycle();
    EXPECT_EQ(view.chart.back().first, 202);
}

TEST_F(ControllerScriptedTest, OutputLevelGoesToTheBarAndLabelUnclipped) {
    connect();
    params[6] = 5000;  // the bar clips; the controller passes what the sensor said
    controller.Timer2Timer();
    controller.Timer2Timer();
    EXPECT_EQ(view.progress, std::optional<std::int32_t>(5000));
    EXPECT_EQ(view.outputLevel, "5000");
}

TEST_F(ControllerScriptedTest, FailedPollReadsLeaveTheFieldsAndDropTheLink) {
    connect();
    cycle();
    ASSERT_EQ(view.currentValue, "1000");
    silent[0] = true;
    params[0] = 2000;
    controller.Timer2Timer();
    EXPECT_FALSE(state.linkFlag);
    EXPECT_EQ(view.currentValue, "1000");
    EXPECT_EQ(view.chart.size(), 1u);
    controller.Timer2Timer();  // now disconnected: the lost text in red
    EXPECT_EQ(view.status, "Нет\r\nсоединения!\r\nс датчиком");
    EXPECT_EQ(view.colour, StatusColour::Red);
}

TEST_F(ControllerScriptedTest, PortListIsRefreshedAndTheTypedTextKept) {
    control.ports = {"COM10", "COM2", "com3", "COM1"};
    view.port = "/dev/typed-by-hand";
    controller.COMSelectDropDown();
    const std::vector<std::string> expected = {"COM10", "COM2", "COM1"};
    EXPECT_EQ(view.portItems, expected);
    EXPECT_EQ(view.port, "/dev/typed-by-hand");
    EXPECT_EQ(control.opens, 0);

    control.ports = {};
    controller.COMSelectDropDown();
    EXPECT_TRUE(view.portItems.empty());
}

TEST_F(ControllerScriptedTest, FailedPortListingLeavesTheListEmptyAndPropagates) {
    control.ports = {"COM1"};
    controller.COMSelectDropDown();
    ASSERT_EQ(view.portItems.size(), 1u);
    control.listFails = true;
    EXPECT_THROW(controller.COMSelectDropDown(), dut::PortListError);
    EXPECT_TRUE(view.portItems.empty());
}

TEST_F(ControllerScriptedTest, EmptyPortTextConnectsNothing) {
    view.port.clear();
    controller.COMSelectSelect();
    EXPECT_EQ(control.opens, 0);
    EXPECT_EQ(control.closes, 0);
    EXPECT_TRUE(port.requests().empty());
}

TEST_F(ControllerScriptedTest, AFailedOpenSaysWhyBesideTheStatusUntilAnOpenSucceeds) {
    control.openResult = false;
    control.openError = "Permission denied. Add your user to the dialout group.";
    controller.COMSelectSelect();
    EXPECT_EQ(view.status, "Не удается\r\nоткрыть порт!\r\nПереподключите переходник USB-RS485");
    EXPECT_EQ(view.statusReason,
              "Cannot open COM3: Permission denied. Add your user to the dialout group.");

    // A system that gave no reason still names the port.
    control.openError.clear();
    controller.Timer2Timer();
    for (int i = 0; i < ConnectionController::kReconnectTicks; ++i) controller.Timer2Timer();
    EXPECT_EQ(control.opens, 2);
    EXPECT_EQ(view.statusReason, "Cannot open COM3.");

    control.openResult = true;
    connect();
    EXPECT_EQ(view.statusReason, "");
}

TEST_F(ControllerScriptedTest, PortListCarriesOneDescriptionPerEntryAndPlainEntriesStayPlain) {
    control.ports = {"COM1", "COM2", "COM3"};
    control.descriptions = {{"COM1", "FT232R USB UART, FTDI, SN A5, 0403:6001\n/by-id/usb-a"},
                            {"COM9", "not listed"}};
    controller.COMSelectDropDown();
    EXPECT_EQ(view.portItems, control.ports);
    const std::vector<std::string> expected = {control.descriptions["COM1"], "", ""};
    EXPECT_EQ(view.portDescriptions, expected);
}

// The adapter was pulled while connected and came back: the reconnect follows its stable name
// only when the old device is gone and the name now points at another device.
TEST_F(ControllerScriptedTest, ReconnectFollowsTheStableNameToTheAdaptersNewDevice) {
    struct Case {
        const char* what;
        std::string stable;       // the stable name of COM3, empty: none
        std::string resolves;     // where it points after the replug
        bool oldGone;             // COM3 no longer opens
        bool userPickedOther;     // the user typed another port before the reconnect
        std::string connectedTo;  // empty: still not connected
    };
    const std::vector<Case> cases = {
        {"moved", "/by-id/a", "COM4", true, false, "COM4"},
        {"no stable name", "", "COM4", true, false, ""},
        {"name dangles", "/by-id/a", "", true, false, ""},
        {"same device back", "/by-id/a", "COM3", false, false, "COM3"},
        {"user chose another", "/by-id/a", "COM4", true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingPortControl ctl;
        EventLog events;
        RecordingMainView v(events);
        dut::LinkState st;
        dut::ConfigLink lnk{port, st};
        ConnectionController ctrl{ctl, lnk, v};
        v.port = "COM3";
        if (!c.stable.empty()) ctl.stableNames["COM3"] = c.stable;
        ctrl.COMSelectSelect();
        ASSERT_TRUE(st.linkFlag);
        st.linkFlag = false;  // pulled
        if (c.oldGone) ctl.missing = {"COM3"};
        if (!c.stable.empty() && !c.resolves.empty()) ctl.resolvesTo[c.stable] = c.resolves;
        if (c.userPickedOther) {
            v.port = "COM7";
            ctl.missing.push_back("COM7");
        }
        for (int i = 0; i <= ConnectionController::kReconnectTicks; ++i) ctrl.Timer2Timer();
        EXPECT_EQ(st.linkFlag, !c.connectedTo.empty());
        if (!c.connectedTo.empty()) EXPECT_EQ(v.port, c.connectedTo);
        if (c.userPickedOther) EXPECT_EQ(v.port, "COM7");
        if (c.connectedTo.empty() && !c.userPickedOther) EXPECT_EQ(v.port, "COM3");
    }
}

}  // namespace
}  // namespace cfgtest
