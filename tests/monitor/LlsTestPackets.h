#pragma once

#include <cstdint>
#include <vector>

#include "Crc8.h"

namespace dut::test {

using Bytes = std::vector<std::uint8_t>;

inline void sealLls(Bytes& packet, bool goodCrc) {
    const std::uint8_t crc = crc8(packet.data(), packet.size() - 1);
    packet.back() = goodCrc ? crc : static_cast<std::uint8_t>(crc ^ 0x5A);
}

// Terminal's level request: prefix 0x31, address, command 0x06, CRC-8.
inline Bytes llsRequest(std::uint8_t address, bool goodCrc = true) {
    Bytes packet{0x31, address, 0x06, 0x00};
    sealLls(packet, goodCrc);
    return packet;
}

// Sensor's level answer: prefix 0x3E, address, command 0x06, temperature, level LE, 2 more, CRC-8.
inline Bytes llsAnswer(std::uint8_t address, std::uint16_t level, bool goodCrc = true) {
    Bytes packet{0x3E,
                 address,
                 0x06,
                 0x17,
                 static_cast<std::uint8_t>(level & 0xFF),
                 static_cast<std::uint8_t>(level >> 8),
                 0x00,
                 0x00,
                 0x00};
    sealLls(packet, goodCrc);
    return packet;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace dut::test
