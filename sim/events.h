#pragma once
// Asynchronous events of the simulated SP: what one event carries, how it is written into the buffer
// registerForEvents fills, how a scenario names it, and the scenario's timeline of events.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/dotted.h"
#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

// A change of the simulated SP's state that an event announces. It is made when the event is queued
// for delivery (injected, or due on the timeline), so every read after the event sees it.
struct EventEffect {
    enum class Kind {
        kFanRpm,       // fan `instance` turns at `value` RPM (0: stopped)
        kSupplyState,  // supply `instance` (0-based): value 0 good, 1 failed, 2 removed
        kVoltage,      // voltage `instance` reads `value` hundredths of a volt
        kCpuHot,       // processor `instance`: its hot code 0x0421C700 + instance is active (value 1) or not
    };
    Kind kind = Kind::kFanRpm;
    uint8_t instance = 0;
    int32_t value = 0;
};

struct SimEvent {
    Bytes command;  // the event id bytes, 5.2.n
    Bytes data;
    std::vector<EventEffect> effects;
    bool deliver = true;  // false: only the effects (a "change" on the timeline)
};

// Supply states of EventEffect::kSupplyState.
inline constexpr int32_t kSupplyGood = 0;
inline constexpr int32_t kSupplyFailed = 1;
inline constexpr int32_t kSupplyRemoved = 2;

// Makes the event's effects on the node's state. Effects on sensors the node does not have are
// skipped.
void applyEffects(NodeState& node, const SimEvent& event);

// Fields of a comprehensive event record.
struct ComprehensiveEvent {
    uint16_t version = 1;
    uint16_t condition = 0;
    uint32_t timeStamp = 0;
    uint32_t sequence = 0;
    uint32_t errorCode = 0;
    uint8_t chassis = 0;  // 0 to 9
    uint8_t memcard = 0;  // 0 to 9
    uint8_t dimm = 0;     // 0 to 9
};

// The event 5.2.id with data.
SimEvent makeEvent(uint8_t id, Bytes data = {});
// A "5.2.80" event with the 124-byte record.
SimEvent makeComprehensiveEvent(const ComprehensiveEvent& fields);

// Writes an event buffer (type 5, command bytes, status 0, data cut to the buffer) over the whole
// 4096-byte buffer.
void encodeEvent(uint8_t* buffer, const SimEvent& event);

// One event of a scenario's timeline: at milliseconds after the simulator starts, for node.
struct TimelineEntry {
    uint64_t atMs = 0;
    uint32_t node = 0;
    SimEvent event;
};

// An event as a scenario writes it (see sim/SCENARIO.md, "timeline"): the members "event", "data" and
// the fields of the named kinds. The caller checks which other members the object may have.
SimEvent loadEvent(const Field& field);

}  // namespace yatsim
