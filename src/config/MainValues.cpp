#include "MainValues.h"

namespace dut::config {

void MainValues::setStatus(const std::string& text, StatusColour colour) {
    status_ = text;
    view_.setStatus(text, colour);
}

void MainValues::setCurrentValue(std::int32_t value) {
    currentValue_ = value;
    view_.setCurrentValue(value);
}

void MainValues::setLevelMax(const std::string& text) {
    levelMax_ = text;
    view_.setLevelMaxText(text);
}

void MainValues::setLevelMin(const std::string& text) {
    levelMin_ = text;
    view_.setLevelMinText(text);
}

}  // namespace dut::config
