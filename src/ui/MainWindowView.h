#pragma once

#include <QString>

#include "MainView.h"

class TForm1;

namespace ui {

// The main window's controls as the connection controller and the commands see them.
class MainWindowView : public dut::config::MainView {
  public:
    explicit MainWindowView(TForm1& form) : form_(form) {}

    std::string portText() const override;
    void setPortItems(const std::vector<std::string>& items,
                      const std::vector<std::string>& descriptions) override;
    void setPortText(const std::string& text) override;
    void setStatus(const std::string& text, dut::config::StatusColour colour) override;
    void setStatusColour(dut::config::StatusColour colour) override;
    // The tooltip and the accessible description of ConnectStatusText; a new reason also
    // goes to standard error as one line.
    void setStatusReason(const std::string& reason) override;
    std::string addressText() const override;
    void setAddressText(const std::string& text) override;
    void setAddressAlert(bool red) override;
    void focusAddress() override;
    void setLevelMaxText(const std::string& text) override;
    void setLevelMinText(const std::string& text) override;
    void setCurrentValue(std::int32_t value) override;
    void removeOldestChartPoint() override;
    void appendChartPoint(std::int64_t x, std::int32_t y) override;
    void setChartAxisMin(std::int32_t y) override;
    void setChartAxisMax(std::int32_t y) override;
    void setProgress(std::int32_t value) override;
    void setOutputLevelText(const std::string& text) override;
    void setMeasurementsLive(bool live) override;
    void setCommandButtonsEnabled(bool enabled) override;

    // Shows the last status again in the current language, or `initial` while the connection
    // has said nothing yet.
    void reshowStatus(const QString& initial);

  private:
    void showStatusReason();

    TForm1& form_;
};

}  // namespace ui
