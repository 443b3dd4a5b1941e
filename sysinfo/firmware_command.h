#pragma once
// cFirmware: the firmware item reads of getFirmwareData (and the event monitor's firmware query,
// kind 4), with their answer layouts and decoders.
//
//   kind  request                                   decoder              fields filled
//    0    "4.3.5.1", get, no data                   getSPData (long)     buildId, serialNumber, buildDate, revision
//    1    "4.3.5.1.1", get, no data                 getSPData (long)     as kind 0
//    2    "ff.12.5", set, data 06 01                getIPMIData          revision, manufacturerId, productId
//    3    "ff.12.5", set, data 3a 6b e              getRevisionData      productId = extra, revision = A[1] as two
//    digits 4    "4.3.5.6.1", get, no data                 getSPData (short)    buildId, buildDate, revision 6
//    "ff.12.5", set, data 3a 6b e              getRevisionData      productId = extra, revision = A[1].A[2].A[3].A[4]
//   other none: buildCommand returns null
//
// e is the low byte of the extra value. "ff.12.5" carries an IPMI request (network function, command,
// data); its answer data is the IPMI response, completion code first. Fields a kind does not fill
// keep the caller's values, and so does every field when the decoder fails.

#include <cstddef>
#include <cstdint>
#include <string>

#include "commands/sp_cmd.h"

struct FirmwareInfo;

namespace fwwire {

inline constexpr int32_t kKindSP = 0;
inline constexpr int32_t kKindSPAlternate = 1;
inline constexpr int32_t kKindIPMIDeviceId = 2;
inline constexpr int32_t kKindRevisionByte = 3;
inline constexpr int32_t kKindSPFirmwareId = 4;  // also the event monitor's firmware query
inline constexpr int32_t kKindRevisionBytes = 6;

inline constexpr const char* kSPCommand = "4.3.5.1";
inline constexpr const char* kSPAlternateCommand = "4.3.5.1.1";
inline constexpr const char* kSPFirmwareIdCommand = "4.3.5.6.1";
inline constexpr const char* kIPMICommand = "ff.12.5";
inline constexpr uint8_t kIPMIGetDeviceId[2] = {0x06, 0x01};
inline constexpr uint8_t kIPMIRevisionNetFn = 0x3A;
inline constexpr uint8_t kIPMIRevisionCommand = 0x6B;

// Long layout (kinds 0, 1): answer data offsets and most characters.
inline constexpr size_t kLongBuildIdOffset = 13;
inline constexpr size_t kLongBuildIdSize = 9;
inline constexpr size_t kLongSerialOffset = 22;
inline constexpr size_t kLongSerialSize = 7;
inline constexpr size_t kLongBuildDateOffset = 48;
inline constexpr size_t kLongBuildDateSize = 8;
inline constexpr size_t kLongRevisionOffset = 68;
// Short layout (kind 4).
inline constexpr size_t kShortBuildIdOffset = 0;
inline constexpr size_t kShortBuildIdSize = 7;
inline constexpr size_t kShortBuildDateOffset = 23;
inline constexpr size_t kShortBuildDateSize = 8;
inline constexpr size_t kShortRevisionOffset = 31;

// IPMI Get Device ID response offsets.
inline constexpr size_t kIPMICompletionCode = 0;
inline constexpr size_t kIPMIMajorRevision = 3;   // low 7 bits
inline constexpr size_t kIPMIMinorRevision = 4;   // two BCD digits
inline constexpr size_t kIPMIManufacturerId = 7;  // 20 bits, least significant byte first
inline constexpr size_t kIPMIProductId = 10;      // 16 bits, least significant byte first
inline constexpr size_t kIPMIMinSize = 12;

// Revision byte answers (kinds 3, 6): completion code, then the revision bytes.
inline constexpr size_t kRevisionFirst = 1;
inline constexpr size_t kRevisionByteCount3 = 1;
inline constexpr size_t kRevisionByteCount6 = 4;

// Firmware identifier of the SP ("4.3.5.6.1"): its first two characters name the firmware family.
inline constexpr size_t kFirmwarePrefixSize = 2;

}  // namespace fwwire

// Decoders over the answer data A (size bytes). Each returns ERR_SUCCESS after filling its fields,
// or ERR_BAD_ANSWER (2) (fields untouched) when the data are too short for its layout or report an
// IPMI failure.
[[nodiscard]] int32_t decodeSPFirmware(const uint8_t* data, size_t size, bool longLayout, FirmwareInfo* info);
[[nodiscard]] int32_t decodeIPMIDeviceId(const uint8_t* data, size_t size, FirmwareInfo* info);
[[nodiscard]] int32_t decodeRevisionBytes(const uint8_t* data, size_t size, int32_t kind, int32_t extra,
                                          FirmwareInfo* info);
// True when the data begin with one of the firmware prefixes that need the slow fan handling.
bool hasSlowFanFirmwarePrefix(const uint8_t* data, size_t size);

// "1." and the byte as a signed number of at least two digits: 5 gives "1.05", 0xC8 gives "1.-56".
std::string firmwareVersionText(uint8_t value);
// The byte in decimal with at least two digits: 7 gives "07".
std::string twoDigitText(uint8_t value);

class cFirmware : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    using cSPCmd::getCommandData;

    cFirmware(int32_t kind, int32_t extra) : firmwareKind(kind), extraValue(extra) {}

    int32_t kind() const { return firmwareKind; }
    int32_t extra() const { return extraValue; }

    // Builds the kind's request (table above); null for a kind without one.
    uint8_t* buildCommand();
    // Decodes the answer into info by kind: ERR_SUCCESS or ERR_BAD_ANSWER (2) as the decoder
    // returns; ERR_FAILED (1) for a kind without a request; ERR_INVALID_PARAMETER (12) for a null
    // info.
    [[nodiscard]] int32_t getCommandData(FirmwareInfo* info);

    // Answer check, then the long (kinds 0, 1) or short (kind 4) layout: 0, or 2.
    [[nodiscard]] int32_t getSPData(FirmwareInfo* info);
    // Answer check, then the IPMI Get Device ID response: 0, or 2.
    [[nodiscard]] int32_t getIPMIData(FirmwareInfo* info);
    // Answer check, then the revision bytes of kinds 3 and 6: 0, or 2.
    [[nodiscard]] int32_t getRevisionData(FirmwareInfo* info);

    // On the answer to "4.3.5.6.1" (kind 4): true when its status byte is 0 and the firmware
    // identifier starts with one of the prefixes RU, QA, AV, T2, GE, GR, VI.
    bool checkForOnyx() const;

private:
    int32_t firmwareKind;
    int32_t extraValue;
};
