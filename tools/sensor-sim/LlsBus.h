#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace sim::lls {

constexpr std::uint8_t kRequestPrefix = 0x31;
constexpr std::uint8_t kAnswerPrefix = 0x3E;
constexpr std::uint8_t kLevelCommand = 0x06;
constexpr std::size_t kRequestSize = 4;
constexpr std::size_t kAnswerSize = 9;

// Level request, terminal to sensor: [0x31, address, 0x06, CRC-8 of bytes 0..2].
// With goodCrc false the CRC-8 byte is deliberately wrong.
std::vector<std::uint8_t> makeRequest(std::uint8_t address, bool goodCrc = true);

// Level answer, sensor to terminal: [0x3E, address, 0x06, temperature, level (LE),
// frequency (LE), CRC-8 of bytes 0..7].
std::vector<std::uint8_t> makeAnswer(std::uint8_t address, std::uint16_t level, bool goodCrc = true,
                                     std::int8_t temperature = 21, std::uint16_t frequency = 0);

// Whether the last byte is the CRC-8 of the bytes before it.
bool crcOk(const std::vector<std::uint8_t>& packet);

// How a terminal's polling goes wrong on a real line, each every Nth time (0: never).
struct LlsFaults {
    int badCrcEvery = 0;      // every Nth answer carries a wrong CRC-8
    int dropAnswerEvery = 0;  // every Nth request stays unanswered
    int mergeEvery = 0;       // every Nth answer follows its request without a pause
};

// One write onto the line: the silence before it and its bytes.
struct Chunk {
    int gapBeforeMs = 0;
    std::vector<std::uint8_t> bytes;
};

// A vehicle terminal polling its sensors in turn, and the sensors' answers. Levels move
// towards a new target and then settle for several polls, so repeated identical answers
// can be observed. Deterministic for a given seed.
class LlsBus {
  public:
    explicit LlsBus(std::vector<std::uint8_t> addresses, std::uint32_t seed = 1);

    // The next address's request and (unless dropped) its answer, with the silences
    // before each. A merged answer comes in the same chunk as its request.
    std::vector<Chunk> nextPoll();

    std::uint16_t level(std::uint8_t address) const;
    void setLevel(std::uint8_t address, std::uint16_t level);
    const std::vector<std::uint8_t>& addresses() const { return addresses_; }

    LlsFaults faults;
    int minGapMs = 50;  // every silence between packets lies in [minGapMs, maxGapMs]
    int maxGapMs = 80;
    int settlePolls = 8;  // polls an address keeps its level once it reached its target

  private:
    struct Sensor {
        std::uint16_t level = 0;
        std::uint16_t target = 0;
        int settleLeft = 0;
    };

    std::vector<std::uint8_t> addresses_;
    std::map<std::uint8_t, Sensor> sensors_;
    std::size_t next_ = 0;
    std::uint64_t polls_ = 0;
    std::uint64_t answers_ = 0;
    std::uint32_t rng_;

    std::uint32_t random();
    int gap();
    void step(Sensor& sensor);
};

}  // namespace sim::lls
