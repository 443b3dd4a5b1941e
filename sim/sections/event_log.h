#pragma once
// Section "eventLog": the node's system event log. Entries are kept as the SP sends them (the entry
// bytes of a "3.4.2" answer, layout in events/sel_wire.h), oldest first; the SP hands them out newest
// first: a get returns the newest, each get next the one before the entry handed out last, and an
// entry length of 0 once none is left. "3.4.3" clears the log.

#include <cstddef>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct EventLogSection {
    std::vector<Bytes> entries;  // oldest first
    size_t handedOut = 0;        // entries handed out since the last get (counted from the newest)

    static void load(const Field& field, NodeState& node);
};

// The entry bytes of a log entry from its parts: an 8-character label (blank-padded), the byte the
// host receives unchanged, the date and time (year 1960 to 2059, stored as two digits) and the message.
Bytes makeLogEntry(const std::string& label, uint8_t entryByte, uint32_t year, uint8_t month, uint8_t day, uint8_t hour,
                   uint8_t minute, uint8_t second, const std::string& message);

}  // namespace yatsim
