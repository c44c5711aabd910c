#include "LlsPacketClassifier.h"

#include "Crc8.h"

namespace dut {

namespace {

LlsPacketKind kindOfLength(std::size_t length) {
    return length == kLlsRequestLength ? LlsPacketKind::Request : LlsPacketKind::Answer;
}

// The length of the packet a merged chunk may hold at a byte with this prefix; 0 for none.
std::size_t lengthForPrefix(std::uint8_t prefix) {
    if (prefix == kLlsRequestPrefix) return kLlsRequestLength;
    if (prefix == kLlsAnswerPrefix) return kLlsAnswerLength;
    return 0;
}

LlsPacket makePacket(LlsPacketKind kind, const std::uint8_t* data, std::size_t count) {
    return LlsPacket{kind, std::vector<std::uint8_t>(data, data + count)};
}

}  // namespace

bool llsCrcOk(const std::uint8_t* packet, std::size_t length) {
    if (length < 2) return false;
    return crc8(packet, length - 1) == packet[length - 1];
}

std::vector<LlsPacket> classifyLlsChunk(const std::uint8_t* data, std::size_t count) {
    std::vector<LlsPacket> packets;
    if (count == 0 || data == nullptr) return packets;

    if (count == kLlsRequestLength || count == kLlsAnswerLength) {
        packets.push_back(makePacket(kindOfLength(count), data, count));
        return packets;
    }

    for (std::size_t pos = 0; pos < count;) {
        const std::size_t length = lengthForPrefix(data[pos]);
        if (length == 0 || length > count - pos || !llsCrcOk(data + pos, length)) {
            packets.assign(1, makePacket(LlsPacketKind::Unrecognised, data, count));
            return packets;
        }
        packets.push_back(makePacket(kindOfLength(length), data + pos, length));
        pos += length;
    }
    return packets;
}

}  // namespace dut
