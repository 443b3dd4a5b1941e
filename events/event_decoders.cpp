// Bounded decoders of event buffers and event code groups.

#include "events/event_decoders.h"

#include <cstring>

#include "yat/command_buffer.h"
#include "events/event_wire.h"
#include "platform/log.h"
#include "events/log_texts.h"

bool eventHeaderOk(const uint8_t* buffer, size_t size) {
    if (buffer == nullptr || size < eventwire::kDataOffset) return false;
    return buffer[wire::kTypeOffset] == eventwire::kEventType &&
           buffer[wire::kCommandLengthOffset] == eventwire::kEventCommandLength &&
           buffer[wire::kStatusOffset] == eventwire::kEventStatusOk;
}

ByteReader eventData(const uint8_t* buffer, size_t size) {
    if (buffer == nullptr || size <= eventwire::kDataOffset) return ByteReader(nullptr, 0);
    size_t claimed = wire::dataLength(buffer);
    size_t room = size - eventwire::kDataOffset;
    return ByteReader(buffer + eventwire::kDataOffset, claimed < room ? claimed : room);
}

bool decodeComprehensive(const uint8_t* data, size_t size, ComprehensiveRecord* out) {
    using namespace eventwire;
    if (out == nullptr) return false;
    ByteReader reader(data, size);
    ComprehensiveRecord record;
    record.version = reader.u16be(kComprehensiveVersionOffset);
    record.condition = reader.u16be(kComprehensiveConditionOffset);
    record.timeStamp = reader.u32be(kComprehensiveTimeOffset);
    record.sequence = reader.u32be(kComprehensiveSequenceOffset);
    record.errorCode = reader.u32be(kComprehensiveErrorCodeOffset);
    record.chassis = static_cast<int32_t>(reader.u8(kComprehensiveChassisOffset)) - '0';
    record.memcard = static_cast<int32_t>(reader.u8(kComprehensiveMemcardOffset)) - '0';
    record.dimm = static_cast<int32_t>(reader.u8(kComprehensiveDimmOffset)) - '0';
    if (reader.overrun()) return false;  // a short record: nothing of it is used
    *out = record;
    return true;
}

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool compareElements(const char* dotted, const uint8_t* idBytes, size_t idCount) {
    constexpr const char* tag = events_texts::kTagCSPCompareElements;
    if (dotted == nullptr || idBytes == nullptr) return false;
    yatLog(tag, events_texts::kComparingSecondElement, dotted);
    size_t index = 0;
    const char* p = dotted;
    for (;;) {
        int value = 0;
        int digits = 0;
        for (; *p != '\0' && *p != '.'; ++p) {
            int digit = hexValue(*p);
            if (digit < 0 || digits >= 2) return false;  // command bytes have at most two hex digits
            value = value * 16 + digit;
            ++digits;
        }
        if (digits == 0 || index >= idCount) return false;
        yatLog(tag, events_texts::kIFirstElementSecondElement, static_cast<int>(index), value,
               static_cast<int>(idBytes[index]));
        if (value != idBytes[index]) return false;
        ++index;
        if (*p == '\0') return true;
        ++p;  // the dot
    }
}

bool findEventCode(const uint8_t* data, size_t size, uint32_t code) {
    ByteReader reader(data, size);
    for (size_t offset = 0; reader.has(offset, eventwire::kCodeSize); offset += eventwire::kCodeSize) {
        uint32_t next = reader.u32be(offset);
        yatLog(events_texts::kTagCSPGetAvailEventCodesCheckForEC,
               events_texts::kComparingCodeDataNextCodeWithECCCodeToCheck, reader.u8(offset), reader.u8(offset + 1),
               reader.u8(offset + 2), reader.u8(offset + 3), next, code);
        if (next == 0) return false;
        if (next == code) return true;
    }
    return false;
}
