#pragma once
// Renders the images the simulated SP reads out from their fields, in the layouts the library reads
// (sim/layouts.h names where each is defined). Texts longer than their field are cut; shorter ones
// are padded with zero bytes, except the EEPROM texts and the chassis texts, which are padded with
// blanks as those devices store them.

#include <cstdint>
#include <string>

#include "sim/dotted.h"

namespace yatsim {

// BIOS image ("4.3.5.1", "4.3.5.1.1"): POST/BIOS VPD and, for some SP families, the chassis data.
struct BiosFields {
    std::string buildId;       // 9
    std::string serialNumber;  // 7
    std::string machineType;   // 4
    std::string model;         // 3
    std::string buildDate;     // 8
    uint8_t revision = 0;
};

// SP firmware identifier ("4.3.5.6.1" read as firmware data).
struct FirmwareIdFields {
    std::string buildId;    // 7; its first two characters name the firmware family
    std::string buildDate;  // 8
    uint8_t revision = 0;
};

// Firmware image descriptor (the VPD kinds of "4.3.5.6.x").
struct DescriptorFields {
    std::string version;   // 16
    std::string buildId;   // 16
    std::string fileName;  // 64
};

// EEPROM of a VPD device.
struct EepromFields {
    std::string partNumber;      // 12
    std::string fruNumber;       // 12
    std::string serialNumber;    // 12
    std::string manufacturerId;  // 4
};

// The planar EEPROM ("4.3.5.2.1"): board data in the planar windows and the chassis data.
struct PlanarFields {
    std::string serialNumber;    // 12, stored second half first
    std::string manufacturerId;  // 4
    std::string partNumber;      // 12
    std::string fruNumber;       // 12
    std::string machineType;     // 4
    std::string model;           // 3
    std::string machineSerial;   // 7
};

Bytes renderBios(const BiosFields& fields);
Bytes renderFirmwareId(const FirmwareIdFields& fields);
Bytes renderDescriptor(const DescriptorFields& fields);
Bytes renderEeprom(const EepromFields& fields);
Bytes renderPlanar(const PlanarFields& fields);
// The chassis record read through "4.3.5.2.4.1".
Bytes renderChassis(const std::string& machineType, const std::string& model, const std::string& serial);

// Writes text into image[offset .. offset + length), cut or padded with pad; grows the image when needed.
void putText(Bytes& image, size_t offset, size_t length, const std::string& text, uint8_t pad);

}  // namespace yatsim
