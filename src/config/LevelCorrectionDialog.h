#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ConfigLink.h"
#include "LevelCorrectionView.h"
#include "MainValues.h"
#include "Notifier.h"

namespace dut::config {

// The new levels of a 5 % widening, or nothing when one falls outside signed 32 bits.
struct WidenedLevels {
    std::int32_t max;
    std::int32_t min;
};

// max + 5 % of (max - min) and min - 5 % of it, in extended precision, each rounded to the
// nearest integer with halves to even. Computed without 32-bit wrap-around.
std::optional<WidenedLevels> widenLevels(std::int32_t max, std::int32_t min);

// The logic of the manual level correction dialog (TForm2).
//
// Texts that are not numbers are refused with dut::ConversionError, which is not caught here:
// nothing is written and the application's event loop shows the error box.
class LevelCorrectionDialog {
  public:
    // The pieces of the outcome and confirmation boxes, for the window that translates them
    // (context "LevelCorrectionDialog").
    static const std::vector<const char*>& messageTexts();

    // mainValues: the main window's levels, read when the dialog opens and set when the
    // sensor confirmed a new one.
    LevelCorrectionDialog(ConfigLink& link, LevelCorrectionView& view, MainValues& mainValues,
                          Notifier& notifier);

    // Before the dialog is shown: copies the main window's levels into it.
    void open();

    void Button2Click();  // set full: LEVELMAX -> parameter 4
    void Button3Click();  // set empty: LEVELMIN -> parameter 5
    // Both ask first when the level typed and the other level as the sensor holds it (the
    // main window's) would make full <= empty.
    void Button1Click();  // widen both levels by 5 % of their distance

  private:
    ConfigLink& link_;
    LevelCorrectionView& view_;
    MainValues& mainValues_;
    Notifier& notifier_;
};

}  // namespace dut::config
