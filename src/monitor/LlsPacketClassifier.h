#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dut {

// LLS packets are told apart by length only; the prefix and command bytes are not examined.
constexpr std::size_t kLlsRequestLength = 4;  // prefix, address, command, CRC-8
constexpr std::size_t kLlsAnswerLength = 9;   // prefix, address, command, -, level LE, -, -, CRC-8

enum class LlsPacketKind { Request, Answer, Unrecognised };

struct LlsPacket {
    LlsPacketKind kind;
    std::vector<std::uint8_t> bytes;
};

// True when the last byte of the packet is the CRC-8 of the bytes before it.
bool llsCrcOk(const std::uint8_t* packet, std::size_t length);

// Turns the bytes of one read into the packets to process, in order.
// - no bytes: nothing;
// - 4 or 9 bytes: one request or one answer, whatever its CRC-8 (a bad CRC-8 is shown, not
//   dropped);
// - a chunk that splits exactly into 4- and 9-byte pieces that each carry a good CRC-8: those
//   pieces (a sensor answering within the terminal's 30 ms silence merges both into one read);
// - anything else: one unrecognised chunk.
// When several good splits exist, the one taking a request first at each position wins.
std::vector<LlsPacket> classifyLlsChunk(const std::uint8_t* data, std::size_t count);

}  // namespace dut
