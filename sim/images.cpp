#include "sim/images.h"

#include "sim/layouts.h"

namespace yatsim {

using namespace layout;

void putText(Bytes& image, size_t offset, size_t length, const std::string& text, uint8_t pad) {
    if (offset + length > image.size()) image.resize(offset + length, 0);
    for (size_t i = 0; i < length; ++i) {
        image[offset + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : pad;
    }
}

Bytes renderBios(const BiosFields& fields) {
    Bytes image(kBiosImageSize, 0);
    putText(image, fwwire::kLongBuildIdOffset, fwwire::kLongBuildIdSize, fields.buildId, 0);
    putText(image, fwwire::kLongSerialOffset, fwwire::kLongSerialSize, fields.serialNumber, 0);
    putText(image, vpdwire::kChassisTarnCobaltLayout.machineType, vpdwire::kMachineTypeSize, fields.machineType, 0);
    putText(image, vpdwire::kChassisTarnCobaltLayout.model, vpdwire::kModelSize, fields.model, 0);
    putText(image, fwwire::kLongBuildDateOffset, fwwire::kLongBuildDateSize, fields.buildDate, 0);
    image[fwwire::kLongRevisionOffset] = fields.revision;
    return image;
}

Bytes renderFirmwareId(const FirmwareIdFields& fields) {
    Bytes image(kFirmwareIdImageSize, 0);
    putText(image, fwwire::kShortBuildIdOffset, fwwire::kShortBuildIdSize, fields.buildId, 0);
    putText(image, fwwire::kShortBuildDateOffset, fwwire::kShortBuildDateSize, fields.buildDate, 0);
    image[fwwire::kShortRevisionOffset] = fields.revision;
    return image;
}

Bytes renderDescriptor(const DescriptorFields& fields) {
    Bytes image(kDescriptorImageSize, 0);
    putText(image, fwimage::kSignatureOffset, fwimage::kSignatureSize, fwimage::kSignature, 0);
    image[fwimage::kLayoutVersionOffset] = fwimage::kLayoutVersion;
    putText(image, fwimage::kVersionOffset, fwimage::kVersionSize, fields.version, 0);
    putText(image, fwimage::kBuildIdOffset, fwimage::kBuildIdSize, fields.buildId, 0);
    putText(image, fwimage::kFileNameOffset, fwimage::kFileNameSize, fields.fileName, 0);
    return image;
}

Bytes renderEeprom(const EepromFields& fields) {
    Bytes image(kEepromImageSize, 0);
    putText(image, eeprom::kSignatureOffset, eeprom::kSignatureSize, eeprom::kSignature, 0);
    image[eeprom::kLayoutVersionOffset] = eeprom::kLayoutVersion;
    putText(image, eeprom::kPartNumberOffset, eeprom::kPartNumberSize, fields.partNumber, ' ');
    putText(image, eeprom::kFruNumberOffset, eeprom::kFruNumberSize, fields.fruNumber, ' ');
    putText(image, eeprom::kSerialNumberOffset, eeprom::kSerialNumberSize, fields.serialNumber, ' ');
    putText(image, eeprom::kManufacturerIdOffset, eeprom::kManufacturerIdSize, fields.manufacturerId, ' ');
    return image;
}

Bytes renderPlanar(const PlanarFields& fields) {
    Bytes image(kPlanarImageSize, 0);
    const size_t serialAt = vpdwire::kPlanarPart1.offset;
    const size_t half = vpdwire::kPlanarSerialHalf;
    std::string serial = fields.serialNumber;
    serial.resize(vpdwire::kPlanarSerialSize, '\0');
    // The host reads window bytes 6-11 then 0-5: store the second half first.
    putText(image, serialAt, half, serial.substr(half), 0);
    putText(image, serialAt + half, half, serial.substr(0, half), 0);
    putText(image, serialAt + vpdwire::kPlanarManufacturerIdOffset, vpdwire::kPlanarManufacturerIdSize,
            fields.manufacturerId, 0);
    putText(image, vpdwire::kPlanarPart2.offset, vpdwire::kPlanarTextSize, fields.partNumber, 0);
    putText(image, vpdwire::kPlanarPart3.offset, vpdwire::kPlanarTextSize, fields.fruNumber, 0);
    const vpdwire::ChassisLayout& chassis = vpdwire::kChassisBerylGarnetLayout;
    putText(image, chassis.machineType, vpdwire::kMachineTypeSize, fields.machineType, ' ');
    putText(image, chassis.model, vpdwire::kModelSize, fields.model, ' ');
    putText(image, chassis.serialNumber, vpdwire::kChassisSerialSize, fields.machineSerial, ' ');
    return image;
}

Bytes renderChassis(const std::string& machineType, const std::string& model, const std::string& serial) {
    Bytes image(kChassisImageSize, 0);
    const vpdwire::ChassisLayout& chassis = vpdwire::kChassisOpalLayout;
    putText(image, chassis.machineType, vpdwire::kMachineTypeSize, machineType, ' ');
    putText(image, chassis.model, vpdwire::kModelSize, model, ' ');
    putText(image, chassis.serialNumber, vpdwire::kChassisSerialSize, serial, ' ');
    return image;
}

}  // namespace yatsim
