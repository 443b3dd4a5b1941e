#pragma once
// Wire layout of the 4096-byte command buffer that carries a request to the SP and its answer back.
//
//   offset 0  command type   request: 0 set, 2 get, 3 get next; answer: 4; asynchronous event: 5
//   offset 1  command length number n of command bytes (the answer echoes it)
//   offset 2  data length    16 bits, least significant byte first
//   offset 4  status         0 in a request; the SP's status in an answer (0 success)
//   offset 5  reserved
//   offset 6  n command bytes, then the data

#include <cstddef>
#include <cstdint>

namespace wire {

inline constexpr size_t kBufferSize = 4096;
inline constexpr size_t kTypeOffset = 0;
inline constexpr size_t kCommandLengthOffset = 1;
inline constexpr size_t kDataLengthOffset = 2;
inline constexpr size_t kStatusOffset = 4;
inline constexpr size_t kHeaderSize = 6;  // command bytes start here

// Most tokens (and so command bytes) a dot command may have; longer ones are refused.
inline constexpr int32_t kMaxCommandBytes = 32;

enum CommandType : uint8_t {
    kSet = 0,      // request carrying data
    kGet = 2,      // request
    kGetNext = 3,  // request: the continuation of a list read
    kAnswer = 4,   // answer from the SP
    kEvent = 5,    // asynchronous event delivered by registerForEvents
};

// Status the SP gives when the addressed device is unavailable.
inline constexpr uint8_t kStatusUnavailable = 7;

// The 16-bit data length of a buffer, as the SP wrote it (not bounded).
inline uint16_t dataLength(const uint8_t* buffer) {
    return static_cast<uint16_t>(buffer[kDataLengthOffset] | (buffer[kDataLengthOffset + 1] << 8));
}

// Bytes of data that actually lie inside the buffer when the data start after commandBytes command
// bytes: the claimed length, cut at the end of the buffer.
inline size_t boundedDataLength(const uint8_t* buffer, size_t commandBytes) {
    size_t start = kHeaderSize + commandBytes;
    if (start >= kBufferSize) return 0;
    size_t claimed = dataLength(buffer);
    size_t room = kBufferSize - start;
    return claimed < room ? claimed : room;
}

}  // namespace wire
