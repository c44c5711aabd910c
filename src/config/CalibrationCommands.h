#pragma once

#include <functional>
#include <vector>

#include "ConfigLink.h"
#include "HotKeys.h"
#include "MainValues.h"
#include "MainView.h"
#include "Notifier.h"

namespace dut::config {

// The main window's three writing commands and the hot keys that trigger them. Every write
// is verified by its own read-back and the outcome is shown in a message box.
//
// dut::ConversionError for an Edit1 still empty or an address text that is not a number is
// not caught here: it
// reaches the application's event loop, which shows the error box.
class CalibrationCommands {
  public:
    // The texts of the outcome boxes, for the window that translates them (context
    // "CalibrationCommands").
    static const std::vector<const char*>& messageTexts();

    // The current value and the levels come from `values`, as the connection set them; the
    // address is what the user typed in the view. raiseApplication restores the application
    // if minimised and brings it to the front.
    CalibrationCommands(ConfigLink& link, MainValues& values, MainView& view, Notifier& notifier,
                        std::function<void()> raiseApplication);

    void Button2Click();  // full tank: current value -> LEVELMAX -> parameter 4
    void Button3Click();  // empty tank: current value -> LEVELMIN -> parameter 5
    void Button5Click();  // network address: LLS_ADRESS -> parameter 3

    // A hot key by its registration identifier (HotKeyId). Returns whether a command ran:
    // only for a known identifier, and only once a sensor is numbered.
    bool hotKey(int id);

  private:
    // The current value the full and empty commands take; ConversionError while there is none.
    std::int32_t currentValue() const;
    void writeAddress(std::int32_t address);

    ConfigLink& link_;
    MainValues& values_;
    MainView& view_;
    Notifier& notifier_;
    std::function<void()> raiseApplication_;
};

}  // namespace dut::config
