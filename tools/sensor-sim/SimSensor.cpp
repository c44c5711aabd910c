#include "SimSensor.h"

#include <cmath>
#include <cstring>

#include "SimCrc.h"

namespace sim {

namespace {

constexpr std::uint8_t kRawValue = 0;
constexpr std::uint8_t kFullLevel = 4;
constexpr std::uint8_t kEmptyLevel = 5;
constexpr std::uint8_t kOutputLevel = 6;
constexpr std::uint8_t kSensorNumber = 7;
constexpr std::uint8_t kResolution = 8;
constexpr std::uint8_t kInterval = 9;

void putValue(std::uint8_t* frame, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) frame[10 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::uint32_t mixSeed(std::uint32_t seed) {
    // xorshift must never start at zero.
    const std::uint32_t mixed = seed ^ 0x9E3779B9u;
    return mixed == 0 ? 1u : mixed;
}

}  // namespace

SimSensor::Frame SimSensor::makeRequest(std::uint8_t operation, std::uint8_t number,
                                        std::int32_t value) {
    Frame frame{};
    for (int i = 0; i < 4; ++i) frame[4 + i] = static_cast<std::uint8_t>(kAccessCode >> (8 * i));
    frame[8] = operation;
    frame[9] = number;
    putValue(frame.data(), value);
    frame[14] = crc8(frame.data(), kFrameSize - 1);
    return frame;
}

bool SimSensor::crcOk(const std::uint8_t* frame, std::size_t size) {
    return size >= 2 && crc8(frame, size - 1) == frame[size - 1];
}

std::int32_t SimSensor::valueOf(const std::uint8_t* frame) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(frame[10 + i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

SimSensor::SimSensor() : rng_(mixSeed(faults.seed)), seededWith_(faults.seed) {
    params_[3] = 1;  // network address
    params_[kFullLevel] = 3000;
    params_[kEmptyLevel] = 200;
    params_[kSensorNumber] = 1234;
    params_[kResolution] = 100;
    params_[kInterval] = 0;
    params_[10] = 7;  // version
    // Start part-way up the sweep so that a fresh connection sees a value inside the
    // calibrated range rather than the bottom of the tank.
    phase_ = 0.25;
    updateRaw();
}

std::uint32_t SimSensor::nextRandom() {
    if (seededWith_ != faults.seed) {
        seededWith_ = faults.seed;
        rng_ = mixSeed(faults.seed);
    }
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
}

void SimSensor::updateRaw() {
    if (rawFrozen_) return;
    const double rise = phase_ < 0.5 ? 2.0 * phase_ : 2.0 - 2.0 * phase_;
    params_[kRawValue] =
        kRawLow + static_cast<std::int32_t>(std::lround(rise * (kRawHigh - kRawLow)));
}

void SimSensor::advance(double seconds) {
    if (!(seconds > 0.0) || !std::isfinite(seconds)) return;
    phase_ = std::fmod(phase_ + seconds / kCycleSeconds, 1.0);
    updateRaw();
}

std::int32_t SimSensor::param(std::uint8_t number) const {
    if (number == kOutputLevel) {
        const auto find = [this](std::uint8_t n) {
            const auto it = params_.find(n);
            return it == params_.end() ? std::int64_t{0} : std::int64_t{it->second};
        };
        const std::int64_t top = find(kResolution) == 200 ? 1023 : 4095;
        const std::int64_t raw = find(kRawValue);
        const std::int64_t empty = find(kEmptyLevel);
        const std::int64_t full = find(kFullLevel);
        // A calibration with both points equal has no span: report an empty tank instead
        // of dividing by zero.
        if (full == empty) return 0;
        std::int64_t level = ((raw - empty) * top * 2 + (full - empty)) / ((full - empty) * 2);
        if (level < 0) level = 0;
        if (level > top) level = top;
        return static_cast<std::int32_t>(level);
    }
    const auto it = params_.find(number);
    return it == params_.end() ? 0 : it->second;
}

void SimSensor::setParam(std::uint8_t number, std::int32_t value) {
    params_[number] = value;
}

void SimSensor::freezeRaw(bool frozen) {
    rawFrozen_ = frozen;
}

std::vector<std::uint8_t> SimSensor::answer(const Frame& request) {
    if (!crcOk(request.data(), request.size())) return {};
    if (faults.silent) return {};
    const std::uint8_t operation = request[8];
    const std::uint8_t number = request[9];
    if (operation != kRead && operation != kWrite) return {};

    if (operation == kWrite && number != kRawValue && number != kOutputLevel) {
        std::int32_t value = valueOf(request.data());
        // The interval goes in as units of 5 s and is kept (and read back) in seconds.
        if (number == kInterval) value = static_cast<std::int32_t>(std::int64_t{value} * 5);
        params_[number] = value;
    }

    std::int32_t value = param(number);
    if (number == kSensorNumber && faults.sensorNumberZero) value = 0;
    if (faults.negativeValue) value = value > 0 ? -value : (value == 0 ? -5 : value);

    std::vector<std::uint8_t> out(request.begin(), request.begin() + 10);
    out.resize(kFrameSize);
    if (faults.noEcho) out[8] = out[9] = 0;
    putValue(out.data(), value);
    out[14] = crc8(out.data(), kFrameSize - 1);

    ++answersGiven_;
    bool corrupt = faults.badCrcEvery > 0 &&
                   answersGiven_ % static_cast<std::uint64_t>(faults.badCrcEvery) == 0;
    if (faults.badCrcRate > 0.0) {
        const double draw = static_cast<double>(nextRandom()) / 4294967296.0;
        if (draw < faults.badCrcRate) corrupt = true;
    }
    if (corrupt) out[14] = static_cast<std::uint8_t>(~out[14]);
    if (faults.shortAnswers) out.resize(kFrameSize - 1);
    return out;
}

std::vector<std::uint8_t> SimSensor::strayBytes() {
    if (!faults.garbage) return {};
    const std::uint32_t r = nextRandom();
    return {0xA5, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r >> 8)};
}

}  // namespace sim
