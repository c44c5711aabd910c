#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ConfigLink.h"
#include "SettingsFile.h"

namespace dut::settings {

// The pieces of the refusals and the summary, for the window that translates them (context
// "SettingsTransfer").
const std::vector<const char*>& settingsTransferTexts();

// What the connected sensor said, parameter by parameter; none where it did not answer.
struct SensorReading {
    std::optional<std::int32_t> sensorNumber;
    std::map<std::uint8_t, std::optional<std::int32_t>> values;  // the writable ones and 10
};

// Reads the sensor number, then the five writable parameters and the version, each an
// ordinary read with its 16 attempts. A sensor that does not give its number is taken for
// silent and not asked further, so a dead line costs one exchange, not seven.
SensorReading readSensor(ConfigLink& link);

struct SaveOutcome {
    std::optional<SettingsDocument> document;
    std::string refusal;            // why there is nothing to save (UTF-8)
    std::vector<std::string> left;  // values the sensor gave that a file cannot hold
};

// The document for a reading: nothing when the sensor did not answer every read (a file holds
// only what the sensor said), or carries no number. A value the program could not write back
// (a resolution of 150, say) is left out and named in `left`.
SaveOutcome documentFor(const SensorReading& reading, const std::string& date);

// One row of the comparison the installer ticks.
struct CompareRow {
    std::uint8_t parameter = 0;
    std::optional<std::int32_t> inFile;
    std::optional<std::int32_t> inSensor;
    bool writable = false;
    bool tickedByDefault = false;
};

// Every value of the file beside the sensor's. The levels belong to one tank and one sensor
// length, so they start unticked when the file comes from another sensor (or the sensor's
// number is unknown).
std::vector<CompareRow> compare(const SettingsDocument& document, const SensorReading& reading);

struct WriteOutcome {
    std::uint8_t parameter = 0;
    std::int32_t wanted = 0;
    std::optional<std::int32_t> confirmed;  // what the read-back (or the write's answer) said
    bool attempted = true;  // false once an earlier write met a sensor that no longer answers
    bool taken() const { return confirmed == wanted; }
};

// Writes each ticked writable value of the document, in the order of writableParameters(), and
// reads it back, as the main window's commands do. Read-only parameters are never written,
// whatever `ticked` says. Once neither a write nor its read-back is answered, the values after
// it are not tried: each would hold the line for two more rounds of 16 attempts.
std::vector<WriteOutcome> apply(ConfigLink& link, const SettingsDocument& document,
                                const std::vector<std::uint8_t>& ticked);

// The summary box: one line per parameter, whether the sensor took it.
std::string summaryText(const std::vector<WriteOutcome>& outcomes);

}  // namespace dut::settings
