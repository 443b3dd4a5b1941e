#pragma once
// Decoders of asynchronous SP events and of event code lists (layouts in events/event_wire.h). Free
// functions over received bytes: every read is bounded by the size given and by the lengths the
// bytes claim, so tests and fuzzers call them without a comm device. Any thread.

#include <cstddef>
#include <cstdint>

#include "platform/byte_reader.h"

// True when buffer[0..size) is an event the dispatch may look at: type 5, command length 3, status 0
// and room for the three id bytes.
bool eventHeaderOk(const uint8_t* buffer, size_t size);

// The event data of an event buffer: from offset 9, as long as the 16-bit data length says, cut at
// the end of the buffer. Empty when the buffer does not reach offset 9.
ByteReader eventData(const uint8_t* buffer, size_t size);

// The fields of a comprehensive event record the library uses.
struct ComprehensiveRecord {
    uint16_t version = 0;
    uint16_t condition = 0;
    uint32_t timeStamp = 0;
    uint32_t sequence = 0;
    uint32_t errorCode = 0;
    int32_t chassis = 0;  // ASCII digits turned into numbers (byte - '0')
    int32_t memcard = 0;
    int32_t dimm = 0;
};

// Decodes a comprehensive record from the event data. False (out untouched) when the data are too
// short to hold every decoded field (eventwire::kComprehensiveDecodedSize bytes).
[[nodiscard]] bool decodeComprehensive(const uint8_t* data, size_t size, ComprehensiveRecord* out);

// Matches the dotted command text (hexadecimal elements such as "5.2.a") against the id bytes:
// true when every element of the text equals the id byte at its position. A text with more
// elements than id bytes, an empty or a non-hexadecimal element does not match. Logs each
// comparison under "cSP::CompareElements".
bool compareElements(const char* dotted, const uint8_t* idBytes, size_t idCount);

// Looks for code in one group of an event code list: 32-bit codes, most significant byte first,
// from data[0] on while whole codes fit in size; a code 0 ends the group. Logs every code looked at
// under "cSPGetAvailEventCodes::CheckForEC".
bool findEventCode(const uint8_t* data, size_t size, uint32_t code);
