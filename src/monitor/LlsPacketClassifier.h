#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dut {

// A lone LLS packet is told apart by its length only; the prefix and command bytes are not
// examined.
constexpr std::size_t kLlsRequestLength = 4;  // prefix, address, command, CRC-8
constexpr std::size_t kLlsAnswerLength = 9;   // prefix, address, command, -, level LE, -, -, CRC-8
// The prefixes, which only the splitting of a merged read relies on.
constexpr std::uint8_t kLlsRequestPrefix = 0x31;
constexpr std::uint8_t kLlsAnswerPrefix = 0x3E;

enum class LlsPacketKind { Request, Answer, Unrecognised };

struct LlsPacket {
    LlsPacketKind kind;
    std::vector<std::uint8_t> bytes;
};

// True when the last byte of the packet is the CRC-8 of the bytes before it.
bool llsCrcOk(const std::uint8_t* packet, std::size_t length);

// Turns the bytes of one read into the packets to process, in order.
// - no bytes: nothing;
// - 4 or 9 bytes: one request or one answer, whatever its prefix and CRC-8 (a bad CRC-8 is
//   shown, not dropped);
// - a chunk made entirely of requests (prefix 0x31, 4 bytes) and answers (prefix 0x3E, 9 bytes)
//   that each carry a good CRC-8: those pieces (a sensor answering within the terminal's 30 ms
//   silence merges both into one read);
// - anything else: one unrecognised chunk. Line noise often carries a good CRC-8 by chance (a
//   run of zero bytes does, so does a run of 0xF7); the prefixes keep it from passing for
//   sensors. Since the prefix fixes the length, a chunk splits in at most one way.
std::vector<LlsPacket> classifyLlsChunk(const std::uint8_t* data, std::size_t count);

}  // namespace dut
