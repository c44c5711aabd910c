#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// The sensor's own CRC-8 (1-Wire: reflected 0x8C, start 0, no final XOR). The simulated
// device works it out its own way, by a table of the 256 byte remainders where the
// configurator shifts bit by bit, so that the two never agree by sharing a bug.
inline const std::array<std::uint8_t, 256>& crc8Table() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        // The remainder of a single set bit, then every byte as the XOR of its bits' ones.
        std::array<std::uint8_t, 8> ofBit{};
        std::uint8_t r = 0x8C;  // bit 0 of the byte, the first on the line
        for (int bit = 0; bit < 8; ++bit) {
            ofBit[static_cast<std::size_t>(bit)] = r;
            r = static_cast<std::uint8_t>((r & 0x01) ? (r >> 1) ^ 0x8C : r >> 1);
        }
        for (unsigned byte = 0; byte < 256; ++byte) {
            std::uint8_t sum = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (byte & (0x80u >> bit)) sum ^= ofBit[static_cast<std::size_t>(bit)];
            }
            t[byte] = sum;
        }
        return t;
    }();
    return table;
}

inline std::uint8_t crc8(const std::uint8_t* data, std::size_t length) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) crc = crc8Table()[crc ^ data[i]];
    return crc;
}

inline std::uint8_t crc8(const std::vector<std::uint8_t>& bytes, std::size_t length) {
    return crc8(bytes.data(), length < bytes.size() ? length : bytes.size());
}

}  // namespace sim
