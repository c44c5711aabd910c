// The simulated sensor's request handling on arbitrary frames. Input: four bytes of faults
// (switches, every-Nth bad CRC-8, random bad CRC-8 rate, seed), then records of one control
// byte and 15 frame bytes. Control bit 0 seals the frame with a good CRC-8 so that the
// fuzzer reaches the answering code often; bit 1 moves the tank first, by an amount taken
// from the upper bits (some of them odd values a caller might pass).
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "FuzzCheck.h"
#include "InputReader.h"
#include "ReferenceCrc8.h"
#include "SimSensor.h"

namespace {

using sim::SimSensor;

constexpr std::uint8_t kRawValue = 0;
constexpr std::uint8_t kOutputLevel = 6;
constexpr std::uint8_t kSensorNumber = 7;
constexpr std::uint8_t kResolution = 8;
constexpr std::uint8_t kInterval = 9;

sim::SensorFaults readFaults(fuzz::InputReader& input) {
    sim::SensorFaults faults;
    const std::uint8_t switches = input.byte();
    faults.silent = switches & 0x01;
    faults.shortAnswers = switches & 0x02;
    faults.garbage = switches & 0x04;
    faults.negativeValue = switches & 0x08;
    faults.sensorNumberZero = switches & 0x10;
    faults.badCrcEvery = input.byte() % 8;
    // Mostly off, so that the strict CRC-8 checks below get most of the runs.
    const std::uint8_t rate = input.byte();
    faults.badCrcRate = rate >= 0xF0 ? (rate - 0xF0) / 15.0 : 0.0;
    faults.seed = input.byte();
    return faults;
}

double advanceSeconds(std::uint8_t control) {
    const int step = control >> 2;
    switch (step) {
        case 60:
            return std::numeric_limits<double>::quiet_NaN();
        case 61:
            return std::numeric_limits<double>::infinity();
        case 62:
            return -1.0;
        case 63:
            return 1e300;
        default:
            return step * 0.75;
    }
}

std::int32_t valueIn(const std::vector<std::uint8_t>& answer) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(answer[10 + i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// The value a good answer carries once the faults have had their say.
std::int32_t faultedValue(const sim::SensorFaults& faults, std::uint8_t number,
                          std::int32_t value) {
    if (number == kSensorNumber && faults.sensorNumberZero) value = 0;
    if (faults.negativeValue) value = value > 0 ? -value : (value == 0 ? -5 : value);
    return value;
}

void checkMeasurements(const SimSensor& sensor) {
    const std::int32_t raw = sensor.param(kRawValue);
    FUZZ_CHECK(raw >= SimSensor::kRawLow && raw <= SimSensor::kRawHigh);
    const std::int32_t top = sensor.param(kResolution) == 200 ? 1023 : 4095;
    const std::int32_t level = sensor.param(kOutputLevel);
    FUZZ_CHECK(level >= 0 && level <= top);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader input(data, size);
    SimSensor sensor;
    sensor.faults = readFaults(input);
    const sim::SensorFaults& faults = sensor.faults;
    std::uint64_t answered = 0;

    while (!input.empty()) {
        const std::uint8_t control = input.byte();
        SimSensor::Frame request{};
        input.take(request.data(), request.size());
        if (control & 0x01) request[14] = fuzz::referenceCrc8(request.data(), 14);
        if (control & 0x02) sensor.advance(advanceSeconds(control));
        checkMeasurements(sensor);

        const std::uint8_t operation = request[8];
        const std::uint8_t number = request[9];
        const std::int32_t before = sensor.param(number);
        const bool wellFormed = fuzz::referenceCrcOk(request.data(), request.size()) &&
                                (operation == SimSensor::kRead || operation == SimSensor::kWrite);
        const std::vector<std::uint8_t> answer = sensor.answer(request);

        if (!wellFormed || faults.silent) {
            FUZZ_CHECK(answer.empty());
            FUZZ_CHECK(sensor.param(number) == before);  // nothing stored from it either
            continue;
        }
        ++answered;
        FUZZ_CHECK(answer.size() == (faults.shortAnswers ? 14u : 15u));
        for (int i = 0; i < 10; ++i) FUZZ_CHECK(answer[i] == request[i]);

        const bool write = operation == SimSensor::kWrite;
        if (write && number != kRawValue && number != kOutputLevel) {
            std::uint32_t stored = 0;
            for (int i = 0; i < 4; ++i) stored |= std::uint32_t{request[10 + i]} << (8 * i);
            if (number == kInterval) stored *= 5u;  // taken in units of 5 s, kept in seconds
            FUZZ_CHECK(sensor.param(number) == static_cast<std::int32_t>(stored));
        } else {
            FUZZ_CHECK(sensor.param(number) == before);
        }
        FUZZ_CHECK(valueIn(answer) == faultedValue(faults, number, sensor.param(number)));

        if (!faults.shortAnswers) {
            const bool crcGood = fuzz::referenceCrcOk(answer.data(), answer.size());
            const bool spoiled =
                faults.badCrcEvery > 0 && answered % static_cast<unsigned>(faults.badCrcEvery) == 0;
            if (spoiled) FUZZ_CHECK(!crcGood);
            if (!spoiled && faults.badCrcRate == 0.0) FUZZ_CHECK(crcGood);
        }
        const std::vector<std::uint8_t> stray = sensor.strayBytes();
        FUZZ_CHECK(stray.empty() == !faults.garbage);
        FUZZ_CHECK(stray.size() < SimSensor::kFrameSize);
        checkMeasurements(sensor);
    }
    return 0;
}
