#pragma once
// The vectored system summary ("1.2") and the SP type detection built on it.
//
// The answer data are a sequence of vectors; each starts with a 2-byte vector ID, most significant
// byte first, and the ID fixes the vector's total length (ID included):
//
//   ID                       length   taken
//   0x0000-0x0FFF            4        IDs 0-197: capability flag (bit n mod 8 of byte n div 8)
//   0x1000                   36       nothing
//   0x1001                   4        byte 3: the VSS type
//   0x1100, 0x1101, 0x1102   4        nothing
//   0x1200                   4        nothing
//   0x1201                   7        nothing
//   0x1202                   4        nothing
//   0x1203                   3 + byte 3 (so at least 4 bytes must be there to know it)
//   0x1204, 0x1205           7        nothing
//   any other ID >= 0x1000   unknown: the parse ends there, keeping what was read so far
//
// A vector that does not lie wholly inside the data also ends the parse there.

#include <cstddef>
#include <cstdint>

#include "commands/sp_cmd.h"

namespace vsswire {

inline constexpr const char* kCommand = "1.2";
inline constexpr size_t kIdSize = 2;
inline constexpr uint16_t kLastCapabilityId = 0x0FFF;
inline constexpr uint16_t kCapabilityCount = 198;  // IDs 0-197 have a bit
inline constexpr size_t kBitmapBytes = 25;
inline constexpr size_t kCapabilityLength = 4;
inline constexpr uint16_t kSystemId = 0x1000;
inline constexpr size_t kSystemLength = 36;
inline constexpr uint16_t kTypeId = 0x1001;
inline constexpr size_t kTypeLength = 4;
inline constexpr size_t kTypeByte = 3;
inline constexpr uint16_t kVariableId = 0x1203;
inline constexpr size_t kVariableLengthByte = 3;
inline constexpr size_t kVariableBaseLength = 3;

// The VSS types (byte 3 of vector 0x1001) the type table knows; with the flags below they give the SP
// type (yat::SpType). Any other VSS type leaves the SP type unknown.
inline constexpr int32_t kVssCobalt = 1;       // Cobalt, or an option card
inline constexpr int32_t kVssFallback = 2;     // the Cobalt fallback
inline constexpr int32_t kVssBerylGarnet = 3;  // Beryl or Garnet, option card or not, SSL command mode
inline constexpr int32_t kVssOpal = 5;         // Opal, SSL command mode or not

// The capability flags the type table consults.
inline constexpr uint16_t kFlag17 = 17;
inline constexpr uint16_t kFlag20 = 20;
inline constexpr uint16_t kFlagSSL = 26;
inline constexpr uint16_t kFlagOptionCard = 99;

// Length of the vector with this ID when it is fixed; 0 for the variable vector and unknown IDs.
size_t fixedVectorLength(uint16_t id);

// The trial-and-error probes, in order, with the SP type each one proves.
inline constexpr const char* kProbeOpal = "4.3.5.19.1";
inline constexpr const char* kProbeBeryl = "4.9.1.1.16.2";
inline constexpr const char* kProbeCobalt = "4.9.1.1.1";

}  // namespace vsswire

// The parsed summary: 200 capability flags and the VSS type. Owned by cLibYAT.
class VectoredSystemSummary {
public:
    VectoredSystemSummary() = default;

    // Clears the flags and type, then parses length bytes of answer data (every read bounded).
    void init(const uint8_t* data, size_t length);
    // The ID's capability bit; false for IDs without one.
    bool hasVector(uint16_t id) const;
    int32_t vssType() const { return type; }
    // False when the parse stopped at an unknown vector ID or a vector cut short by the data end.
    bool complete() const { return complete_; }

private:
    uint8_t capabilities[vsswire::kBitmapBytes] = {};
    int32_t type = 0;
    bool complete_ = true;
};

// The SP type code the summary gives (0-10), logging the type table's message.
[[nodiscard]] int32_t spTypeFromSummary(const VectoredSystemSummary& summary);

class cSPVSS : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    using cSPCmd::getCommandData;

    // Builds "1.2" as a get request without data.
    uint8_t* buildCommand();
    // Decodes the answer into summary: ERR_SUCCESS when parsed, the SP's status byte (spStatusResult)
    // when refused, or ERR_FAILED (1) for a null summary.
    [[nodiscard]] int32_t getCommandData(VectoredSystemSummary* summary);
};
