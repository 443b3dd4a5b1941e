#pragma once
// Wire layouts of the answers the simulated SP builds: the vectored system summary, the firmware
// images, the EEPROM images of the VPD devices and the IPMI responses. Offsets are into the answer
// data; lengths are in bytes.

#include <cstddef>
#include <cstdint>

#include "events/event_wire.h"
#include "sysinfo/eeprom_parser.h"
#include "sysinfo/firmware_command.h"
#include "sysinfo/firmware_parser.h"
#include "sysinfo/vpd_command.h"
#include "sysinfo/vss.h"

namespace yatsim::layout {

// The vectored system summary ("1.2") uses the vector IDs and lengths of sysinfo/vss.h (vsswire);
// a capability vector carries the value 1 in its last byte.

// Image sizes the simulator renders. The field offsets are those the library reads
// (sysinfo/firmware_command.h, sysinfo/vpd_command.h, sysinfo/eeprom_parser.h,
// sysinfo/firmware_parser.h).
inline constexpr size_t kBiosImageSize = 80;         // "4.3.5.1", "4.3.5.1.1"
inline constexpr size_t kFirmwareIdImageSize = 48;   // "4.3.5.6.1" as the SP firmware identifier
inline constexpr size_t kDescriptorImageSize = 128;  // firmware image descriptor
inline constexpr size_t kEepromImageSize = 128;      // EEPROM of a VPD device
inline constexpr size_t kPlanarImageSize = 128;      // planar EEPROM "4.3.5.2.1"
inline constexpr size_t kChassisImageSize = 128;     // chassis record "4.3.5.2.4.1"

// VPD read request data: EEPROM offset and read length, 16 bits each, least significant byte first.
inline constexpr size_t kVpdRequestOffset = 0;
inline constexpr size_t kVpdRequestLength = 2;
inline constexpr size_t kVpdRequestSize = 4;

// "ff.12.5" IPMI passthru: request data network function, command, request bytes; answer data the
// IPMI response, completion code first. The library's offsets of the Get Device ID response and its
// request bytes are in sysinfo/firmware_command.h (fwwire); the simulator adds the rest.
inline constexpr size_t kIpmiNetFnOffset = 0;
inline constexpr size_t kIpmiCommandOffset = 1;
inline constexpr size_t kIpmiRequestDataOffset = 2;
inline constexpr uint8_t kIpmiCompletionOk = 0x00;
inline constexpr uint8_t kIpmiInvalidCommand = 0xC1;
inline constexpr uint8_t kIpmiRequestLengthInvalid = 0xC7;
inline constexpr uint8_t kIpmiParameterOutOfRange = 0xC9;
inline constexpr size_t kRevisionBytes = 4;  // revision answer: completion code then four bytes

// Get Device ID response: device ID, device revision, IPMI version, additional device support and
// auxiliary revision, around the fields the library reads.
inline constexpr size_t kDeviceIdIdOffset = 1;
inline constexpr size_t kDeviceIdRevisionOffset = 2;
inline constexpr size_t kDeviceIdIpmiVersionOffset = 5;
inline constexpr size_t kDeviceIdSupportOffset = 6;
inline constexpr size_t kDeviceIdAuxiliaryOffset = 12;
inline constexpr size_t kDeviceIdAuxiliaryLength = 4;
inline constexpr size_t kDeviceIdSize = 16;

// Asynchronous event buffers and the comprehensive record: the library's layout (events/event_wire.h).
inline constexpr uint8_t kEventFamily0 = eventwire::kIdFamily0;
inline constexpr uint8_t kEventFamily1 = eventwire::kIdFamily1;
inline constexpr uint8_t kEventVoltage = eventwire::kEventVoltage;
inline constexpr uint8_t kEventPowerDown = eventwire::kEventPowerDown;
inline constexpr uint8_t kEventLogin = eventwire::kEventLogin;
inline constexpr uint8_t kEventFan = eventwire::kEventFan;
inline constexpr uint8_t kEventPowerSupply = eventwire::kEventPowerSupply;
inline constexpr uint8_t kEventDasd = eventwire::kEventDasd;
inline constexpr uint8_t kEventPfa = eventwire::kEventPfa;
inline constexpr uint8_t kEventComprehensive = eventwire::kEventComprehensive;
inline constexpr size_t kComprehensiveSize = eventwire::kComprehensiveSize;
inline constexpr size_t kComprehensiveVersionOffset = eventwire::kComprehensiveVersionOffset;
inline constexpr size_t kComprehensiveConditionOffset = eventwire::kComprehensiveConditionOffset;
inline constexpr size_t kComprehensiveTimeOffset = eventwire::kComprehensiveTimeOffset;
inline constexpr size_t kComprehensiveSequenceOffset = eventwire::kComprehensiveSequenceOffset;
inline constexpr size_t kComprehensiveErrorCodeOffset = eventwire::kComprehensiveErrorCodeOffset;
inline constexpr size_t kComprehensiveChassisOffset = eventwire::kComprehensiveChassisOffset;
inline constexpr size_t kComprehensiveMemcardOffset = eventwire::kComprehensiveMemcardOffset;
inline constexpr size_t kComprehensiveDimmOffset = eventwire::kComprehensiveDimmOffset;

}  // namespace yatsim::layout
