#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LlsBus.h"

namespace sim {

struct PtyLlsBusOptions {
    std::string linkPath;                    // optional symlink, as for PtySensor
    std::vector<std::uint8_t> addresses{1};  // the sensors the terminal polls in turn
    lls::LlsFaults faults;
    std::uint32_t seed = 1;
    bool paced = true;    // 10 bit times per byte at 19200 baud
    bool polling = true;  // run the terminal's schedule; off: only play() writes
    int minGapMs = 50;    // silence between packets, well above a reader's 30 ms rule
    int maxGapMs = 80;
    // Called on the writing thread after each chunk went onto the line.
    std::function<void(const std::vector<std::uint8_t>& chunk)> onChunk;
};

// A vehicle terminal and its sensors talking on a pseudo-terminal, for the passive bus
// monitor. The product opens devicePath() and only listens. Thread-safe.
class PtyLlsBus {
  public:
    explicit PtyLlsBus(PtyLlsBusOptions options = {});
    ~PtyLlsBus();
    PtyLlsBus(const PtyLlsBus&) = delete;
    PtyLlsBus& operator=(const PtyLlsBus&) = delete;

    bool start();
    void stop();
    std::string devicePath() const;

    void setFaults(const lls::LlsFaults& faults);
    lls::LlsFaults faults() const;
    void setPolling(bool on);
    std::uint16_t level(std::uint8_t address) const;
    void setLevel(std::uint8_t address, std::uint16_t level);

    // Writes the given chunks in order with gapMs of silence between them (and before the
    // first, if the line carried something less than gapMs ago). The polling schedule
    // pauses meanwhile. Returns once the last chunk is written; false if the line is gone.
    bool play(const std::vector<std::vector<std::uint8_t>>& chunks, int gapMs);

    // Every chunk written so far, in order.
    std::vector<std::vector<std::uint8_t>> sent() const;
    void clearSent();

    void unplug();
    bool replug();
    bool plugged() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sim
