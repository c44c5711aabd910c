#include "ConnectionController.h"

#include <string>
#include <vector>

#include "PortOpenAdvice.h"
#include "SensorParams.h"
#include "TextInput.h"
#include "Translatable.h"

namespace dut::config {

namespace {

const char* const kPortOpenFailed = DUT_TR_NOOP(
    "ConnectionController", "Не удается\r\nоткрыть порт!\r\nПереподключите переходник USB-RS485");
const char* const kNoSensorNumber =
    DUT_TR_NOOP("ConnectionController", "ДУТ не имеет\r\nномера. Свяжитесь с\r\nпроизводителем");
const char* const kConnected =
    DUT_TR_NOOP("ConnectionController", "Подключение\r\nустановлено\r\nДУТ № ");
const char* const kVersionLine = DUT_TR_NOOP("ConnectionController", "\r\nВесия:");
const char* const kLinkLost =
    DUT_TR_NOOP("ConnectionController", "Нет\r\nсоединения!\r\nс датчиком");
const char* const kPortOpened = DUT_TR_NOOP("ConnectionController", "Порт открыт: ");
const char* const kPortClosed = DUT_TR_NOOP("ConnectionController", "Порт закрыт: ");
const char* const kPortLost =
    DUT_TR_NOOP("ConnectionController", "Нет связи с датчиком, порт закрыт: ");
const char* const kPortPrefix = "COM";

}  // namespace

const std::vector<const char*>& ConnectionController::statusTexts() {
    static const std::vector<const char*> texts{kPortOpenFailed, kNoSensorNumber, kConnected,
                                                kVersionLine,    kLinkLost,       kPortOpened,
                                                kPortClosed,     kPortLost};
    return texts;
}

ConnectionController::ConnectionController(PortControl& port, ConfigLink& link, MainView& view)
    : port_(port), link_(link), state_(link.state()), view_(view), values_(view) {}

void ConnectionController::COMSelectDropDown() {
    std::vector<std::string> names;
    try {
        names = port_.listPorts(kPortPrefix);
    } catch (...) {
        // The list is cleared before it is filled, so a failed listing leaves it empty.
        view_.setPortItems({}, {});
        throw;
    }
    std::vector<std::string> descriptions;
    descriptions.reserve(names.size());
    for (const auto& name : names) descriptions.push_back(port_.describe(name));
    view_.setPortItems(names, descriptions);
}

void ConnectionController::COMSelectSelect() {
    rememberStableName(view_.portText());
    Button1Click();
}

void ConnectionController::rememberStableName(const std::string& device) {
    followedDevice_ = device;
    stableName_ = device.empty() ? std::string() : port_.stableName(device);
}

// The device the adapter now answers under, when device no longer opens and its stable name
// points elsewhere; empty otherwise (the user's own choice of another port is never replaced).
std::string ConnectionController::followStableName(const std::string& device) {
    if (stableName_.empty() || device != followedDevice_) return {};
    const std::string now = port_.resolve(stableName_);
    if (now.empty() || now == device) return {};
    return now;
}

void ConnectionController::Button1Click() {
    std::string name = view_.portText();
    if (name.empty()) return;

    closePort(kPortClosed);
    if (!port_.open(name)) {
        const std::string moved = followStableName(name);
        if (moved.empty() || !port_.open(moved)) {
            values_.setStatus(kPortOpenFailed, StatusColour::Red);
            view_.setStatusReason(portOpenReason(name, port_.lastOpenError()));
            return;
        }
        name = moved;
        view_.setPortText(name);
        followedDevice_ = name;
    }
    openPort_ = name;
    if (say_) say_(kPortOpened + name);
    if (name != followedDevice_ || stableName_.empty()) rememberStableName(name);
    view_.setStatusReason({});
    state_.linkFlag = true;

    // Each read that fails ends the sequence; the link flag it left down has the tick reconnect.
    const auto address = link_.read(param::kNetworkAddress);
    if (!address) return;
    view_.setAddressText(intToText(*address));
    const auto full = link_.read(param::kFullLevel);
    if (!full) return;
    values_.setLevelMax(intToText(*full));
    const auto empty = link_.read(param::kEmptyLevel);
    if (!empty) return;
    values_.setLevelMin(intToText(*empty));

    const auto number = link_.read(param::kSensorNumber);
    if (!number) return;
    state_.sensorNumber = *number;
    if (state_.sensorNumber == 0) {
        values_.setStatus(kNoSensorNumber, StatusColour::Green);
        state_.linkFlag = false;
        return;
    }
    values_.setStatus(kConnected + intToText(state_.sensorNumber), StatusColour::Green);

    if (const auto version = link_.read(param::kVersion)) {
        values_.setStatus(values_.status() + kVersionLine + intToText(*version),
                          StatusColour::Green);
    }
}

void ConnectionController::Timer2Timer() {
    view_.setCommandButtonsEnabled(state_.sensorNumber != 0);

    if (!state_.linkFlag) {
        markLive(false);
        if (state_.sensorNumber > 0) {
            values_.setStatus(kLinkLost, StatusColour::Red);
        } else {
            view_.setStatusColour(StatusColour::Red);
        }
        closePort(kPortLost);
        if (++reconnectCounter_ > kReconnectTicks) {
            reconnectCounter_ = 0;
            Button1Click();
        }
        return;
    }

    ++pollPhase_;
    if (pollPhase_ == 1) {
        pollRawValue();
    } else if (pollPhase_ == 2) {
        pollOutputLevel();
    } else {
        pollPhase_ = 0;
    }
}

void ConnectionController::pollRawValue() {
    const auto raw = link_.read(param::kRawValue);
    if (!raw) return;
    markLive(true);
    values_.setCurrentValue(*raw);
    plot(*raw);
}

void ConnectionController::pollOutputLevel() {
    const auto level = link_.read(param::kOutputLevel);
    if (!level) return;
    markLive(true);
    view_.setProgress(*level);
    view_.setOutputLevelText(intToText(*level));
}

void ConnectionController::closePort(const char* why) {
    // Closed at every tick while the link is down; only the first close is an event.
    port_.close();
    if (openPort_.empty()) return;
    if (say_) say_(why + openPort_);
    openPort_.clear();
}

void ConnectionController::markLive(bool live) {
    if (live == live_) return;
    live_ = live;
    view_.setMeasurementsLive(live);
}

void ConnectionController::plot(std::int32_t raw) {
    if (chartPoints_ >= kChartCapacity) {
        view_.removeOldestChartPoint();
        --chartPoints_;
    }
    const std::int32_t y = raw / kChartDivisor;  // truncates toward zero
    view_.appendChartPoint(sampleCounter_++, y);
    ++chartPoints_;
    // Minimum first to 0, then maximum, then the real minimum: whatever the jump from the
    // previous point, the axis never has its minimum above its maximum.
    view_.setChartAxisMin(0);
    view_.setChartAxisMax(y + kChartHalfWindow);
    view_.setChartAxisMin(y - kChartHalfWindow);
}

}  // namespace dut::config
