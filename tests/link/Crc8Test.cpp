#include "Crc8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::uint8_t crcOf(const std::string& text) {
    return dut::crc8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Bit-serial form of the polynomial x^8 + x^5 + x^4 + 1 fed most significant bit first
// into a non-reflected register and reflected at the end: an independent way to the same
// checksum, used to cross-check every single byte value.
std::uint8_t reflect(std::uint8_t v) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((v >> i) & 1) << (7 - i)));
    return r;
}
std::uint8_t crcNonReflected(const std::vector<std::uint8_t>& data) {
    std::uint8_t reg = 0;
    for (std::uint8_t byte : data) {
        reg ^= reflect(byte);
        for (int i = 0; i < 8; ++i) {
            reg = static_cast<std::uint8_t>((reg & 0x80) ? (reg << 1) ^ 0x31 : (reg << 1));
        }
    }
    return reflect(reg);
}

TEST(Crc8, KnownCheckValues) {
    EXPECT_EQ(crcOf("123456789"), 0xA1);
    EXPECT_EQ(crcOf("abc"), 0x42);
    const std::uint8_t one = 0x01;
    EXPECT_EQ(dut::crc8(&one, 1), 0x5E);
    EXPECT_EQ(dut::crc8(nullptr, 0), 0x00);  // initial value, no final XOR
}

TEST(Crc8, EverySingleByteAndLongerRunsMatchTheNonReflectedForm) {
    for (int b = 0; b < 256; ++b) {
        const std::vector<std::uint8_t> one{static_cast<std::uint8_t>(b)};
        EXPECT_EQ(dut::crc8(one.data(), 1), crcNonReflected(one)) << "byte " << b;
    }
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 300; ++i) data.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    EXPECT_EQ(dut::crc8(data.data(), data.size()), crcNonReflected(data));
}

TEST(Crc8, AppendingTheChecksumGivesZero) {
    // The property receive relies on: a frame with its own CRC-8 appended checks as 0.
    std::vector<std::uint8_t> frame{0, 0, 0, 0, 0xBB, 0xCF, 0x58, 0, 1, 4, 0, 0, 0, 0};
    frame.push_back(dut::crc8(frame.data(), frame.size()));
    EXPECT_EQ(dut::crc8(frame.data(), frame.size()), 0);
    frame[3] ^= 0x10;
    EXPECT_NE(dut::crc8(frame.data(), frame.size()), 0);
}

}  // namespace
