#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "MainView.h"

namespace dut::config {

// What the main window shows that the logic reads again: the status, the current raw value
// and the two levels. They are kept here as they were set and written through to the view,
// so nothing reads them back out of a widget (where line breaks are redrawn). The current
// value comes only from the sensor and is kept as the number it is; a level may be text the
// user typed in the level correction dialog, shown as typed, so the levels stay texts.
class MainValues {
  public:
    explicit MainValues(MainView& view) : view_(view) {}

    const std::string& status() const { return status_; }
    void setStatus(const std::string& text, StatusColour colour);

    // None until the first poll has read one.
    const std::optional<std::int32_t>& currentValue() const { return currentValue_; }
    void setCurrentValue(std::int32_t value);

    const std::string& levelMax() const { return levelMax_; }
    void setLevelMax(const std::string& text);
    const std::string& levelMin() const { return levelMin_; }
    void setLevelMin(const std::string& text);

  private:
    MainView& view_;
    std::string status_;
    std::optional<std::int32_t> currentValue_;
    std::string levelMax_;
    std::string levelMin_;
};

}  // namespace dut::config
