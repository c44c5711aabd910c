#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SimSensor.h"

namespace sim {

struct PtySensorOptions {
    std::string linkPath;  // optional symlink to the pseudo-terminal, for a stable name
    bool paced = true;     // 10 bit times per byte at 19200 baud, like a real line
    int turnaroundMs = 2;  // the sensor's think time before it starts answering
    // The adapter is pulled out the moment a write request arrives, so the sensor neither
    // takes nor answers it: a cable lost in the middle of a command, at a known moment.
    bool unplugOnWrite = false;
    // The adapter hears its own transmission, as many two-wire RS-485 adapters do: every
    // request comes back on the line before the sensor's answer (or alone, when the
    // sensor keeps silent).
    bool echo = false;
    std::string stableLinkPath;  // a by-id style name that follows the device
    bool replugNewName = false;  // replug() comes back under another device name
    // Called on the serving thread after each answered or ignored request (the answer is
    // empty when the sensor kept silent). Must not call back into the PtySensor.
    std::function<void(const SimSensor::Frame& request, const std::vector<std::uint8_t>& answer)>
        onExchange;
};

// A SimSensor served on a pseudo-terminal from a background thread, so that the product's
// own SerialPort talks to it exactly as to a USB adapter. Thread-safe.
class PtySensor {
  public:
    explicit PtySensor(PtySensorOptions options = {});
    ~PtySensor();
    PtySensor(const PtySensor&) = delete;
    PtySensor& operator=(const PtySensor&) = delete;

    bool start();
    void stop();
    // The path to open: the symlink when one was asked for, else the pseudo-terminal itself.
    std::string devicePath() const;

    void setFaults(const SensorFaults& faults);
    SensorFaults faults() const;
    void setParam(std::uint8_t number, std::int32_t value);
    std::int32_t param(std::uint8_t number) const;
    void freezeRaw(bool frozen);

    // Every request frame received so far, in order.
    std::vector<SimSensor::Frame> requests() const;
    void clearRequests();

    // Puts raw bytes onto the line at once (for stale-input and monitor tests).
    void inject(const std::vector<std::uint8_t>& bytes);

    // The adapter pulled out: the device disappears (readers get EIO/hang-up, the path
    // is gone). replug() brings it back at the same path.
    void unplug();
    bool replug();
    bool plugged() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sim
