// The report's lines from what was read: every value shown as the installer reads it, and
// every missing one saying why, never a blank and never a number from nowhere.

#include <gtest/gtest.h>

#include "InstallationReport.h"

namespace {

using dut::ExchangeFailure;
using dut::report::ReadValue;
using dut::report::SensorReadings;

ReadValue answered(std::int32_t value) {
    return {value, ExchangeFailure::None};
}
ReadValue failed(ExchangeFailure why) {
    return {std::nullopt, why};
}

SensorReadings allAnswered(std::int32_t resolution, std::int32_t interval) {
    return {answered(1234), answered(7),          answered(12),      answered(3000),
            answered(200),  answered(resolution), answered(interval)};
}

std::vector<std::string> values(const std::vector<dut::report::ReportLine>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines) out.push_back(line.value);
    return out;
}

struct OutputCase {
    std::int32_t resolution;
    std::int32_t interval;
    std::string resolutionText;
    std::string intervalText;
};

class OutputSettings : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputSettings, ReadAsTheInstallerNamesThem) {
    const auto& c = GetParam();
    const auto lines = dut::report::sensorLines(allAnswered(c.resolution, c.interval));
    EXPECT_EQ(values(lines), (std::vector<std::string>{"1234", "7", "12", "3000", "200",
                                                       c.resolutionText, c.intervalText}));
}

INSTANTIATE_TEST_SUITE_P(
    Report, OutputSettings,
    ::testing::Values(OutputCase{100, 0, "12 бит (0…4095)", "выключена"},
                      OutputCase{200, 10, "10 бит (0…1023)", "10 сек"},
                      OutputCase{200, 300, "10 бит (0…1023)", "300 сек"},
                      // A code the sensor should not hold is shown as it came, not guessed.
                      OutputCase{0, 5, "неизвестный код 0", "5 сек"},
                      OutputCase{101, 60, "неизвестный код 101", "60 сек"}));

TEST(Report, EachMissingValueSaysWhy) {
    const std::vector<std::pair<ExchangeFailure, std::string>> cases = {
        {ExchangeFailure::NoAnswer, "нет ответа датчика"},
        {ExchangeFailure::BadCrcOnly, "ответ датчика искажён, значение не прочитано"},
        {ExchangeFailure::ShortAnswers, "ответ датчика искажён, значение не прочитано"},
        {ExchangeFailure::OnlyStrays, "ответы датчика на другие запросы, значение не прочитано"},
        {ExchangeFailure::PortError, "нет связи с датчиком: порт не открыт или отказал"},
    };
    for (const auto& [why, text] : cases) {
        const ReadValue none = failed(why);
        const SensorReadings readings{none, none, none, none, none, none, none};
        EXPECT_FALSE(dut::report::complete(readings));
        for (const auto& line : dut::report::sensorLines(readings)) {
            EXPECT_EQ(line.value, text) << line.label;
        }
    }
}

TEST(Report, OneMissingValueLeavesTheOthersAsRead) {
    SensorReadings readings = allAnswered(100, 20);
    EXPECT_TRUE(dut::report::complete(readings));
    readings.full = failed(ExchangeFailure::BadCrcOnly);
    EXPECT_FALSE(dut::report::complete(readings));
    EXPECT_EQ(
        values(dut::report::sensorLines(readings)),
        (std::vector<std::string>{"1234", "7", "12", "ответ датчика искажён, значение не прочитано",
                                  "200", "12 бит (0…4095)", "20 сек"}));
}

TEST(Report, DetailsLeftEmptySaySo) {
    const dut::report::InstallerDetails details{"Петров", "", "   ", "\t", "Основной, 350 л"};
    const auto lines = dut::report::detailLines(details);
    EXPECT_EQ(values(lines), (std::vector<std::string>{"Петров", "не указано", "не указано",
                                                       "не указано", "Основной, 350 л"}));
    for (const auto& line : lines) EXPECT_FALSE(line.label.empty());
}

TEST(Report, NothingReadOnlyWhenNoValueCameAtAll) {
    const ReadValue none = failed(ExchangeFailure::NoAnswer);
    SensorReadings readings{none, none, none, none, none, none, none};
    EXPECT_TRUE(dut::report::nothingRead(readings));
    // Any one value, the last read included, is something to show.
    for (ReadValue SensorReadings::*member :
         {&SensorReadings::number, &SensorReadings::version, &SensorReadings::interval}) {
        SensorReadings one = readings;
        one.*member = answered(0);
        EXPECT_FALSE(dut::report::nothingRead(one));
        EXPECT_FALSE(dut::report::complete(one));
    }
    EXPECT_FALSE(dut::report::nothingRead(allAnswered(100, 0)));
}

struct FitCase {
    std::int32_t tableSensor;
    ReadValue read;
    dut::report::TableFit fit;
};

class TableOwner : public ::testing::TestWithParam<FitCase> {};

TEST_P(TableOwner, ATableStandsOnlyUnderItsOwnSensorsNumber) {
    const auto& c = GetParam();
    EXPECT_EQ(dut::report::tableFit(c.tableSensor, c.read), c.fit);
}

using dut::report::TableFit;
INSTANTIATE_TEST_SUITE_P(
    Report, TableOwner,
    ::testing::Values(FitCase{1234, answered(1234), TableFit::Fits},
                      FitCase{1234, answered(5678), TableFit::OtherSensor},
                      FitCase{1234, answered(1235), TableFit::OtherSensor},
                      // A sensor that reads as 0 is no sensor the table names.
                      FitCase{1234, answered(0), TableFit::OtherSensor},
                      FitCase{1234, failed(ExchangeFailure::NoAnswer), TableFit::SensorUnread},
                      FitCase{1234, failed(ExchangeFailure::BadCrcOnly), TableFit::SensorUnread},
                      // A table that names no sensor claims none.
                      FitCase{0, answered(5678), TableFit::Fits},
                      FitCase{0, failed(ExchangeFailure::PortError), TableFit::Fits}));

}  // namespace
