#pragma once

#include <string>

#include "MainView.h"

namespace dut::config {

// The texts the main window shows that the logic reads again: the status, the current raw
// value and the two levels. They are kept here as they were set and written through to the
// view, so nothing reads them back out of a widget (where line breaks are redrawn).
class MainValues {
  public:
    explicit MainValues(MainView& view) : view_(view) {}

    const std::string& status() const { return status_; }
    void setStatus(const std::string& text, StatusColour colour);

    const std::string& currentValue() const { return currentValue_; }
    void setCurrentValue(const std::string& text);

    const std::string& levelMax() const { return levelMax_; }
    void setLevelMax(const std::string& text);
    const std::string& levelMin() const { return levelMin_; }
    void setLevelMin(const std::string& text);

  private:
    MainView& view_;
    std::string status_;
    std::string currentValue_;
    std::string levelMax_;
    std::string levelMin_;
};

}  // namespace dut::config
