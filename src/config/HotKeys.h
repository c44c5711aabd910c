#pragma once

namespace dut::config {

// The identifiers the global hot keys are registered under. The keys themselves (F1, F4, F9,
// F10) are in the user interface's one table, hotkeys::kHotKeys; the commands they run are in
// CalibrationCommands::hotKey.
enum HotKeyId : int {
    kHotKeyEmpty = 1,     // F1: empty tank
    kHotKeyFull = 2,      // F4: full tank
    kHotKeyAddress1 = 3,  // F9: network address 1
    kHotKeyAddress2 = 4,  // F10: network address 2
};

constexpr HotKeyId kHotKeyIds[] = {kHotKeyEmpty, kHotKeyFull, kHotKeyAddress1, kHotKeyAddress2};

}  // namespace dut::config
