#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

// Ways a real line or sensor misbehaves, each switchable on its own.
struct SensorFaults {
    bool silent = false;      // never answers
    int badCrcEvery = 0;      // every Nth answer carries a wrong CRC-8 (0: off)
    double badCrcRate = 0.0;  // or at random with this probability (seeded)
    std::uint32_t seed = 1;
    bool shortAnswers = false;      // answers are 14 bytes instead of 15
    int lateMs = 0;                 // extra delay before each answer
    bool garbage = false;           // a few stray bytes on the line after each answer
    bool negativeValue = false;     // every answered value is negative (-5 for 0)
    bool sensorNumberZero = false;  // parameter 7 reads as 0
    bool noEcho = false;            // answers carry 0 in place of operation and parameter
};

// The sensor's protocol side, without any I/O: takes one 15-byte request and yields the
// answer bytes. Reads return the parameter, writes store it and answer the stored value.
class SimSensor {
  public:
    static constexpr std::size_t kFrameSize = 15;
    using Frame = std::array<std::uint8_t, kFrameSize>;
    static constexpr std::uint32_t kAccessCode = 5820347;
    static constexpr std::uint8_t kRead = 1;
    static constexpr std::uint8_t kWrite = 2;
    // The raw measurement sweeps between these values and back once per cycle.
    static constexpr std::int32_t kRawLow = 100;
    static constexpr std::int32_t kRawHigh = 3300;
    static constexpr double kCycleSeconds = 60.0;

    // A request as the product builds it (leading word 0, access code, CRC-8 filled in).
    static Frame makeRequest(std::uint8_t operation, std::uint8_t number, std::int32_t value);
    static bool crcOk(const std::uint8_t* frame, std::size_t size);
    static std::int32_t valueOf(const std::uint8_t* frame);

    SimSensor();

    // The answer for one request, already faulted as `faults` says (empty: no answer).
    std::vector<std::uint8_t> answer(const Frame& request);

    // Moves the raw measurement (a slow fill/drain cycle); parameter 6 follows it between
    // the empty and full levels at the chosen resolution.
    void advance(double seconds);

    std::int32_t param(std::uint8_t number) const;
    void setParam(std::uint8_t number, std::int32_t value);
    // Pins the raw measurement (parameter 0) so that tests see a known value; unpin with
    // freezeRaw(false).
    void freezeRaw(bool frozen);
    bool rawFrozen() const { return rawFrozen_; }

    // The stray bytes that the garbage fault puts on the line after an answer (empty when
    // that fault is off). Kept apart from answer() because they follow it after a pause.
    std::vector<std::uint8_t> strayBytes();

    SensorFaults faults;

  private:
    std::map<std::uint8_t, std::int32_t> params_;
    double phase_ = 0.0;
    bool rawFrozen_ = false;
    std::uint64_t answersGiven_ = 0;
    std::uint32_t rng_;
    std::uint32_t seededWith_;

    std::uint32_t nextRandom();
    void updateRaw();
};

}  // namespace sim
