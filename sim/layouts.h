#pragma once
// Wire layouts of the answers the simulated SP builds: the vectored system summary, the firmware
// images, the EEPROM images of the VPD devices and the IPMI responses. Offsets are into the answer
// data; lengths are in bytes.

#include <cstddef>
#include <cstdint>

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
inline constexpr size_t kBiosImageSize = 80;          // "4.3.5.1", "4.3.5.1.1"
inline constexpr size_t kFirmwareIdImageSize = 48;    // "4.3.5.6.1" as the SP firmware identifier
inline constexpr size_t kDescriptorImageSize = 128;   // firmware image descriptor
inline constexpr size_t kEepromImageSize = 128;       // EEPROM of a VPD device
inline constexpr size_t kPlanarImageSize = 128;       // planar EEPROM "4.3.5.2.1"
inline constexpr size_t kChassisImageSize = 128;      // chassis record "4.3.5.2.4.1"

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

// Asynchronous event buffers: command type 5, command bytes 5.2.n, then the event data.
inline constexpr uint8_t kEventFamily0 = 0x05;
inline constexpr uint8_t kEventFamily1 = 0x02;
inline constexpr uint8_t kEventVoltage = 0x02;
inline constexpr uint8_t kEventPowerDown = 0x04;
inline constexpr uint8_t kEventLogin = 0x06;
inline constexpr uint8_t kEventFan = 0x09;
inline constexpr uint8_t kEventPowerSupply = 0x0A;
inline constexpr uint8_t kEventDasd = 0x0B;
inline constexpr uint8_t kEventPfa = 0x0D;
inline constexpr uint8_t kEventComprehensive = 0x80;

// Comprehensive event record ("5.2.80"): multi-byte fields most significant byte first; chassis,
// memory card and DIMM as ASCII digits.
inline constexpr size_t kComprehensiveSize = 124;
inline constexpr size_t kComprehensiveVersionOffset = 0;    // 2 bytes
inline constexpr size_t kComprehensiveConditionOffset = 2;  // 2 bytes
inline constexpr size_t kComprehensiveTimeOffset = 4;       // 4 bytes
inline constexpr size_t kComprehensiveSequenceOffset = 8;   // 4 bytes
inline constexpr size_t kComprehensiveErrorCodeOffset = 24; // 4 bytes
inline constexpr size_t kComprehensiveChassisOffset = 60;
inline constexpr size_t kComprehensiveMemcardOffset = 62;
inline constexpr size_t kComprehensiveDimmOffset = 64;

}  // namespace yatsim::layout
