#include "sim/events.h"

#include <cstring>

#include "yat/command_buffer.h"
#include "sim/handler_table.h"
#include "sim/layouts.h"

namespace yatsim {

namespace {

using namespace layout;

void putBigEndian(Bytes& data, size_t offset, uint32_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) {
        data[offset + i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
    }
}

struct NamedEvent {
    const char* name;
    uint8_t id;
};

constexpr NamedEvent kNamedEvents[] = {
    {"voltage", kEventVoltage}, {"powerDown", kEventPowerDown}, {"login", kEventLogin},
    {"fan", kEventFan},         {"powerSupply", kEventPowerSupply}, {"dasd", kEventDasd},
    {"pfa", kEventPfa},         {"comprehensive", kEventComprehensive},
};

}  // namespace

SimEvent makeEvent(uint8_t id, Bytes data) { return SimEvent{{kEventFamily0, kEventFamily1, id}, std::move(data)}; }

SimEvent makeComprehensiveEvent(const ComprehensiveEvent& fields) {
    Bytes data(kComprehensiveSize, 0);
    putBigEndian(data, kComprehensiveVersionOffset, fields.version, 2);
    putBigEndian(data, kComprehensiveConditionOffset, fields.condition, 2);
    putBigEndian(data, kComprehensiveTimeOffset, fields.timeStamp, 4);
    putBigEndian(data, kComprehensiveSequenceOffset, fields.sequence, 4);
    putBigEndian(data, kComprehensiveErrorCodeOffset, fields.errorCode, 4);
    data[kComprehensiveChassisOffset] = static_cast<uint8_t>('0' + fields.chassis % 10);
    data[kComprehensiveMemcardOffset] = static_cast<uint8_t>('0' + fields.memcard % 10);
    data[kComprehensiveDimmOffset] = static_cast<uint8_t>('0' + fields.dimm % 10);
    return makeEvent(kEventComprehensive, std::move(data));
}

void encodeEvent(uint8_t* buffer, const SimEvent& event) {
    encodeAnswer(buffer, event.command, Answer::ok(event.data));
    buffer[wire::kTypeOffset] = wire::kEvent;
}

SimEvent loadEvent(const Field& field) {
    Field kind = field["event"];
    std::string name = kind.text(32);
    uint8_t id = 0;
    bool named = false;
    for (const NamedEvent& event : kNamedEvents) {
        if (name == event.name) {
            id = event.id;
            named = true;
        }
    }
    SimEvent event;
    if (named) {
        event = makeEvent(id);
    } else {
        std::optional<Bytes> command = parseDotted(name);
        if (!command) {
            kind.fail("expected an event name (voltage, powerDown, login, fan, powerSupply, dasd, pfa, comprehensive) "
                      "or a dotted command such as \"5.2.9\"");
        }
        event.command = *command;
    }

    if (field["data"].present()) {
        event.data = field["data"].hex(wire::kBufferSize - wire::kHeaderSize - event.command.size());
    } else if (named && id == kEventPowerSupply) {
        event.data = {static_cast<uint8_t>(field["supply"].integer(0, 255))};
    } else if (named && id == kEventDasd) {
        event.data = {static_cast<uint8_t>(field["backplane"].integer(0, 255)),
                      static_cast<uint8_t>(field["drive"].integer(0, 255))};
    } else if (named && id == kEventComprehensive) {
        ComprehensiveEvent record;
        record.version = static_cast<uint16_t>(field["version"].integer(0, 0xFFFF, 1));
        record.condition = static_cast<uint16_t>(field["condition"].integer(0, 0xFFFF, 0));
        record.timeStamp = static_cast<uint32_t>(field["timeStamp"].integer(0, UINT32_MAX, 0));
        record.sequence = static_cast<uint32_t>(field["sequence"].integer(0, UINT32_MAX, 0));
        record.errorCode = static_cast<uint32_t>(field["errorCode"].integer(0, UINT32_MAX, 0));
        record.chassis = static_cast<uint8_t>(field["chassis"].integer(0, 9, 0));
        record.memcard = static_cast<uint8_t>(field["memcard"].integer(0, 9, 0));
        record.dimm = static_cast<uint8_t>(field["dimm"].integer(0, 9, 0));
        event.data = makeComprehensiveEvent(record).data;
    }
    return event;
}

}  // namespace yatsim
