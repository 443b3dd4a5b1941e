#pragma once
// Wire layouts of asynchronous SP events and of the event code lists.
//
// An event buffer (4096 bytes, filled by the comm device's registerForEvents) is laid out like an SP
// answer (yat/command_buffer.h) with command type 5, three id bytes 5.2.n and the event data:
//
//   offset 0  type 5       offset 1  command length 3     offset 2  data length (16 bits, LSB first)
//   offset 4  status 0     offset 6  id bytes 5, 2, n     offset 9  event data
//
// The simulator builds its events from the same constants.

#include <cstddef>
#include <cstdint>

#include "yat/command_buffer.h"

namespace eventwire {

// Header checks of an event buffer.
inline constexpr uint8_t kEventType = wire::kEvent;
inline constexpr uint8_t kEventCommandLength = 3;
inline constexpr uint8_t kEventStatusOk = 0;
inline constexpr size_t kIdOffset = wire::kHeaderSize;  // 6
inline constexpr size_t kIdLength = 3;
inline constexpr size_t kDataOffset = kIdOffset + kIdLength;  // 9
// Largest event data that fits a buffer.
inline constexpr size_t kMaxDataLength = wire::kBufferSize - kDataOffset;

// Event ids: 5.2.n, n being the number of the local event in the alert table's group 4.
inline constexpr uint8_t kIdFamily0 = 0x05;
inline constexpr uint8_t kIdFamily1 = 0x02;
inline constexpr uint8_t kEventVoltage = 0x02;
inline constexpr uint8_t kEventPowerDown = 0x04;
inline constexpr uint8_t kEventLogin = 0x06;
inline constexpr uint8_t kEventFan = 0x09;
inline constexpr uint8_t kEventPowerSupply = 0x0A;
inline constexpr uint8_t kEventDasd = 0x0B;
inline constexpr uint8_t kEventPfa = 0x0D;
inline constexpr uint8_t kEventComprehensive = 0x80;

// Dot commands of the event ids, as matched against an event's id bytes.
inline constexpr const char* kComprehensiveId = "5.2.80";
inline constexpr const char* kFanId = "5.2.9";
inline constexpr const char* kPfaId = "5.2.d";
inline constexpr const char* kDasdId = "5.2.b";
inline constexpr const char* kVoltageId = "5.2.2";
inline constexpr const char* kPowerDownId = "5.2.4";
inline constexpr const char* kPowerSupplyId = "5.2.a";

// Power supply event data: the supply number, 1-based (0: none).
inline constexpr size_t kSupplyOffset = 0;
// DASD event data: backplane and drive number; both count as 0 when the data are shorter.
inline constexpr size_t kDasdBackplaneOffset = 0;
inline constexpr size_t kDasdDriveOffset = 1;
inline constexpr size_t kDasdLength = 2;

// Comprehensive event record ("5.2.80"): multi-byte fields most significant byte first; chassis,
// memory card and DIMM are ASCII digits.
inline constexpr size_t kComprehensiveSize = 124;
inline constexpr size_t kComprehensiveVersionOffset = 0;     // 2 bytes
inline constexpr size_t kComprehensiveConditionOffset = 2;   // 2 bytes
inline constexpr size_t kComprehensiveTimeOffset = 4;        // 4 bytes
inline constexpr size_t kComprehensiveSequenceOffset = 8;    // 4 bytes
inline constexpr size_t kComprehensiveErrorCodeOffset = 24;  // 4 bytes
inline constexpr size_t kComprehensiveChassisOffset = 60;
inline constexpr size_t kComprehensiveMemcardOffset = 62;
inline constexpr size_t kComprehensiveDimmOffset = 64;
// The shortest record that holds every field the library decodes.
inline constexpr size_t kComprehensiveDecodedSize = kComprehensiveDimmOffset + 1;

// The memory PFA event: a comprehensive record with this error code and condition.
inline constexpr uint32_t kMemoryPfaCode = 0x05200001;
inline constexpr uint16_t kMemoryPfaCondition = 1;

// Enabling one event kind: a set command 5.2.n with one data byte 1.
inline constexpr uint8_t kEnableValue = 1;
inline constexpr const char* kEnableTemplate = "5.2.x";
inline constexpr uint8_t kEnableComprehensive = 0x80;

// Event code lists: "2.7.3" the codes the SP can raise, "2.7.4" the codes active now. Get, then get
// next for each further group; each group's data are 32-bit codes, most significant byte first; a
// code 0 ends a group. The active list ends with status 7.
inline constexpr const char* kAvailableCodesCommand = "2.7.3";
inline constexpr const char* kActiveCodesCommand = "2.7.4";
inline constexpr size_t kCodeSize = 4;
inline constexpr uint8_t kCodesEndStatus = 7;
// Most groups of one list the library reads; an SP that keeps answering beyond is not followed.
inline constexpr int32_t kMaxCodeGroups = 256;

// The active event code that marks processor I hot.
inline constexpr uint32_t kCpuHotCodeBase = 0x0421C700;

}  // namespace eventwire
