#pragma once
// EEPromParser: the device data library's parser of an EEPROM VPD image, as the SP returns it for a
// "4.3.5.x.x.x" VPD read (every VPD kind except the planar windows, the firmware images 18-20 and the
// driver revision 21).
//
// What the parser is given: the whole SP answer buffer (header included, wire::kBufferSize bytes)
// and length = the number of echoed command bytes + 13. The image starts at the first byte of the
// answer data, i.e. at buffer offset wire::kHeaderSize + (length - 13), and is as long as the
// answer's 16-bit data length says (cut at the end of the buffer). A VPD read asks for EEPROM offset
// 0, so answer data byte k is EEPROM byte k.
//
// EEPROM image layout (offsets from the start of the image; texts are ASCII, padded with zero bytes
// or blanks; a text ends at its first zero byte or at its field's end, and trailing blanks are
// dropped):
//
//   offset  size  content
//        0     3  signature "VPD"
//        3     1  layout version, 1
//        4    12  part number
//       16    12  FRU number
//       28    12  serial number
//       40     4  manufacturer ID
//       44     -  free for the device's own use; not read
//
// An image is well-formed when the answer is an answer (type 4) echoing length - 13 command bytes,
// its data hold at least kMinImageSize bytes, and it starts with the signature and layout version.
// Then the parser stores the four texts in the record and marks it valid. Otherwise it stores
// nothing and marks the record not valid, so a record reused from an earlier read never passes off
// stale data as this answer's.

#include <cstddef>
#include <cstdint>

class VPD;

namespace eeprom {

// The parser's length argument is the echoed command length plus this.
inline constexpr int32_t kLengthBias = 13;

inline constexpr size_t kSignatureOffset = 0;
inline constexpr size_t kSignatureSize = 3;
inline constexpr char kSignature[kSignatureSize + 1] = "VPD";
inline constexpr size_t kLayoutVersionOffset = 3;
inline constexpr uint8_t kLayoutVersion = 1;
inline constexpr size_t kPartNumberOffset = 4;
inline constexpr size_t kPartNumberSize = 12;
inline constexpr size_t kFruNumberOffset = 16;
inline constexpr size_t kFruNumberSize = 12;
inline constexpr size_t kSerialNumberOffset = 28;
inline constexpr size_t kSerialNumberSize = 12;
inline constexpr size_t kManufacturerIdOffset = 40;
inline constexpr size_t kManufacturerIdSize = 4;
// Shortest well-formed image.
inline constexpr size_t kMinImageSize = 44;

}  // namespace eeprom

// Parses an EEPROM image of size bytes into vpd as described above. Returns true (and marks vpd
// valid) when the image was well-formed; false otherwise (vpd marked not valid, texts untouched).
// A null vpd gives false.
[[nodiscard]] bool parseEEPromImage(const uint8_t* image, size_t size, VPD* vpd);

// Finds the image inside an SP answer buffer of bufferSize bytes, given the parser's length argument
// (echoed command length + 13), and parses it with parseEEPromImage. Every read stays inside
// bufferSize.
[[nodiscard]] bool parseEEPromAnswer(const uint8_t* buffer, size_t bufferSize, int32_t length, VPD* vpd);

class EEPromParser {
public:
    // Does all of its work here: buffer must be a whole answer buffer of wire::kBufferSize bytes
    // (or null: nothing is parsed).
    EEPromParser(unsigned char* buffer, int length, VPD* vpd);
    virtual ~EEPromParser() = default;
    EEPromParser(const EEPromParser&) = default;
    EEPromParser& operator=(const EEPromParser&) = default;

    // True when the constructor filled the record.
    bool parsed() const { return parsed_; }

private:
    bool parsed_ = false;
};
