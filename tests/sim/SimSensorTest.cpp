#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "RequestFrame.h"
#include "SimCrc.h"
#include "SimSensor.h"

namespace {

using sim::SimSensor;

// Answers are decoded apart from the sensor's own helpers.
using testsupport::frameValue;

bool goodCrc(const std::vector<std::uint8_t>& answer) {
    return answer.size() == 15 && sim::crc8(answer.data(), 14) == answer[14];
}

std::vector<std::uint8_t> readParam(SimSensor& sensor, std::uint8_t number) {
    return sensor.answer(SimSensor::makeRequest(SimSensor::kRead, number, 1));
}

std::vector<std::uint8_t> writeParam(SimSensor& sensor, std::uint8_t number, std::int32_t value) {
    return sensor.answer(SimSensor::makeRequest(SimSensor::kWrite, number, value));
}

TEST(SimCrc, MatchesTheOneWireCheckValues) {
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    const std::uint8_t one[] = {0x01};
    EXPECT_EQ(sim::crc8(digits, sizeof digits), 0xA1);
    EXPECT_EQ(sim::crc8(abc, sizeof abc), 0x42);
    EXPECT_EQ(sim::crc8(one, sizeof one), 0x5E);
    EXPECT_EQ(sim::crc8(one, 0), 0x00);
}

TEST(SimSensorFrames, RequestLayoutIsLittleEndianWithAccessCode) {
    const auto frame = SimSensor::makeRequest(SimSensor::kRead, 0, 1);
    const std::vector<std::uint8_t> expectedHead = {0,    0, 0, 0, 0xBB, 0xCF, 0x58,
                                                    0x00, 1, 0, 1, 0,    0,    0};
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 14), expectedHead);
    EXPECT_EQ(frame[14], sim::crc8(frame.data(), 14));
}

TEST(SimSensorFrames, AnswerEchoesTheHeadAndCarriesTheValue) {
    SimSensor sensor;
    const auto request = SimSensor::makeRequest(SimSensor::kRead, 4, 1);
    const auto answer = sensor.answer(request);
    ASSERT_EQ(answer.size(), 15u);
    EXPECT_TRUE(goodCrc(answer));
    EXPECT_TRUE(std::equal(request.begin(), request.begin() + 10, answer.begin()));
    EXPECT_EQ(frameValue(answer), 3000);
}

TEST(SimSensorFrames, StartValues) {
    SimSensor sensor;
    const struct {
        std::uint8_t number;
        std::int32_t value;
    } cases[] = {{3, 1}, {4, 3000}, {5, 200}, {7, 1234}, {8, 100}, {9, 0}, {10, 7}};
    for (const auto& c : cases) {
        const auto answer = readParam(sensor, c.number);
        ASSERT_TRUE(goodCrc(answer)) << int{c.number};
        EXPECT_EQ(frameValue(answer), c.value) << "parameter " << int{c.number};
    }
    EXPECT_NE(frameValue(readParam(sensor, 7)), 0);
}

TEST(SimSensorFrames, WriteStoresAndAnswersTheStoredValue) {
    SimSensor sensor;
    const auto written = writeParam(sensor, 4, 3456);
    ASSERT_TRUE(goodCrc(written));
    EXPECT_EQ(written[8], SimSensor::kWrite);
    EXPECT_EQ(frameValue(written), 3456);
    EXPECT_EQ(frameValue(readParam(sensor, 4)), 3456);
    EXPECT_EQ(sensor.param(4), 3456);

    EXPECT_EQ(frameValue(writeParam(sensor, 3, 255)), 255);
    EXPECT_EQ(frameValue(writeParam(sensor, 5, -1)), -1);
    EXPECT_EQ(frameValue(readParam(sensor, 5)), -1);
}

TEST(SimSensorFrames, IntervalIsWrittenInFiveSecondUnitsAndReadInSeconds) {
    SimSensor sensor;
    writeParam(sensor, 9, 12);
    EXPECT_EQ(frameValue(readParam(sensor, 9)), 60);
    writeParam(sensor, 9, 0);
    EXPECT_EQ(frameValue(readParam(sensor, 9)), 0);
}

TEST(SimSensorFrames, MeasurementsCannotBeOverwritten) {
    SimSensor sensor;
    sensor.setParam(0, 1000);
    sensor.freezeRaw(true);
    EXPECT_EQ(frameValue(writeParam(sensor, 0, 5)), 1000);
    EXPECT_EQ(sensor.param(0), 1000);
    const std::int32_t level = sensor.param(6);
    EXPECT_EQ(frameValue(writeParam(sensor, 6, 5)), level);
}

TEST(SimSensorFrames, DamagedOrUnknownRequestsGetNoAnswer) {
    SimSensor sensor;
    auto request = SimSensor::makeRequest(SimSensor::kWrite, 4, 999);
    request[14] ^= 0x01;
    EXPECT_TRUE(sensor.answer(request).empty());
    EXPECT_EQ(sensor.param(4), 3000) << "a damaged write must not be applied";

    request = SimSensor::makeRequest(SimSensor::kRead, 4, 1);
    request[12] ^= 0x40;  // flipped bit in the value, CRC left as it was
    EXPECT_TRUE(sensor.answer(request).empty());

    EXPECT_TRUE(sensor.answer(SimSensor::makeRequest(3, 4, 1)).empty());
    EXPECT_TRUE(sensor.answer(SimSensor::makeRequest(0, 4, 1)).empty());
}

TEST(SimSensorFaults, SilentNeverAnswersNorStores) {
    SimSensor sensor;
    sensor.faults.silent = true;
    EXPECT_TRUE(readParam(sensor, 4).empty());
    EXPECT_TRUE(writeParam(sensor, 4, 1111).empty());
    sensor.faults.silent = false;
    EXPECT_EQ(frameValue(readParam(sensor, 4)), 3000);
}

TEST(SimSensorFaults, BadCrcEveryNthAnswer) {
    SimSensor sensor;
    sensor.faults.badCrcEvery = 3;
    std::vector<bool> good;
    for (int i = 0; i < 9; ++i) {
        const auto answer = readParam(sensor, 4);
        ASSERT_EQ(answer.size(), 15u);
        good.push_back(goodCrc(answer));
    }
    EXPECT_EQ(good, (std::vector<bool>{true, true, false, true, true, false, true, true, false}));
}

TEST(SimSensorFaults, BadCrcAtRandomIsSeededAndRoughlyAtTheRate) {
    const auto pattern = [](std::uint32_t seed, double rate) {
        SimSensor sensor;
        sensor.faults.seed = seed;
        sensor.faults.badCrcRate = rate;
        std::vector<bool> bad;
        for (int i = 0; i < 400; ++i) bad.push_back(!goodCrc(readParam(sensor, 3)));
        return bad;
    };
    const auto a = pattern(42, 0.25);
    const auto count = std::count(a.begin(), a.end(), true);
    EXPECT_GT(count, 50);
    EXPECT_LT(count, 150);
    EXPECT_EQ(a, pattern(42, 0.25)) << "the same seed must give the same faults";
    EXPECT_NE(a, pattern(43, 0.25));
    const auto all = pattern(7, 1.0);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), 400);
    const auto none = pattern(7, 0.0);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
}

TEST(SimSensorFaults, ShortAnswersLackTheLastByte) {
    SimSensor sensor;
    sensor.faults.shortAnswers = true;
    const auto answer = readParam(sensor, 4);
    ASSERT_EQ(answer.size(), 14u);
    EXPECT_EQ(frameValue(answer), 3000);
}

TEST(SimSensorFaults, NegativeValues) {
    SimSensor sensor;
    sensor.faults.negativeValue = true;
    const auto full = readParam(sensor, 4);
    EXPECT_TRUE(goodCrc(full));
    EXPECT_EQ(frameValue(full), -3000);
    EXPECT_EQ(frameValue(readParam(sensor, 9)), -5);  // the interval starts at 0
    EXPECT_EQ(sensor.param(4), 3000) << "the fault changes the answer, not the sensor";
}

TEST(SimSensorFaults, SensorNumberZeroOnlyHidesTheNumber) {
    SimSensor sensor;
    sensor.faults.sensorNumberZero = true;
    EXPECT_EQ(frameValue(readParam(sensor, 7)), 0);
    EXPECT_EQ(frameValue(readParam(sensor, 10)), 7);
    EXPECT_EQ(frameValue(readParam(sensor, 3)), 1);
}

TEST(SimSensorFaults, StrayBytesOnlyWithGarbage) {
    SimSensor sensor;
    EXPECT_TRUE(sensor.strayBytes().empty());
    sensor.faults.garbage = true;
    const auto stray = sensor.strayBytes();
    EXPECT_FALSE(stray.empty());
    EXPECT_LT(stray.size(), 15u);
}

TEST(SimSensorLevel, OutputFollowsRawBetweenEmptyAndFull) {
    SimSensor sensor;
    sensor.freezeRaw(true);
    const struct {
        std::int32_t raw;
        std::int32_t at12;
        std::int32_t at10;
    } cases[] = {
        {200, 0, 0}, {3000, 4095, 1023}, {1600, 2048, 512},  // (1600-200)/2800 = half
        {199, 0, 0}, {-50, 0, 0},        {3001, 4095, 1023}, {100000, 4095, 1023},
    };
    for (const auto& c : cases) {
        sensor.setParam(0, c.raw);
        sensor.setParam(8, 100);
        EXPECT_NEAR(frameValue(readParam(sensor, 6)), c.at12, 1) << "raw " << c.raw;
        sensor.setParam(8, 200);
        EXPECT_NEAR(frameValue(readParam(sensor, 6)), c.at10, 1) << "raw " << c.raw;
    }
}

TEST(SimSensorLevel, FollowsTheCalibrationPoints) {
    SimSensor sensor;
    sensor.freezeRaw(true);
    sensor.setParam(0, 1000);
    writeParam(sensor, 5, 1000);
    EXPECT_EQ(sensor.param(6), 0);
    writeParam(sensor, 4, 1000);  // no span left
    EXPECT_EQ(sensor.param(6), 0);
    writeParam(sensor, 5, 0);
    EXPECT_EQ(sensor.param(6), 4095);
}

TEST(SimSensorLevel, RawCyclesSlowlyAndOutputStaysInRange) {
    for (const std::int32_t resolution : {100, 200}) {
        SimSensor sensor;
        sensor.setParam(8, resolution);
        const std::int32_t top = resolution == 200 ? 1023 : 4095;
        std::int32_t lowest = sensor.param(0), highest = lowest;
        bool sawEmpty = false, sawFull = false;
        const std::int32_t start = sensor.param(0);
        for (int step = 0; step < 600; ++step) {  // one minute in 0.1 s steps
            sensor.advance(0.1);
            const std::int32_t raw = sensor.param(0);
            const std::int32_t level = sensor.param(6);
            ASSERT_GE(level, 0);
            ASSERT_LE(level, top);
            sawEmpty = sawEmpty || level == 0;
            sawFull = sawFull || level == top;
            lowest = std::min(lowest, raw);
            highest = std::max(highest, raw);
            if (step == 0) {
                EXPECT_LT(std::abs(raw - start), 20) << "the cycle must be slow";
            }
        }
        EXPECT_GE(lowest, SimSensor::kRawLow);
        EXPECT_LE(highest, SimSensor::kRawHigh);
        EXPECT_LT(lowest, 200);
        EXPECT_GT(highest, 3000);
        EXPECT_TRUE(sawEmpty);
        EXPECT_TRUE(sawFull);
        EXPECT_NEAR(sensor.param(0), start, 2) << "one full cycle returns to the start";
    }
}

TEST(SimSensorLevel, FrozenRawStaysPut) {
    SimSensor sensor;
    sensor.setParam(0, 2500);
    sensor.freezeRaw(true);
    sensor.advance(13.0);
    EXPECT_EQ(frameValue(readParam(sensor, 0)), 2500);
    sensor.freezeRaw(false);
    sensor.advance(13.0);
    EXPECT_NE(sensor.param(0), 2500);
    const std::int32_t before = sensor.param(0);
    sensor.advance(-5.0);  // time never runs backwards
    EXPECT_EQ(sensor.param(0), before);
}

}  // namespace
