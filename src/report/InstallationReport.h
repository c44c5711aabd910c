#pragma once

#include <cstdint>
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

// Reads every value through the ordinary exchange with its retries. Once the sensor has not
// answered at all (or the line has failed), the values after it are not asked for: each would
// cost the whole round of attempts again, and they carry that same failure instead.
SensorReadings readSensor(ConfigLink& link);

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

}  // namespace dut::report
