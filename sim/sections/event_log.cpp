#include "sim/sections/event_log.h"

#include <cstdio>

#include "events/sel_wire.h"

namespace yatsim {

namespace {

// The longest message that keeps an entry within what one answer holds.
constexpr size_t kMaxMessageLength = selwire::kMaxEntryLength - selwire::kMinEntryLength;

struct DateTime {
    uint32_t year, month, day, hour, minute, second;
};

// "YYYY-MM-DD hh:mm:ss" with a year from 1960 to 2059 (the years two digits can carry).
DateTime parseTime(const Field& field) {
    std::string text = field.text(19);
    DateTime time{};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &time.year, &time.month, &time.day, &time.hour,
                    &time.minute, &time.second, &tail) != 6 ||
        time.year < 1960 || time.year > 2059 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
        time.hour > 23 || time.minute > 59 || time.second > 59) {
        field.fail("a time \"YYYY-MM-DD hh:mm:ss\" from 1960 to 2059");
    }
    return time;
}

}  // namespace

Bytes makeLogEntry(const std::string& label, uint8_t entryByte, uint32_t year, uint8_t month, uint8_t day, uint8_t hour,
                   uint8_t minute, uint8_t second, const std::string& message) {
    Bytes entry(selwire::kMessageOffset, 0);
    for (size_t i = 0; i < selwire::kLabelLength; ++i)
        entry[i] = i < label.size() ? static_cast<uint8_t>(label[i]) : ' ';
    entry[selwire::kEntryByteOffset] = entryByte;
    entry[selwire::kYearOffset] = static_cast<uint8_t>(year % 100);
    entry[selwire::kMonthOffset] = month;
    entry[selwire::kDateDayOffset] = day;
    entry[selwire::kTimestampDayOffset] = day;
    entry[selwire::kHourOffset] = hour;
    entry[selwire::kMinuteOffset] = minute;
    entry[selwire::kSecondOffset] = second;
    entry.insert(entry.end(), message.begin(), message.end());
    entry.insert(entry.end(), selwire::kTrailerLength, 0);
    return entry;
}

void EventLogSection::load(const Field& field, NodeState& node) {
    field.expectObject({"entries"});
    EventLogSection log;
    Field entries = field["entries"];
    for (size_t i = 0; i < entries.size(); ++i) {
        Field entry = entries.at(i);
        entry.expectObject({"label", "time", "entryByte", "message", "hex"});
        if (entry["hex"].present()) {
            // A raw entry as it goes on the wire (also malformed ones, to exercise the host).
            log.entries.push_back(entry["hex"].hex(selwire::kMaxEntryLength));
            continue;
        }
        DateTime time = parseTime(entry["time"]);
        log.entries.push_back(makeLogEntry(
            entry["label"].text(selwire::kLabelLength, "SP"),
            static_cast<uint8_t>(entry["entryByte"].integer(0, 255, 0)), time.year, static_cast<uint8_t>(time.month),
            static_cast<uint8_t>(time.day), static_cast<uint8_t>(time.hour), static_cast<uint8_t>(time.minute),
            static_cast<uint8_t>(time.second), entry["message"].text(kMaxMessageLength)));
    }
    node.install(std::move(log));
}

}  // namespace yatsim
