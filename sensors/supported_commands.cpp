// The bounded walk over the supported-commands list.

#include "sensors/supported_commands.h"

#include "commands/sp_cmd.h"
#include "sensors/sensor_wire.h"

SupportedCommandWalk::SupportedCommandWalk(const uint8_t* data, size_t length)
    : data_(data), length_(data == nullptr ? 0 : length) {}

bool SupportedCommandWalk::next(SupportedCommandEntry* entry) {
    if (entry == nullptr || position_ >= length_) return false;
    uint8_t head = data_[position_];
    size_t length = head & sensorwire::kEntryLengthMask;
    // The entry's last byte sits at position_ + length and must lie inside the data.
    if (length >= length_ - position_) {
        truncated_ = true;
        position_ = length_;
        return false;
    }
    entry->offset = position_;
    entry->length = static_cast<uint8_t>(length);
    entry->range = (head & sensorwire::kEntryRangeFlag) != 0;
    entry->bytes = data_ + position_;
    position_ += length + 1;
    return true;
}

bool sensorReadingEntry(const SupportedCommandEntry& entry, SensorReadingEntry* out) {
    if (entry.length < 2 || entry.at(sensorwire::kEntryCommandOffset) != sensorwire::kReadingCommandByte) return false;
    if (out != nullptr) {
        out->sensorClass = entry.at(sensorwire::kEntryClassOffset);
        out->location = entry.at(sensorwire::kEntryLocationOffset);
        out->instanceByte = entry.at(sensorwire::kEntryInstanceOffset);
        out->first = entry.range ? 1 : out->instanceByte;
        out->last = entry.range ? entry.last() : out->instanceByte;
    }
    return true;
}

bool supportedCommandsAnswerOk(const cSPCmd& command) {
    const uint8_t* buffer = command.buffer();
    return command.commandByteCount() == 2 && command.answerOk() &&
           buffer[wire::kHeaderSize] == sensorwire::kSupportedCommandsId[0] &&
           buffer[wire::kHeaderSize + 1] == sensorwire::kSupportedCommandsId[1];
}
