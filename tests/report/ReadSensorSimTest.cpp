// The report's reads against the simulated sensor: the ordinary exchange with its attempts,
// and a sensor that stops answering is not asked again for every remaining value.

#include <gtest/gtest.h>

#include "ConfigLink.h"
#include "InstallationReport.h"
#include "SimLine.h"

namespace cfgtest {
namespace {

using dut::ConfigLink;
using dut::ExchangeFailure;

std::vector<int> readParameters(const std::vector<Request>& requests) {
    std::vector<int> out;
    for (const auto& r : requests) {
        EXPECT_EQ(r.operation, ConfigLink::kOpRead) << "the report never writes";
        out.push_back(r.parameter);
    }
    return out;
}

class ReadSensorTest : public SimLineTest {
  protected:
    // What the progress told, one "label index/count" per value asked for, and how many
    // requests had gone to the line when it was told.
    std::vector<std::string> announced;
    std::vector<std::size_t> sentBefore;
    dut::report::ReadProgress recorder() {
        return [this](const char* label, std::size_t index, std::size_t count) {
            announced.push_back(std::string(label) + " " + std::to_string(index) + "/" +
                                std::to_string(count));
            sentBefore.push_back(requests().size());
        };
    }

    void SetUp() override {
        SimLineTest::SetUp();
        sensor.setParam(3, 17);
        sensor.setParam(4, 3100);
        sensor.setParam(5, 250);
        sensor.setParam(8, 200);
        sensor.setParam(9, 120);
    }
};

TEST_F(ReadSensorTest, AnAnsweringSensorGivesEveryValueOnce) {
    openLine();
    const auto readings = dut::report::readSensor(link, recorder());
    ASSERT_TRUE(dut::report::complete(readings));
    // Each value is announced before its exchange, in the order asked.
    EXPECT_EQ(announced,
              (std::vector<std::string>{"Номер датчика 0/7", "Сетевой адрес 1/7", "Полный бак 2/7",
                                        "Пустой бак 3/7", "Разрешение выхода 4/7",
                                        "Интервал выдачи 5/7", "Версия 6/7"}));
    EXPECT_EQ(sentBefore, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(*readings.number.value, 1234);
    EXPECT_EQ(*readings.version.value, 7);
    EXPECT_EQ(*readings.address.value, 17);
    EXPECT_EQ(*readings.full.value, 3100);
    EXPECT_EQ(*readings.empty.value, 250);
    EXPECT_EQ(*readings.resolution.value, 200);
    EXPECT_EQ(*readings.interval.value, 120);
    EXPECT_EQ(readParameters(requests()), (std::vector<int>{7, 3, 4, 5, 8, 9, 10}));
    EXPECT_TRUE(state.linkFlag);
}

// A value the sensor does not answer takes the whole round of attempts; the values after it
// are not asked for and carry the same failure.
TEST_F(ReadSensorTest, ASensorThatFallsSilentIsNotAskedForTheRest) {
    openLine();
    port.drop(ConfigLink::kOpRead, 8);  // the request never reaches the line
    const auto readings = dut::report::readSensor(link, recorder());
    // The value that was waited for in vain is the last one announced.
    ASSERT_EQ(announced.size(), 5u);
    EXPECT_EQ(announced.back(), "Разрешение выхода 4/7");
    EXPECT_EQ(*readings.empty.value, 250);
    ASSERT_FALSE(readings.resolution.value);
    const ExchangeFailure why = readings.resolution.failure;
    EXPECT_TRUE(why == ExchangeFailure::PortError || why == ExchangeFailure::NoAnswer);
    for (const auto* missing : {&readings.interval, &readings.version}) {
        EXPECT_FALSE(missing->value);
        EXPECT_EQ(missing->failure, why);
    }
    EXPECT_EQ(readParameters(requests()), (std::vector<int>{7, 3, 4, 5}));
    const auto lines = dut::report::sensorLines(readings);
    EXPECT_EQ(lines[0].value, "1234");
    EXPECT_EQ(lines[4].value, "250");
    for (const std::size_t missing : {1, 5, 6}) {  // the version is read last
        EXPECT_EQ(lines[missing].value, dut::report::missingText(why));
    }
}

TEST_F(ReadSensorTest, ASilentSensorGivesNoValueAtAll) {
    openLine();
    auto faults = sensor.faults();
    faults.silent = true;
    sensor.setFaults(faults);
    const auto readings = dut::report::readSensor(link, recorder());
    EXPECT_EQ(announced, std::vector<std::string>{"Номер датчика 0/7"});
    EXPECT_TRUE(dut::report::nothingRead(readings));
    for (const auto& line : dut::report::sensorLines(readings)) {
        EXPECT_EQ(line.value, "нет ответа датчика") << line.label;
    }
    // One round of attempts for the first value, and nothing more.
    const auto asked = readParameters(requests());
    EXPECT_EQ(asked, std::vector<int>(ConfigLink::kMaxAttempts, 7));
    EXPECT_FALSE(state.linkFlag);
}

TEST_F(ReadSensorTest, AClosedLineIsReportedAsSuchWithoutAnExchange) {
    const auto readings = dut::report::readSensor(link);
    for (const auto& line : dut::report::sensorLines(readings)) {
        EXPECT_EQ(line.value, "нет связи с датчиком: порт не открыт или отказал") << line.label;
    }
    EXPECT_TRUE(requests().empty());
}

}  // namespace
}  // namespace cfgtest
