#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dut::config {

enum class StatusColour { Red, Green };

// What the connection controller and the commands show in the main window, and the two boxes
// the user types into (the port and the address), which are the only texts read from it.
// Texts are UTF-8; "\r\n" and lone "\r" or "\n" inside them are passed through unchanged for
// the window to display as line breaks.
class MainView {
  public:
    virtual ~MainView() = default;

    // COMSelect: the typed or chosen port name. Replacing the items keeps that text.
    virtual std::string portText() const = 0;
    // descriptions[i] tells people which adapter items[i] is (empty: nothing known; the list
    // may be shorter than items).
    virtual void setPortItems(const std::vector<std::string>& items,
                              const std::vector<std::string>& descriptions) = 0;
    // Puts a device path into the box, as when the adapter came back under a new name.
    virtual void setPortText(const std::string& text) = 0;

    // ConnectStatusText.
    virtual void setStatus(const std::string& text, StatusColour colour) = 0;
    virtual void setStatusColour(StatusColour colour) = 0;
    // Why the status reads as it does, where the status text cannot say it (the system's
    // reason a port would not open); empty clears it.
    virtual void setStatusReason(const std::string& reason) = 0;

    // LLS_ADRESS; the alert paints its background red, false restores the normal colour.
    virtual std::string addressText() const = 0;
    virtual void setAddressText(const std::string& text) = 0;
    virtual void setAddressAlert(bool red) = 0;
    virtual void focusAddress() = 0;

    // LEVELMAX and LEVELMIN: a level as read (in decimal) or as the user typed it in the level
    // correction dialog, shown exactly so.
    virtual void setLevelMaxText(const std::string& text) = 0;
    virtual void setLevelMinText(const std::string& text) = 0;
    // Edit1: the current raw value, shown as plain decimal.
    virtual void setCurrentValue(std::int32_t value) = 0;

    // Chart1/Series1. The axis is fixed: the window never rescales it by itself, and the
    // controller sets minimum and maximum in an order that keeps min <= max at every step.
    virtual void removeOldestChartPoint() = 0;
    virtual void appendChartPoint(std::int64_t x, std::int32_t y) = 0;
    virtual void setChartAxisMin(std::int32_t y) = 0;
    virtual void setChartAxisMax(std::int32_t y) = 0;

    // ProgressBar1 (the bar clips the value to its range 0..4095) and Label11.
    virtual void setProgress(std::int32_t value) = 0;
    virtual void setOutputLevelText(const std::string& text) = 0;

    // Edit1, ProgressBar1 with Label11, and the chart: false marks them as no longer live (the
    // link is lost and they show the last values read), true as live again. Their texts stay.
    virtual void setMeasurementsLive(bool live) = 0;

    // Button2, Button3, Button5 and Button6 together.
    virtual void setCommandButtonsEnabled(bool enabled) = 0;
};

}  // namespace dut::config
