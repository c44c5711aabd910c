#include "MainValues.h"

namespace dut::config {

void MainValues::setStatus(const std::string& text, StatusColour colour) {
    status_ = text;
    view_.setStatus(text, colour);
}

void MainValues::setCurrentValue(const std::string& text) {
    currentValue_ = text;
    view_.setCurrentValueText(text);
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
