#pragma once
// VPD: one vital-product-data record of the device data library, shared with the host. The host (or
// sensor discovery) creates it; getVPDData and the parsers fill it.
//
// It holds the texts of an EEPROM image (part number, FRU number, serial number, manufacturer ID),
// the texts of a firmware image (version, build ID, file name) and a validity flag. The setters
// never change the flag: only whoever filled the record from well-formed data marks it valid
// (EEPromParser, FirmwareParser, the planar read of getVPDData, the driver revision read). Copyable
// member by member. Not synchronised: one thread uses a record at a time.

#include <cstdint>
#include <string>

class VPD {
public:
    VPD() = default;
    virtual ~VPD() = default;
    VPD(const VPD&) = default;
    VPD& operator=(const VPD&) = default;

    // Setters take the text by value and return 0.
    int32_t set_EEPROM_PART_NUMBER(std::string text) {
        eepromPartNumber = std::move(text);
        return 0;
    }
    int32_t set_EEPROM_FRU_NUMBER(std::string text) {
        eepromFruNumber = std::move(text);
        return 0;
    }
    int32_t set_EEPROM_SERIAL_NUMBER(std::string text) {
        eepromSerialNumber = std::move(text);
        return 0;
    }
    int32_t set_EEPROM_MANUFACTURER_ID(std::string text) {
        eepromManufacturerId = std::move(text);
        return 0;
    }
    int32_t set_FIRMWARE_IMAGE_VERSION(std::string text) {
        firmwareImageVersion = std::move(text);
        return 0;
    }
    int32_t set_FIRMWARE_IMAGE_BUILD_ID(std::string text) {
        firmwareImageBuildId = std::move(text);
        return 0;
    }
    int32_t set_FIRMWARE_IMAGE_FILENAME(std::string text) {
        firmwareImageFileName = std::move(text);
        return 0;
    }

    const std::string& get_EEPROM_PART_NUMBER() const { return eepromPartNumber; }
    const std::string& get_EEPROM_FRU_NUMBER() const { return eepromFruNumber; }
    const std::string& get_EEPROM_SERIAL_NUMBER() const { return eepromSerialNumber; }
    const std::string& get_EEPROM_MANUFACTURER_ID() const { return eepromManufacturerId; }
    const std::string& get_FIRMWARE_IMAGE_VERSION() const { return firmwareImageVersion; }
    const std::string& get_FIRMWARE_IMAGE_BUILD_ID() const { return firmwareImageBuildId; }
    const std::string& get_FIRMWARE_IMAGE_FILENAME() const { return firmwareImageFileName; }

    // True when the record holds data parsed from a well-formed image.
    bool isVPDValid() const { return valid; }
    void setIsVPDValid(bool value) { valid = value; }

private:
    // The four EEPROM texts in the order the library reads them back.
    std::string eepromPartNumber;
    std::string eepromFruNumber;
    std::string eepromSerialNumber;
    std::string eepromManufacturerId;
    std::string firmwareImageVersion;
    std::string firmwareImageBuildId;
    std::string firmwareImageFileName;
    bool valid = false;
};
