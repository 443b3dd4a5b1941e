#pragma once
// FirmwareParser: the device data library's parser of a firmware image descriptor, as the SP returns
// it for the VPD kinds 18, 19 and 20 ("4.3.5.6.1", "4.3.5.6.2", "4.3.5.6.3": no request data).
//
// What the parser is given: the answer data (first byte after the echoed command bytes) and the
// answer data length (cut at the end of the buffer).
//
// Firmware image layout (offsets from the start of the answer data; texts are ASCII, padded with
// zero bytes or blanks; a text ends at its first zero byte or at its field's end, and trailing
// blanks are dropped):
//
//   offset  size  content
//        0     3  signature "FWI"
//        3     1  layout version, 1
//        4    16  image version
//       20    16  build ID
//       36    64  file name
//      100     -  free; not read
//
// A descriptor is well-formed when it holds at least kMinImageSize bytes and starts with the
// signature and layout version. Then the parser stores the three texts and marks the record valid.
//
// The running SP firmware ("4.3.5.6.1") may instead answer with its firmware identifier, the layout
// the firmware-data read of the SP firmware decodes too (fwwire::kShort* in firmware_command.h):
// build ID (7 characters) at 0, build date (8) at 23, revision byte at 31. Data without the
// descriptor signature are read that way when they hold the revision byte and a non-empty build ID:
// image version = the revision as a version text ("1.05"), build ID = the build ID, file name empty.
//
// Anything else is not well-formed: the parser stores nothing and marks the record not valid.

#include <cstddef>
#include <cstdint>

class VPD;

namespace fwimage {

inline constexpr size_t kSignatureOffset = 0;
inline constexpr size_t kSignatureSize = 3;
inline constexpr char kSignature[kSignatureSize + 1] = "FWI";
inline constexpr size_t kLayoutVersionOffset = 3;
inline constexpr uint8_t kLayoutVersion = 1;
inline constexpr size_t kVersionOffset = 4;
inline constexpr size_t kVersionSize = 16;
inline constexpr size_t kBuildIdOffset = 20;
inline constexpr size_t kBuildIdSize = 16;
inline constexpr size_t kFileNameOffset = 36;
inline constexpr size_t kFileNameSize = 64;
// Shortest well-formed descriptor.
inline constexpr size_t kMinImageSize = 100;

}  // namespace fwimage

// Parses a firmware image descriptor of size bytes into vpd. Returns true (vpd marked valid) when it
// was well-formed; false otherwise (vpd marked not valid, texts untouched). A null vpd gives false.
[[nodiscard]] bool parseFirmwareImage(const uint8_t* data, size_t size, VPD* vpd);

class FirmwareParser {
public:
    // Does all of its work here; data holds at least length bytes (a negative length counts as 0).
    FirmwareParser(unsigned char* data, int length, VPD* vpd);
    virtual ~FirmwareParser() = default;
    FirmwareParser(const FirmwareParser&) = default;
    FirmwareParser& operator=(const FirmwareParser&) = default;

    // True when the constructor filled the record.
    bool parsed() const { return parsed_; }

private:
    bool parsed_ = false;
};
