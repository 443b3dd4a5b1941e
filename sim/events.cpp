#include "sim/events.h"

#include <cstring>

#include "yat/command_buffer.h"
#include "sim/handler_table.h"
#include "sim/layouts.h"
#include "sim/sections/alerts.h"
#include "sim/sections/sensors.h"

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
    {"voltage", kEventVoltage}, {"powerDown", kEventPowerDown},         {"login", kEventLogin},
    {"fan", kEventFan},         {"powerSupply", kEventPowerSupply},     {"dasd", kEventDasd},
    {"pfa", kEventPfa},         {"comprehensive", kEventComprehensive},
};

// The timeline kind that changes state without sending an event.
constexpr const char* kChangeOnly = "change";

// The state changes an entry names: "fan" (with "rpm", default 0), "supply" (with "supplyState",
// default failed for a powerSupply event), "voltage" (with "centivolts"), "cpu" (with "hot").
void loadEffects(const Field& field, bool supplyEvent, SimEvent& event) {
    using Kind = EventEffect::Kind;
    if (field["fan"].present()) {
        event.effects.push_back({Kind::kFanRpm, static_cast<uint8_t>(field["fan"].integer(0, 255)),
                                 static_cast<int32_t>(field["rpm"].integer(0, 20000, 0))});
    }
    if (field["supply"].present() && (supplyEvent || field["supplyState"].present())) {
        std::string state = field["supplyState"].text(16, "failed");
        int32_t value = kSupplyFailed;
        if (state == "good") {
            value = kSupplyGood;
        } else if (state == "removed") {
            value = kSupplyRemoved;
        } else if (state != "failed") {
            field["supplyState"].fail("expected \"good\", \"failed\" or \"removed\"");
        }
        uint64_t supply = field["supply"].integer(1, 8);
        event.effects.push_back({Kind::kSupplyState, static_cast<uint8_t>(supply - 1), value});
    }
    if (field["voltage"].present()) {
        event.effects.push_back({Kind::kVoltage, static_cast<uint8_t>(field["voltage"].integer(0, 255)),
                                 static_cast<int32_t>(field["centivolts"].integer(0, 32767))});
    }
    if (field["cpu"].present()) {
        event.effects.push_back(
            {Kind::kCpuHot, static_cast<uint8_t>(field["cpu"].integer(0, 255)), field["hot"].flag(true) ? 1 : 0});
    }
}

}  // namespace

SimEvent makeEvent(uint8_t id, Bytes data) {
    SimEvent event;
    event.command = {kEventFamily0, kEventFamily1, id};
    event.data = std::move(data);
    return event;
}

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
    if (name == kChangeOnly) {
        event.deliver = false;
        loadEffects(field, false, event);
        return event;
    }
    if (named) {
        event = makeEvent(id);
    } else {
        std::optional<Bytes> command = parseDotted(name);
        if (!command) {
            kind.fail(
                "expected an event name (voltage, powerDown, login, fan, powerSupply, dasd, pfa, comprehensive, "
                "change) or a dotted command such as \"5.2.9\"");
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
    loadEffects(field, named && id == kEventPowerSupply, event);
    return event;
}

namespace {

// Processor `cpu` hot or not: its code in the node's active event codes.
void applyCpuHot(NodeState& node, uint8_t cpu, bool hot) {
    uint32_t code = eventwire::kCpuHotCodeBase + cpu;
    if (hot) {
        addActiveCode(node, code);
    } else {
        removeActiveCode(node, code);
    }
}

}  // namespace

void applyEffects(NodeState& node, const SimEvent& event) {
    if (!node.has<SensorsSection>()) return;
    SensorsSection& sensors = node.section<SensorsSection>();
    for (const EventEffect& effect : event.effects) {
        switch (effect.kind) {
            case EventEffect::Kind::kFanRpm:
                for (SimFan& fan : sensors.fans) {
                    if (fan.instance == effect.instance) fan.rpm = static_cast<uint32_t>(effect.value);
                }
                break;
            case EventEffect::Kind::kSupplyState: {
                if (effect.instance >= 8) break;
                auto bit = static_cast<uint8_t>(1u << effect.instance);
                sensors.presentSupplies = static_cast<uint8_t>(
                    effect.value == kSupplyRemoved ? sensors.presentSupplies & ~bit : sensors.presentSupplies | bit);
                sensors.failedSupplies = static_cast<uint8_t>(
                    effect.value == kSupplyFailed ? sensors.failedSupplies | bit : sensors.failedSupplies & ~bit);
                break;
            }
            case EventEffect::Kind::kVoltage:
                for (SimVoltage& volt : sensors.voltages) {
                    if (volt.instance == effect.instance) volt.reading = static_cast<int16_t>(effect.value);
                }
                break;
            case EventEffect::Kind::kCpuHot: applyCpuHot(node, effect.instance, effect.value != 0); break;
        }
    }
}

}  // namespace yatsim
