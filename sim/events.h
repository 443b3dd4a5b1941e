#pragma once
// Asynchronous events of the simulated SP: what one event carries, how it is written into the buffer
// registerForEvents fills, how a scenario names it, and the scenario's timeline of events.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/dotted.h"
#include "sim/json_field.h"

namespace yatsim {

struct SimEvent {
    Bytes command;  // the event id bytes, 5.2.n
    Bytes data;
};

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
