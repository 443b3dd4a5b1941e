#pragma once
// Wire layouts of the event configuration family: the alert and local-event elements of the
// supported-commands list ("1.1"), the enable-state commands of the four alert groups, and the
// event-code lists ("2.7.3" available codes, "2.7.4" active codes). The decoders over these layouts
// are free functions (events/event_configuration.h, events/system_health.h) that tests and fuzzers
// call without a comm device; the simulator builds its answers from the same constants.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "events/event_wire.h"

namespace eventwire {

// Alert groups: 1 remote critical, 2 remote non-critical, 3 remote system, 4 local events.
inline constexpr int32_t kFirstGroup = 1;
inline constexpr int32_t kLocalGroup = 4;

// Enable-state commands: x is the row's number within its group. Reads are gets with one answer
// data byte (non-zero: enabled); writes are sets with one data byte 1 or 0. The local events
// (group 4) are only ever read by the library.
inline constexpr const char* kGroupTemplates[4] = {"4.2.1.x", "4.2.2.x", "4.2.3.x", "5.2.x"};
// The same commands without their number byte, as command-byte prefixes.
inline constexpr uint8_t kRemoteAlertPrefix[2] = {4, 2};  // 4.2.<group>.<number>, group 1-3
inline constexpr uint8_t kLocalEventPrefix[2] = {5, 2};   // 5.2.<number>

// Supported-commands elements (entry bytes; byte 0 is the length byte):
//   remote alert  length 4: 04 02 <group 1-3> <last number>
//   local event   length 3: 05 02 <last number>
// With the range flag an element covers the numbers 1 to its last number, otherwise only that one.
inline constexpr uint8_t kRemoteAlertLength = 4;
inline constexpr uint8_t kLocalEventLength = 3;
inline constexpr size_t kElementGroupOffset = 3;  // remote alert elements only

// Event-code lists (the commands, code size and end status are in events/event_wire.h): a get
// answers the first group of codes, each get next the next group, until the SP answers a non-zero
// status. Codes are 32-bit, most significant byte first, from the first answer data byte; the
// answer's data length says how many bytes of codes the group holds.
// Appends one code in wire order (the simulator and tests build answers with it).
inline void appendCode(std::vector<uint8_t>& out, uint32_t code) {
    out.insert(out.end(), {static_cast<uint8_t>(code >> 24), static_cast<uint8_t>(code >> 16),
                           static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)});
}

// Active codes the library interprets: the two system-health codes (and the processor-hot code of
// processor I, 1-based: kCpuHotCodeBase + I; the memory PFA code is kMemoryPfaCode).
inline constexpr uint32_t kHealthCode113 = 113;
inline constexpr uint32_t kHealthCode107 = 107;

}  // namespace eventwire
