#pragma once
// The host record filled by getFirstLogEntry and getNextLogEntry: one entry of the SP's system event
// log. A host compiles its own copy of this declaration, so the layout is fixed; the static_asserts
// pin it. Every text is zero-terminated. The two reserved areas are never written by the library.

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct LogEntryInfo {
    char message[384];     // the entry's message, at most 383 characters
    char timeText[32];     // "hh:mm:ss"
    char reserved1[32];    // not written
    char timestamp[32];    // "yyyymmddhhmmss.000000+000"; its day comes from entry byte 13
    char dateText[32];     // "mm/dd/yyyy"; its day comes from entry byte 12
    char label[32];        // the entry's 8-character label
    uint8_t reserved2[4];  // not written
    uint8_t entryByte;     // entry byte 9, copied unchanged
};
static_assert(std::is_standard_layout_v<LogEntryInfo>);
static_assert(sizeof(LogEntryInfo) == 549);
static_assert(offsetof(LogEntryInfo, message) == 0);
static_assert(offsetof(LogEntryInfo, timeText) == 384);
static_assert(offsetof(LogEntryInfo, reserved1) == 416);
static_assert(offsetof(LogEntryInfo, timestamp) == 448);
static_assert(offsetof(LogEntryInfo, dateText) == 480);
static_assert(offsetof(LogEntryInfo, label) == 512);
static_assert(offsetof(LogEntryInfo, reserved2) == 544);
static_assert(offsetof(LogEntryInfo, entryByte) == 548);
