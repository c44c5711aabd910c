#pragma once

#include <cstdint>
#include <functional>
#include <string>
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

    // Full tank: current value -> LEVELMAX -> parameter 4; empty tank: the same into LEVELMIN
    // and parameter 5. A pair with full <= empty is asked about first ("Нет" writes nothing).
    void Button2Click();
    void Button3Click();
    void Button5Click();  // network address: LLS_ADRESS -> parameter 3

    // A hot key by its registration identifier (HotKeyId). Returns whether a command ran:
    // only for a known identifier, and only once a sensor is numbered.
    bool hotKey(int id);

  private:
    // The current value the full and empty commands take; ConversionError while there is none.
    std::int32_t currentValue() const;
    void writeAddress(std::int32_t address);
    void writeLevel(std::uint8_t parameter, std::int32_t value,
                    const std::string& (MainValues::*shown)() const,
                    void (MainValues::*show)(const std::string&), const char* ok,
                    const char* failed);

    ConfigLink& link_;
    MainValues& values_;
    MainView& view_;
    Notifier& notifier_;
    std::function<void()> raiseApplication_;
};

}  // namespace dut::config
