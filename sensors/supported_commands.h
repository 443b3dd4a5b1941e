#pragma once
// The SP's supported-commands list ("1.1") and a bounded walk over its entries.
//
// The answer data is a sequence of entries. Entry byte 0 holds the entry length L (bits 0-6) and a
// range flag (bit 7); bytes 1..L are the bytes of one supported dot command. The walk hands out
// only entries that lie wholly inside the data: it stops as soon as the next entry would start at
// or run past the end of the data (the data length counts from the first data byte), and never
// reads past it. Sensor discovery and the event configuration both walk the list this way.

#include <cstddef>
#include <cstdint>

class cSPCmd;

// One entry of the list, viewed in place.
struct SupportedCommandEntry {
    size_t offset = 0;               // position of the length byte within the data
    uint8_t length = 0;              // L: number of command bytes
    bool range = false;              // bit 7 of the length byte
    const uint8_t* bytes = nullptr;  // bytes[0] is the length byte, bytes[1..L] the command bytes

    // Byte k of the entry (0 = the length byte); 0 for k past the entry.
    uint8_t at(size_t k) const { return k <= length ? bytes[k] : 0; }
    // The last command byte (byte L; the length byte itself when L is 0).
    uint8_t last() const { return bytes[length]; }
    // The first and last number the entry covers: 1 to the last byte with the range flag, else
    // only the last byte.
    int32_t firstCovered() const { return range ? 1 : last(); }
    int32_t lastCovered() const { return last(); }
};

class SupportedCommandWalk {
public:
    // data may be null (then length is taken as 0). The walk reads nothing outside [data, data+length).
    SupportedCommandWalk(const uint8_t* data, size_t length);

    // Fills entry with the next complete entry; false when the list has ended.
    [[nodiscard]] bool next(SupportedCommandEntry* entry);
    // True when the walk ended at an entry that ran past the end of the data.
    bool truncated() const { return truncated_; }

private:
    const uint8_t* data_;
    size_t length_;
    size_t position_ = 0;
    bool truncated_ = false;
};

// A sensor reading entry of the list (command bytes 2.class.location.instance).
struct SensorReadingEntry {
    int32_t sensorClass = 0;
    int32_t location = 0;      // entry byte 3 (0 when the entry is shorter)
    int32_t instanceByte = 0;  // entry byte 4 (0 when the entry is shorter)
    int32_t first = 0;
    int32_t last = 0;
};

// True when entry names a sensor reading command (byte 1 = 2, L at least 2); then fills out.
[[nodiscard]] bool sensorReadingEntry(const SupportedCommandEntry& entry, SensorReadingEntry* out);

// The answer check for "1.1": a response with command length 2, status 0 and the ID bytes 1, 1.
bool supportedCommandsAnswerOk(const cSPCmd& command);
