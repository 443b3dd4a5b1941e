#pragma once
// Wire layouts of the event configuration family: the alert and local-event elements of the
// supported-commands list ("1.1"), the enable-state commands of the four alert groups, and the
// event-code lists ("2.7.3" available codes, "2.7.4" active codes). The decoders over these layouts
// are free functions (events/event_configuration.h, events/system_health.h) that tests and fuzzers
// call without a comm device; the simulator builds its answers from the same constants.

#include <cstddef>
#include <cstdint>
#include <vector>

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

// Event-code lists: a get answers the first group of codes, each get next the next group, until the
// SP answers a non-zero status. Codes are 32-bit, most significant byte first, from the first answer
// data byte; the answer's data length says how many bytes of codes the group holds.
inline constexpr const char* kAvailableCodesCommand = "2.7.3";
inline constexpr const char* kActiveCodesCommand = "2.7.4";
inline constexpr size_t kCodeSize = 4;
// Appends one code in wire order (the simulator and tests build answers with it).
inline void appendCode(std::vector<uint8_t>& out, uint32_t code) {
    out.insert(out.end(), {static_cast<uint8_t>(code >> 24), static_cast<uint8_t>(code >> 16),
                           static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)});
}
// Status that ends the active-code list normally.
inline constexpr uint8_t kEndOfCodes = 7;
// Most groups one list read takes before it gives up on an SP that never ends the list.
inline constexpr int32_t kMaxCodeGroups = 256;

// Active codes the library interprets: the two system-health codes, and the processor-hot code of
// processor I (1-based), kProcessorHotBase + I.
inline constexpr uint32_t kHealthCode113 = 113;
inline constexpr uint32_t kHealthCode107 = 107;
inline constexpr uint32_t kProcessorHotBase = 0x0421C700;
// The memory PFA code among the available codes.
inline constexpr uint32_t kMemoryPfaCode = 0x05200001;

}  // namespace eventwire
