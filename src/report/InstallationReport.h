#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ExchangeResult.h"

namespace dut {
class ConfigLink;
}

namespace dut::report {

// What the installer types in the report's form.
struct InstallerDetails {
    std::string installer;
    std::string company;
    std::string plate;
    std::string model;
    std::string tank;
};

// One value read from the sensor for the report: the value, or why there is none.
struct ReadValue {
    std::optional<std::int32_t> value;
    ExchangeFailure failure = ExchangeFailure::NoAnswer;  // only meant when there is no value
};

// The sensor's side of the report, read when the report is made.
struct SensorReadings {
    ReadValue number;
    ReadValue version;
    ReadValue address;
    ReadValue full;
    ReadValue empty;
    ReadValue resolution;
    ReadValue interval;
};

// Told before each value is asked for: its label (a text of reportTexts()), its place among
// the values and their count, so a window can say what the line is waiting on.
using ReadProgress = std::function<void(const char* label, std::size_t index, std::size_t count)>;

// Reads every value through the ordinary exchange with its retries. Once the sensor has not
// answered at all (or the line has failed), the values after it are not asked for: each would
// cost the whole round of attempts again, and they carry that same failure instead.
SensorReadings readSensor(ConfigLink& link, const ReadProgress& progress = {});

// A line of the report: what it is and its text, UTF-8.
struct ReportLine {
    std::string label;
    std::string value;
};

// The installer's details; an empty field says it was not filled in.
std::vector<ReportLine> detailLines(const InstallerDetails& details);
// The sensor's values; a missing one says why it is missing.
std::vector<ReportLine> sensorLines(const SensorReadings& readings);

// The pieces of the report's labels and values, for the page that translates them (context
// "InstallationReport"), and the value of a detail that was not filled in.
const std::vector<const char*>& reportTexts();
const char* notGivenText();

// Why a value is missing, as the report says it.
std::string missingText(ExchangeFailure failure);
// Whether every value came from the sensor.
bool complete(const SensorReadings& readings);
// Whether not one value came from it: a page of such a report holds nothing of the sensor.
bool nothingRead(const SensorReadings& readings);

// Whether a calibration table may stand in the report of the sensor read. A table carries the
// number of the sensor it was taken from (0: it names none), and a report never prints one
// sensor's table under another sensor's number, nor under a number it could not read.
enum class TableFit { Fits, OtherSensor, SensorUnread };
TableFit tableFit(std::int32_t tableSensor, const ReadValue& sensorNumber);

}  // namespace dut::report
