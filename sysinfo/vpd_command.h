#pragma once
// VPD commands: cSPVPDCmd (the "4.3.5.x.x.x" VPD read with its table of kinds) and cSystemUUID (plain
// reads of fixed commands: the system UUID, the chassis VPD and the POST/BIOS VPD), plus the answer
// layouts the library reads from them.
//
// A VPD read is a get request (type 2) with the command bytes 04 03 05 followed by the kind's bytes;
// most kinds carry 4 request data bytes: EEPROM offset and read length, 2 bytes each, least
// significant first.
//
//   kind                instance  command bytes after 04 03 05  request data
//    2                  any       02 06 n                        offset 0 / length
//    3                  any       02 05 n                        offset 0 / length
//    4                  1         02 05 0a                       offset 0 / length
//    6                  1         02 02                          offset 0 / length
//    7 (DASD)           any       0e n                           offset 0 / length
//    9 (power supply)   any       0c n                           offset 0 / length
//   11                  1         0d                             offset 0 / length
//   13                  1         02 07 03                       offset 0 / length
//   14                  any       0f 01 (n not sent)             offset 0 / length
//   15                  1         02 07 02                       offset 0 / length
//   16 (the SP itself)  1         03 01                          offset 0 / length
//   17 (planar EEPROM)  1         02 01                          the planar part's window
//   18, 19, 20          1         06 01, 06 02, 06 03            none (firmware image descriptors)
//   21 (driver rev.)    1         0a                             none
//
// n is the instance as one byte. Other kinds, or an instance the table does not allow, build nothing.

#include <cstddef>
#include <cstdint>

#include "commands/sp_cmd.h"

class VPD;

// VPD kinds with a meaning of their own.
inline constexpr int32_t kVPDKindDASD = 7;
inline constexpr int32_t kVPDKindPowerSupply = 9;
inline constexpr int32_t VPD_INST_SP = 16;
inline constexpr int32_t kVPDKindPlanar = 17;
inline constexpr int32_t kVPDKindFirmwareImageFirst = 18;
inline constexpr int32_t kVPDKindFirmwareImageLast = 20;
inline constexpr int32_t kVPDKindDriverRevision = 21;

// The read length the operations ask for.
inline constexpr int32_t kVPDReadLength = 96;

namespace vpdwire {

// The planar EEPROM windows read by kind 17 (part 1-3); any other part reads from offset 0 with the
// length passed in.
struct PlanarWindow {
    uint16_t offset;
    uint16_t length;
};
inline constexpr PlanarWindow kPlanarPart1{16, 16};   // serial number (two swapped 6-byte halves), manufacturer ID
inline constexpr PlanarWindow kPlanarPart2{36, 12};   // part number
inline constexpr PlanarWindow kPlanarPart3{100, 12};  // FRU number

// Inside the part 1 window (answer data offsets): the serial number is stored as its second half
// first; the host sees bytes 6-11 followed by bytes 0-5.
inline constexpr size_t kPlanarSerialHalf = 6;
inline constexpr size_t kPlanarSerialSize = 12;
inline constexpr size_t kPlanarManufacturerIdOffset = 12;
inline constexpr size_t kPlanarManufacturerIdSize = 4;
// Parts 2 and 3: the text fills the window from answer data offset 0.
inline constexpr size_t kPlanarTextSize = 12;

// The system UUID: "4.3.a", the first 16 answer data bytes.
inline constexpr const char* kUUIDCommand = "4.3.a";
inline constexpr size_t kUUIDSize = 16;

// Chassis VPD by SP family: machine type (4), model (3) and serial number (7) answer data offsets.
struct ChassisLayout {
    size_t machineType;
    size_t model;
    size_t serialNumber;
};
inline constexpr size_t kMachineTypeSize = 4;
inline constexpr size_t kModelSize = 3;
inline constexpr size_t kChassisSerialSize = 7;
inline constexpr const char* kChassisTarnCobalt = "4.3.5.1";  // no request data
inline constexpr ChassisLayout kChassisTarnCobaltLayout{40, 44, 22};
inline constexpr const char* kChassisBerylGarnet = "4.3.5.2.1";  // offset 0, length 128
inline constexpr ChassisLayout kChassisBerylGarnetLayout{82, 86, 89};
inline constexpr const char* kChassisOpal = "4.3.5.2.4.1";  // offset 0, length 128
inline constexpr ChassisLayout kChassisOpalLayout{14, 18, 21};
inline constexpr uint16_t kChassisReadLength = 128;

// The POST/BIOS VPD: "4.3.5.1" answer data offsets and sizes.
inline constexpr const char* kPostBiosCommand = "4.3.5.1";
inline constexpr size_t kBuildIdOffset = 13;
inline constexpr size_t kBuildIdSize = 9;
inline constexpr size_t kSerialNumberOffset = 22;
inline constexpr size_t kSerialNumberSize = 7;
inline constexpr size_t kMachineTypeModelOffset = 40;
inline constexpr size_t kMachineTypeModelSize = 7;
inline constexpr size_t kBuildDateOffset = 48;
inline constexpr size_t kBuildDateSize = 8;
inline constexpr size_t kRevisionOffset = 68;

}  // namespace vpdwire

class cSPVPDCmd : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    using cSPCmd::getCommandData;

    // Builds the VPD read of kind for instance (see the table above). part chooses the planar window
    // of kind 17 (1-3; any other part reads offset 0 with length); length is the read length of the
    // kinds with offset/length request data. Returns the buffer, or null when the pair builds no
    // command (nothing may be sent then).
    uint8_t* buildCommand(int32_t kind, int32_t instance, int32_t part, int32_t length);

    // Decodes the answer of a VPD read of kind into vpd: kinds 18-20 through FirmwareParser on the
    // answer data, kind 21 as the driver revision text (version; build ID and file name emptied),
    // every other kind through EEPromParser on the whole buffer. Returns ERR_FAILED (1) when the
    // answer's status byte is not 0 (vpd untouched), ERR_INVALID_PARAMETER (12) when vpd is null,
    // else ERR_SUCCESS (check vpd->isVPDValid()).
    [[nodiscard]] int32_t getCommandData(int32_t kind, VPD* vpd);
};

// Plain get requests of fixed commands (no placeholders); answers are taken with copyAnswerData.
class cSystemUUID : public cSPCmd {
public:
    using cSPCmd::buildCommand;

    // Builds dotCommand as a get request with optional request data; returns the buffer or null.
    uint8_t* buildGet(const char* dotCommand, const uint8_t* data = nullptr, int32_t dataSize = 0);
};
