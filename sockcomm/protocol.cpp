#include "sockcomm/protocol.h"

#include <cstring>

#include "platform/endian.h"

namespace sockcomm {

namespace {

void storeLE32(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::optional<size_t> payloadLength(const FrameHeader& header) {
    switch (header.kind) {
        case FrameKind::Hello:
        case FrameKind::HelloReply: return kHelloPayload;
        case FrameKind::Send: return kBufferBytes;
        case FrameKind::SendReply:
        case FrameKind::EventReply: return header.result == 0 ? kBufferBytes : 0;
        case FrameKind::WaitEvent:
        case FrameKind::StopEvents:
        case FrameKind::StopReply: return 0;
    }
    return std::nullopt;
}

void encodeHeader(const FrameHeader& header, uint8_t* out) {
    storeLE32(kFrameMagic, out);
    out[4] = static_cast<uint8_t>(header.kind);
    out[5] = out[6] = out[7] = 0;
    storeLE32(header.requestId, out + 8);
    storeLE32(header.node, out + 12);
    storeLE32(header.result, out + 16);
}

std::optional<FrameHeader> decodeHeader(const uint8_t* bytes) {
    if (endian::loadLE32(bytes) != kFrameMagic || bytes[5] != 0 || bytes[6] != 0 || bytes[7] != 0) return std::nullopt;
    if (bytes[4] < static_cast<uint8_t>(FrameKind::Hello) || bytes[4] > static_cast<uint8_t>(FrameKind::StopReply)) {
        return std::nullopt;
    }
    FrameHeader header;
    header.kind = static_cast<FrameKind>(bytes[4]);
    header.requestId = endian::loadLE32(bytes + 8);
    header.node = endian::loadLE32(bytes + 12);
    header.result = endian::loadLE32(bytes + 16);
    return header;
}

std::vector<uint8_t> encodeFrame(const FrameHeader& header, const uint8_t* payload, size_t size) {
    size_t length = payloadLength(header).value_or(0);
    std::vector<uint8_t> frame(kHeaderBytes + length, 0);
    encodeHeader(header, frame.data());
    if (payload != nullptr) std::memcpy(frame.data() + kHeaderBytes, payload, size < length ? size : length);
    return frame;
}

std::array<uint8_t, kHelloPayload> encodeHello(uint32_t version, uint32_t nodeCount) {
    std::array<uint8_t, kHelloPayload> out{};
    storeLE32(version, out.data());
    storeLE32(nodeCount, out.data() + 4);
    return out;
}

Hello decodeHello(const uint8_t* payload) { return {endian::loadLE32(payload), endian::loadLE32(payload + 4)}; }

}  // namespace sockcomm
