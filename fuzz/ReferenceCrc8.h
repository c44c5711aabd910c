#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The 1-Wire CRC-8 worked the other way round: most significant bit first with the plain
// polynomial 0x31 over bit-reversed bytes, the result reversed at the end. Shares no code and
// no loop shape with the product's routine, so the fuzzers judge it instead of trusting it.
inline std::uint8_t reversedBits(std::uint8_t byte) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (byte & (1u << bit)) out = static_cast<std::uint8_t>(out | (0x80u >> bit));
    }
    return out;
}

inline std::uint8_t referenceCrc8(const std::uint8_t* data, std::size_t length) {
    std::uint8_t reg = 0;
    for (std::size_t i = 0; i < length; ++i) {
        reg ^= reversedBits(data[i]);
        for (int bit = 0; bit < 8; ++bit) {
            reg = static_cast<std::uint8_t>((reg & 0x80) ? (reg << 1) ^ 0x31 : (reg << 1));
        }
    }
    return reversedBits(reg);
}

// True when the last byte is the CRC-8 of the bytes before it.
inline bool referenceCrcOk(const std::uint8_t* packet, std::size_t length) {
    return length >= 2 && referenceCrc8(packet, length - 1) == packet[length - 1];
}

}  // namespace fuzz
