#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// The sensor's own CRC-8 (1-Wire: reflected 0x8C, start 0, no final XOR). The simulated
// device carries its own copy so that it never agrees with the product by sharing a bug.
inline std::uint8_t crc8(const std::uint8_t* data, std::size_t length) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ byte) & 0x01) != 0;
            crc = static_cast<std::uint8_t>(crc >> 1);
            if (mix) crc ^= 0x8C;
            byte = static_cast<std::uint8_t>(byte >> 1);
        }
    }
    return crc;
}

inline std::uint8_t crc8(const std::vector<std::uint8_t>& bytes, std::size_t length) {
    return crc8(bytes.data(), length < bytes.size() ? length : bytes.size());
}

}  // namespace sim
