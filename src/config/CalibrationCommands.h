#pragma once

#include <functional>

#include "ConfigLink.h"
#include "MainView.h"
#include "Notifier.h"

namespace dut::config {

// Virtual-key codes of the four global hot keys.
enum VirtualKey : int {
    kVkF1 = 112,
    kVkF4 = 115,
    kVkF9 = 120,
    kVkF10 = 121,
};

// Identifiers under which the hot keys are registered.
enum HotKeyId : int {
    kHotKeyEmpty = 1,     // F1
    kHotKeyFull = 2,      // F4
    kHotKeyAddress1 = 3,  // F9
    kHotKeyAddress2 = 4,  // F10
};

struct HotKeyBinding {
    int id;
    int key;
};

// The four registrations the main window makes when it is created.
constexpr HotKeyBinding kHotKeys[] = {
    {kHotKeyEmpty, kVkF1},
    {kHotKeyFull, kVkF4},
    {kHotKeyAddress1, kVkF9},
    {kHotKeyAddress2, kVkF10},
};

// The main window's three writing commands and the hot keys that trigger them. Every write
// is verified by its own read-back and the outcome is shown in a message box.
//
// dut::ConversionError from an Edit1 text that is not a number is not caught here: it
// reaches the application's event loop, which shows the error box.
class CalibrationCommands {
  public:
    // raiseApplication restores the application if minimised and brings it to the front.
    CalibrationCommands(ConfigLink& link, MainView& view, Notifier& notifier,
                        std::function<void()> raiseApplication);

    void Button2Click();  // full tank: current value -> LEVELMAX -> parameter 4
    void Button3Click();  // empty tank: current value -> LEVELMIN -> parameter 5
    void Button5Click();  // network address: LLS_ADRESS -> parameter 3

    // A hot-key event with its registration identifier and virtual key. Returns whether a
    // command ran. Both must match a registration, and a sensor must be numbered.
    bool hotKey(int id, int key);

  private:
    ConfigLink& link_;
    MainView& view_;
    Notifier& notifier_;
    std::function<void()> raiseApplication_;
};

}  // namespace dut::config
