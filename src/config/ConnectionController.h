#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ConfigLink.h"
#include "MainValues.h"
#include "MainView.h"
#include "PortControl.h"

namespace dut::config {

// The main window's link to one sensor: port list, connect sequence, the 200 ms polling
// tick with its three-phase cycle, the status text, and the automatic reconnect.
class ConnectionController {
  public:
    // The pieces the status texts are made of, for the window that translates them
    // (context "ConnectionController").
    static const std::vector<const char*>& statusTexts();

    static constexpr int kChartCapacity = 201;  // points kept before the chart scrolls
    static constexpr int kChartDivisor = 40;    // raw units per plotted unit
    static constexpr int kChartHalfWindow = 100;
    static constexpr int kReconnectTicks = 10;  // a reconnect when the counter exceeds this

    ConnectionController(PortControl& port, ConfigLink& link, MainView& view);

    // The list of COMSelect is about to open. Propagates dut::PortListError, after which the
    // list is left empty.
    void COMSelectDropDown();
    // An item of COMSelect was chosen.
    void COMSelectSelect();
    // The connect sequence (the hidden Button1's click action).
    void Button1Click();
    // One tick of Timer2.
    void Timer2Timer();

    // Told, as a text made of the status pieces and the port's name, when this controller
    // opens or closes the port, and when it closes it because the link was lost.
    void setPortEvents(std::function<void(const std::string&)> say) { say_ = std::move(say); }

    // The texts the main window shows, as this controller and the commands set them.
    MainValues& values() { return values_; }
    const MainValues& values() const { return values_; }

  private:
    void pollRawValue();
    void pollOutputLevel();
    void plot(std::int32_t raw);
    void markLive(bool live);
    void closePort(const char* why);
    void rememberStableName(const std::string& device);
    std::string followStableName(const std::string& device);

    PortControl& port_;
    ConfigLink& link_;
    LinkState& state_;
    MainView& view_;
    MainValues values_;

    // The device last chosen or connected and the name that keeps pointing at its adapter:
    // a replug that brings the adapter back under a new device is followed through it.
    std::function<void(const std::string&)> say_;
    std::string openPort_;  // empty while this controller has no port open
    std::string followedDevice_;
    std::string stableName_;

    // What the window was last told; nothing is marked before the first read.
    bool live_ = true;
    int chartPoints_ = 0;
    std::uint8_t pollPhase_ = 0;
    std::int32_t reconnectCounter_ = 0;
    std::int64_t sampleCounter_ = 0;
};

}  // namespace dut::config
