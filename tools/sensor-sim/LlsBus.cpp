#include "LlsBus.h"

#include <algorithm>
#include <utility>

#include "SimCrc.h"

namespace sim::lls {

namespace {

constexpr std::uint16_t kLowestLevel = 100;
constexpr std::uint16_t kHighestLevel = 4000;
constexpr int kMaxStep = 60;  // level change per poll while the tank is being filled

}  // namespace

std::vector<std::uint8_t> makeRequest(std::uint8_t address, bool goodCrc) {
    std::vector<std::uint8_t> packet{kRequestPrefix, address, kLevelCommand, 0};
    packet[3] = crc8(packet.data(), 3);
    if (!goodCrc) packet[3] = static_cast<std::uint8_t>(~packet[3]);
    return packet;
}

std::vector<std::uint8_t> makeAnswer(std::uint8_t address, std::uint16_t level, bool goodCrc,
                                     std::int8_t temperature, std::uint16_t frequency) {
    std::vector<std::uint8_t> packet{kAnswerPrefix,
                                     address,
                                     kLevelCommand,
                                     static_cast<std::uint8_t>(temperature),
                                     static_cast<std::uint8_t>(level & 0xFF),
                                     static_cast<std::uint8_t>(level >> 8),
                                     static_cast<std::uint8_t>(frequency & 0xFF),
                                     static_cast<std::uint8_t>(frequency >> 8),
                                     0};
    packet[8] = crc8(packet.data(), 8);
    if (!goodCrc) packet[8] = static_cast<std::uint8_t>(~packet[8]);
    return packet;
}

bool crcOk(const std::vector<std::uint8_t>& packet) {
    return packet.size() >= 2 && crc8(packet.data(), packet.size() - 1) == packet.back();
}

LlsBus::LlsBus(std::vector<std::uint8_t> addresses, std::uint32_t seed)
    : addresses_(std::move(addresses)), rng_((seed ^ 0x2545F491u) == 0 ? 1u : seed ^ 0x2545F491u) {
    if (addresses_.empty()) addresses_.push_back(1);
    for (const std::uint8_t address : addresses_) {
        Sensor& sensor = sensors_[address];
        sensor.level = static_cast<std::uint16_t>(kLowestLevel + random() % 2000);
        sensor.target = sensor.level;
        // Start settled, so that repeated answers show up from the first polls on.
        sensor.settleLeft = settlePolls;
    }
}

std::uint32_t LlsBus::random() {
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
}

int LlsBus::gap() {
    const int low = std::max(0, std::min(minGapMs, maxGapMs));
    const int high = std::max(low, maxGapMs);
    return low + static_cast<int>(random() % static_cast<std::uint32_t>(high - low + 1));
}

void LlsBus::step(Sensor& sensor) {
    if (sensor.settleLeft > 0) {
        --sensor.settleLeft;
        return;
    }
    if (sensor.level == sensor.target) {
        sensor.target =
            static_cast<std::uint16_t>(kLowestLevel + random() % (kHighestLevel - kLowestLevel));
    }
    const int distance = int{sensor.target} - int{sensor.level};
    const int move = std::clamp(distance, -kMaxStep, kMaxStep);
    sensor.level = static_cast<std::uint16_t>(sensor.level + move);
    if (sensor.level == sensor.target) sensor.settleLeft = settlePolls;
}

std::vector<Chunk> LlsBus::nextPoll() {
    const std::uint8_t address = addresses_[next_];
    next_ = (next_ + 1) % addresses_.size();
    ++polls_;
    const auto every = [](int n, std::uint64_t count) {
        return n > 0 && count % static_cast<std::uint64_t>(n) == 0;
    };

    std::vector<Chunk> chunks;
    chunks.push_back({gap(), makeRequest(address)});
    if (every(faults.dropAnswerEvery, polls_)) return chunks;

    Sensor& sensor = sensors_[address];
    step(sensor);
    ++answers_;
    const bool good = !every(faults.badCrcEvery, answers_);
    const auto answer = makeAnswer(address, sensor.level, good, 21,
                                   static_cast<std::uint16_t>(20000 + sensor.level));
    if (every(faults.mergeEvery, answers_)) {
        chunks.back().bytes.insert(chunks.back().bytes.end(), answer.begin(), answer.end());
    } else {
        chunks.push_back({gap(), answer});
    }
    return chunks;
}

std::uint16_t LlsBus::level(std::uint8_t address) const {
    const auto it = sensors_.find(address);
    return it == sensors_.end() ? 0 : it->second.level;
}

void LlsBus::setLevel(std::uint8_t address, std::uint16_t level) {
    Sensor& sensor = sensors_[address];
    sensor.level = level;
    sensor.target = level;
    sensor.settleLeft = settlePolls;
}

}  // namespace sim::lls
