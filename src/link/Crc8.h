#pragma once

#include <cstddef>
#include <cstdint>

namespace dut {

// Dallas/Maxim 1-Wire CRC-8: reflected polynomial 0x8C, initial value 0, no final XOR.
// Protects the configuration frames and the LLS packets alike.
std::uint8_t crc8(const std::uint8_t* data, std::size_t length);

}  // namespace dut
