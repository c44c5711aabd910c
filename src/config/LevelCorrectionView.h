#pragma once

#include <string>

namespace dut::config {

// The two edit boxes of the manual level correction dialog (TForm2).
class LevelCorrectionView {
  public:
    virtual ~LevelCorrectionView() = default;

    virtual std::string levelMaxText() const = 0;
    virtual void setLevelMaxText(const std::string& text) = 0;
    virtual std::string levelMinText() const = 0;
    virtual void setLevelMinText(const std::string& text) = 0;
};

}  // namespace dut::config
