#include "LlsPacketClassifier.h"

#include "Crc8.h"

namespace dut {

namespace {

LlsPacketKind kindOfLength(std::size_t length) {
    return length == kLlsRequestLength ? LlsPacketKind::Request : LlsPacketKind::Answer;
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

    // splits[i]: the bytes from i to the end split into good packets. Filled from the end, so
    // the walk below never has to back out of a choice, and the cost stays linear in count.
    std::vector<bool> splits(count + 1, false);
    splits[count] = true;
    for (std::size_t i = count; i-- > 0;) {
        for (std::size_t length : {kLlsRequestLength, kLlsAnswerLength}) {
            if (length <= count - i && splits[i + length] && llsCrcOk(data + i, length)) {
                splits[i] = true;
                break;
            }
        }
    }

    if (!splits[0]) {
        packets.push_back(makePacket(LlsPacketKind::Unrecognised, data, count));
        return packets;
    }

    std::size_t pos = 0;
    while (pos < count) {
        for (std::size_t length : {kLlsRequestLength, kLlsAnswerLength}) {
            if (length <= count - pos && splits[pos + length] && llsCrcOk(data + pos, length)) {
                packets.push_back(makePacket(kindOfLength(length), data + pos, length));
                pos += length;
                break;
            }
        }
    }
    return packets;
}

}  // namespace dut
