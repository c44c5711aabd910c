#include "ConfigLink.h"

#include <optional>

namespace dut {

namespace {

void putLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::int32_t getLe32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
    return static_cast<std::int32_t>(value);
}

}  // namespace

ConfigLink::Frame ConfigLink::buildRequest(std::uint32_t leading, std::uint32_t access,
                                           std::uint8_t operation, std::uint8_t parameter,
                                           std::int32_t value) {
    Frame frame{};
    putLe32(&frame[0], leading);
    putLe32(&frame[4], access);
    frame[8] = operation;
    frame[9] = parameter;
    putLe32(&frame[10], static_cast<std::uint32_t>(value));
    return frame;
}

bool ConfigLink::transact(std::uint32_t leading, std::uint32_t access, std::uint8_t operation,
                          std::uint8_t parameter, std::int32_t value) {
    const Frame request = buildRequest(leading, access, operation, parameter, value);
    state_.linkFlag = false;

    std::optional<std::int32_t> answered;
    wait_.run([&] {
        for (int attempt = 0; attempt < kMaxAttempts && !answered; ++attempt) {
            // A failed write needs no handling of its own: the read that follows fails too.
            port_.send(request.data(), request.size());
            Frame answer{};
            if (port_.receive(answer.data(), answer.size())) {
                // Only the CRC-8 decides; the sensor's echo of operation and parameter is not
                // compared with the request.
                answered = getLe32(&answer[10]);
            }
        }
    });

    if (answered) {
        state_.lastValue = *answered;
        state_.linkFlag = true;
    }
    if (state_.lastValue < 0) state_.lastValue = 0;
    return answered.has_value();
}

}  // namespace dut
