// System event log commands and the entry decoder.

#include "events/sel_command.h"

#include <cstdio>
#include <cstring>

#include "events/sel_wire.h"
#include "platform/byte_reader.h"
#include "platform/text.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"

namespace {

// "19" or "20": the century of a year byte.
const char* century(uint8_t year) { return year >= selwire::kCenturyPivot ? "19" : "20"; }

}  // namespace

int32_t decodeLogEntry(const uint8_t* answer, size_t size, LogEntryInfo* record) {
    ByteReader buffer(answer, size);
    if (static_cast<SpStatus>(buffer.u8(wire::kStatusOffset)) != SpStatus::kOk ||
        !buffer.has(0, selwire::kEntryLengthOffset)) {
        return ERR_BAD_ANSWER;
    }
    if (record == nullptr) return ERR_INVALID_PARAMETER;

    // What the answer really holds: its data length, cut at the end of what we were given.
    size_t dataLength = wire::dataLength(answer);
    size_t dataStart = wire::kHeaderSize + selwire::kCommandBytes;
    size_t held = size > dataStart ? size - dataStart : 0;
    if (dataLength > held) dataLength = held;
    if (dataLength < selwire::kEntryLengthSize) return ERR_EMPTY;

    size_t length = buffer.u16le(selwire::kEntryLengthOffset);
    if (length == 0) return ERR_EMPTY;
    if (length < selwire::kMinEntryLength || length > selwire::kMaxEntryLength ||
        length > dataLength - selwire::kEntryLengthSize) {
        return ERR_BAD_ANSWER;
    }
    ByteReader entry(answer + selwire::kEntryOffset, length);

    uint8_t year = entry.u8(selwire::kYearOffset);
    uint32_t month = entry.u8(selwire::kMonthOffset);
    uint32_t hour = entry.u8(selwire::kHourOffset);
    uint32_t minute = entry.u8(selwire::kMinuteOffset);
    uint32_t second = entry.u8(selwire::kSecondOffset);

    // Every byte prints as at most three digits, so each text fits its 32 bytes.
    std::snprintf(record->timestamp, sizeof record->timestamp, "%s%02u%02u%02u%02u%02u%02u.000000+000", century(year),
                  static_cast<unsigned>(year), month, static_cast<unsigned>(entry.u8(selwire::kTimestampDayOffset)),
                  hour, minute, second);
    size_t messageLength = length - selwire::kMessageOffset - selwire::kTrailerLength;
    if (messageLength > sizeof record->message - 1) messageLength = sizeof record->message - 1;
    copyBoundedText(record->message, entry.data() + selwire::kMessageOffset, messageLength);
    copyBoundedText(record->label, entry.data() + selwire::kLabelOffset, selwire::kLabelLength);
    std::snprintf(record->dateText, sizeof record->dateText, "%02u/%02u/%s%02u", month,
                  static_cast<unsigned>(entry.u8(selwire::kDateDayOffset)), century(year), static_cast<unsigned>(year));
    std::snprintf(record->timeText, sizeof record->timeText, "%02u:%02u:%02u", hour, minute, second);
    record->entryByte = entry.u8(selwire::kEntryByteOffset);
    return ERR_SUCCESS;
}

uint8_t* cSPSEL::buildFirst() { return buildSPCommand(selwire::kReadCommand, wire::kGet, nullptr, nullptr, 0, 0); }

uint8_t* cSPSEL::buildNext() { return buildSPCommand(selwire::kReadCommand, wire::kGetNext, nullptr, nullptr, 0, 0); }

uint8_t* cSPSEL::buildErase() { return buildSPCommand(selwire::kEraseCommand, wire::kSet, nullptr, nullptr, 0, 0); }

int32_t cSPSEL::getCommandData(int32_t, void* output) {
    return decodeLogEntry(cmdBuffer, sizeof cmdBuffer, static_cast<LogEntryInfo*>(output));
}
