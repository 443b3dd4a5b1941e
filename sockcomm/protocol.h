#pragma once
// The framing that carries the four comm device operations over a byte stream (a Unix socket or a
// loopback TCP connection); docs/comm-protocol.md describes it for implementers of either side.
//
// Every frame is a 20-byte header, all numbers little-endian, followed by payloadLength bytes:
//   offset 0  u32 magic       kFrameMagic
//   offset 4  u8  kind        FrameKind
//   offset 5  u8  reserved[3] zero
//   offset 8  u32 request id  chosen by the client, echoed in the reply
//   offset 12 u32 node        SP node index, 0-based
//   offset 16 u32 result      0 in requests; the operation's result in replies
//   ...       payloadLength bytes: 0, kHelloPayload (hello and its reply) or kBufferBytes
// The payload length is not sent: each kind fixes it (see payloadLength), so a frame's size is known
// from its header and a peer cannot announce a size it then does not send.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace sockcomm {

inline constexpr uint32_t kFrameMagic = 0x4D435459;  // "YTCM" on the wire
inline constexpr uint32_t kProtocolVersion = 1;
inline constexpr size_t kHeaderBytes = 20;
inline constexpr size_t kBufferBytes = 4096;  // the comm device's command buffer
inline constexpr size_t kHelloPayload = 8;    // u32 version, u32 node count (0 from the client)

enum class FrameKind : uint8_t {
    Hello = 1,       // client -> server, first frame; payload: version, 0
    HelloReply = 2,  // server -> client; result 0 and payload version, node count, or result
                     // kVersionRefused and the server's version, then the server closes
    Send = 3,        // sendCommand: payload the 4096-byte request
    SendReply = 4,   // result; payload the 4096-byte answer when result is 0, else none
    WaitEvent = 5,   // registerForEvents: no payload; the reply comes when an event is there
    EventReply = 6,  // result; payload the 4096-byte event when result is 0
    StopEvents = 7,  // deRegisterForEvents: no payload
    StopReply = 8,   // result; no payload
};

// Result of a HelloReply that refuses the client's version.
inline constexpr uint32_t kVersionRefused = 0x59430001;

struct FrameHeader {
    FrameKind kind = FrameKind::Hello;
    uint32_t requestId = 0;
    uint32_t node = 0;
    uint32_t result = 0;
};

// The payload length a frame of this header must carry; nullopt for an unknown kind.
std::optional<size_t> payloadLength(const FrameHeader& header);

// Encodes the header into out (kHeaderBytes).
void encodeHeader(const FrameHeader& header, uint8_t* out);
// Decodes kHeaderBytes bytes: nullopt when the magic, the kind or the reserved bytes are wrong.
std::optional<FrameHeader> decodeHeader(const uint8_t* bytes);

// A whole frame as bytes (header then payload, payload cut or zero-filled to payloadLength).
std::vector<uint8_t> encodeFrame(const FrameHeader& header, const uint8_t* payload, size_t size);

// The hello payload: version, node count.
std::array<uint8_t, kHelloPayload> encodeHello(uint32_t version, uint32_t nodeCount);
struct Hello {
    uint32_t version = 0;
    uint32_t nodeCount = 0;
};
Hello decodeHello(const uint8_t* payload);

}  // namespace sockcomm
