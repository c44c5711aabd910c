// A sensor's settings read from and written to the simulated sensor over a pseudo-terminal,
// through the real serial port and ConfigLink.
#include <gtest/gtest.h>

#include <algorithm>

#include "FastSensor.h"
#include "SensorParams.h"
#include "SerialPort.h"
#include "SettingsTransfer.h"

namespace {

using namespace dut::settings;

class SettingsTransferSim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sensor.start());
        ASSERT_TRUE(serial.open(sensor.devicePath()));
    }
    void TearDown() override {
        serial.close();
        sensor.stop();
    }
    // A second sensor's settings: every writable value differs from the simulator's own.
    static SettingsDocument otherSensorsSettings(std::int32_t number) {
        SettingsDocument document;
        document.sensorNumber = number;
        document.date = "2026-12-10T10:15:00";
        document.values = {{3, 42}, {4, 3900}, {5, 150}, {8, 200}, {9, 120}};
        return document;
    }

    sim::PtySensor sensor{testsupport::fastSensorOptions()};
    dut::SerialPort serial;
    dut::LinkState state;
    dut::ConfigLink link{serial, state};
};

TEST_F(SettingsTransferSim, SavedDocumentHoldsWhatTheSensorSaid) {
    sensor.setParam(8, 200);
    sensor.setParam(9, 30);
    const SaveOutcome saved = documentFor(readSensor(link), "2026-12-10");
    ASSERT_TRUE(saved.document.has_value()) << saved.refusal;
    const std::map<std::uint8_t, std::int32_t> expected = {{3, 1},   {4, 3000}, {5, 200},
                                                           {8, 200}, {9, 30},   {10, 7}};
    EXPECT_EQ(saved.document->values, expected);
    EXPECT_EQ(saved.document->sensorNumber, 1234);
    EXPECT_TRUE(saved.left.empty());
}

TEST_F(SettingsTransferSim, ValuesNoFileCanHoldAreLeftOutAndNamed) {
    sensor.setParam(8, 150);  // neither 12 nor 10 bit
    sensor.setParam(9, 2);    // the interval as written, never as the sensor reports it
    const SaveOutcome saved = documentFor(readSensor(link), "2026-12-10");
    ASSERT_TRUE(saved.document.has_value()) << saved.refusal;
    EXPECT_EQ(saved.document->values.count(8), 0u);
    EXPECT_EQ(saved.document->values.count(9), 0u);
    ASSERT_EQ(saved.left.size(), 2u);
    EXPECT_NE(saved.left[0].find("150"), std::string::npos);
    // What is left still makes a file that reads back.
    EXPECT_TRUE(parseSettings(writeSettings(*saved.document)).document.has_value());
}

TEST_F(SettingsTransferSim, SilentSensorGivesNoDocumentAfterOneExchange) {
    sim::SensorFaults faults;
    faults.silent = true;
    sensor.setFaults(faults);
    sensor.clearRequests();
    const SensorReading reading = readSensor(link);
    const SaveOutcome saved = documentFor(reading, "2026-12-10");
    EXPECT_FALSE(saved.document.has_value());
    EXPECT_NE(saved.refusal.find("не отвечает"), std::string::npos);
    // Only the sensor number was asked for, with its 16 attempts.
    EXPECT_EQ(sensor.requests().size(), 16u);
}

TEST_F(SettingsTransferSim, LevelsStartUntickedOnlyForAnotherSensor) {
    for (const std::int32_t number : {1234, 999}) {
        const std::vector<CompareRow> rows =
            compare(otherSensorsSettings(number), readSensor(link));
        for (const CompareRow& row : rows) {
            const bool level = row.parameter == 4 || row.parameter == 5;
            EXPECT_EQ(row.tickedByDefault, row.writable && (number == 1234 || !level))
                << "file of sensor " << number << ", parameter " << int(row.parameter);
        }
        const auto address = std::find_if(rows.begin(), rows.end(),
                                          [](const CompareRow& r) { return r.parameter == 3; });
        ASSERT_NE(address, rows.end());
        EXPECT_EQ(address->inFile, 42);
        EXPECT_EQ(address->inSensor, 1);
    }
}

TEST_F(SettingsTransferSim, TickedValuesAreWrittenReadBackAndTheRestLeftAlone) {
    SettingsDocument document = otherSensorsSettings(999);
    document.values[0] = 5;   // read-only: named by the file, never written
    document.values[10] = 9;  // read-only
    sensor.clearRequests();
    const auto outcomes = apply(link, document, {3, 8, 9, 0, 10, 7});
    ASSERT_EQ(outcomes.size(), 3u);
    for (const WriteOutcome& outcome : outcomes) {
        EXPECT_TRUE(outcome.taken()) << int(outcome.parameter);
    }
    EXPECT_EQ(sensor.param(3), 42);
    EXPECT_EQ(sensor.param(4), 3000);  // unticked
    EXPECT_EQ(sensor.param(5), 200);   // unticked
    EXPECT_EQ(sensor.param(8), 200);
    EXPECT_EQ(sensor.param(9), 120);  // written as 24, held in seconds
    EXPECT_EQ(sensor.param(10), 7);
    // A write and its read-back (value field 0) per ticked parameter, and nothing else.
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[5][8], 1);
    EXPECT_EQ(requests[5][9], 9);
    EXPECT_EQ(sim::SimSensor::valueOf(requests[4].data()), 24);
    EXPECT_EQ(sim::SimSensor::valueOf(requests[5].data()), 0);
    const std::string summary = summaryText(outcomes);
    EXPECT_NE(summary.find("Сетевой адрес: 42 — установлено"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Периодическая выдача данных: 2 мин — установлено"), std::string::npos)
        << summary;
}

TEST_F(SettingsTransferSim, SilentSensorTakesNothingAndIsNotAskedAgain) {
    sim::SensorFaults faults;
    faults.silent = true;
    sensor.setFaults(faults);
    sensor.clearRequests();
    const auto outcomes = apply(link, otherSensorsSettings(1234), {4, 5});
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_FALSE(outcomes[0].taken());
    EXPECT_TRUE(outcomes[0].attempted);
    EXPECT_FALSE(outcomes[1].taken());
    EXPECT_FALSE(outcomes[1].attempted);
    // The full level's write and read-back, 16 attempts each; the empty level never went out.
    EXPECT_EQ(sensor.requests().size(), 32u);
    const std::string summary = summaryText(outcomes);
    EXPECT_NE(summary.find("Полный бак: 3900 — НЕ установлено (датчик не ответил)"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("Пустой бак: 150 — НЕ записано: датчик перестал отвечать"),
              std::string::npos)
        << summary;
}

TEST_F(SettingsTransferSim, RefusedValueIsReportedWithWhatTheSensorHolds) {
    // A sensor that keeps its old address whatever it is sent.
    sensor.setParam(3, 1);
    SettingsDocument document = otherSensorsSettings(1234);
    sim::SensorFaults faults;
    faults.negativeValue = true;  // every answer reads as 0 on the program's side
    sensor.setFaults(faults);
    const auto outcomes = apply(link, document, {3, 9});
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_FALSE(outcomes[0].taken());
    EXPECT_TRUE(outcomes[1].attempted);  // an answer, even a wrong one, is no silence
    EXPECT_NE(summaryText(outcomes).find("Сетевой адрес: 42 — НЕ установлено (датчик сообщил 0)"),
              std::string::npos)
        << summaryText(outcomes);
}

}  // namespace
