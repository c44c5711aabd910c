#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dut::settings {

// The pieces of the refusals, labels and shown values, for the window that translates them
// (context "SettingsFile").
const std::vector<const char*>& settingsFileTexts();

// One value a settings file may carry: its key in the file, the sensor parameter behind it and
// how the file's number maps to the sensor's. The file holds what a person reads (bits,
// seconds); the sensor's own codes stay inside the program.
struct SettingKey {
    const char* key;
    std::uint8_t parameter;
    const char* label;  // UTF-8, for the dialog and the messages
    bool writable;      // read-only ones are shown, never written
};

// In the order the file lists them and the dialog shows them.
const std::vector<SettingKey>& settingKeys();
const SettingKey* keyForParameter(std::uint8_t parameter);

// The five parameters a file can give a sensor, in the order they are written.
const std::vector<std::uint8_t>& writableParameters();

// A sensor's settings as a file keeps them. Values are the sensor's own, as it reports them
// on reading (the interval in seconds, the resolution as its code 100 or 200).
struct SettingsDocument {
    std::int32_t sensorNumber = 0;
    std::string date;
    // Parameter -> value. The writable ones the file gives, and any read-only ones it names
    // (shown for comparison only).
    std::map<std::uint8_t, std::int32_t> values;
};

// Whether the sensor value `value` of `parameter` is one a file can hold (and the program can
// write back): the address 0..255, levels 0..2147483647, resolution 100 or 200, the interval
// off (0) or one of the choices of the output settings dialog in seconds.
bool valueAllowed(std::uint8_t parameter, std::int32_t value);

// The value that goes into the write request for the value a sensor reports: the interval is
// reported in seconds but written in units of 5 s.
std::int32_t writtenValue(std::uint8_t parameter, std::int32_t value);

// The value as the file and the dialog show it (bits, seconds), and back.
std::int64_t fileValue(std::uint8_t parameter, std::int32_t value);
std::optional<std::int32_t> sensorValueFromFile(std::uint8_t parameter, std::int64_t fileValue);
// For the dialog: "12 бит", "30 сек", "выключена", or the plain number.
std::string shownValue(std::uint8_t parameter, std::int32_t value);

struct ParsedSettings {
    std::optional<SettingsDocument> document;
    std::string refusal;  // why the text is not a settings file (UTF-8); empty when it is
};

// Reads a settings file strictly: one JSON object; "sensorNumber" and "date" and at least one
// writable value present; every key known, every value of its type and range; no key twice.
ParsedSettings parseSettings(const std::string& text);

// The file's text for the document.
std::string writeSettings(const SettingsDocument& document);

}  // namespace dut::settings
