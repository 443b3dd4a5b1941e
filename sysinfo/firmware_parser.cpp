// The firmware image descriptor parser of the device data library.

#include "sysinfo/firmware_parser.h"

#include "sysinfo/firmware_command.h"

#include "platform/byte_reader.h"
#include "sysinfo/image_text.h"
#include "yat/vpd.h"

bool parseFirmwareImage(const uint8_t* data, size_t size, VPD* vpd) {
    if (vpd == nullptr) return false;
    ByteReader reader(data, size);
    if (!imageHeaderOk(reader, fwimage::kSignature, fwimage::kSignatureSize, fwimage::kLayoutVersion)) {
        // No descriptor: the SP firmware identifier, if the data hold one.
        std::string buildId = imageText(reader, fwwire::kShortBuildIdOffset, fwwire::kShortBuildIdSize);
        if (!reader.has(fwwire::kShortRevisionOffset, 1) || buildId.empty()) {
            vpd->setIsVPDValid(false);
            return false;
        }
        vpd->set_FIRMWARE_IMAGE_VERSION(firmwareVersionText(reader.u8(fwwire::kShortRevisionOffset)));
        vpd->set_FIRMWARE_IMAGE_BUILD_ID(buildId);
        vpd->set_FIRMWARE_IMAGE_FILENAME("");
        vpd->setIsVPDValid(true);
        return true;
    }
    if (size < fwimage::kMinImageSize) {
        vpd->setIsVPDValid(false);
        return false;
    }
    vpd->set_FIRMWARE_IMAGE_VERSION(imageText(reader, fwimage::kVersionOffset, fwimage::kVersionSize));
    vpd->set_FIRMWARE_IMAGE_BUILD_ID(imageText(reader, fwimage::kBuildIdOffset, fwimage::kBuildIdSize));
    vpd->set_FIRMWARE_IMAGE_FILENAME(imageText(reader, fwimage::kFileNameOffset, fwimage::kFileNameSize));
    vpd->setIsVPDValid(true);
    return true;
}

FirmwareParser::FirmwareParser(unsigned char* data, int length, VPD* vpd)
    : parsed_(parseFirmwareImage(data, length > 0 ? static_cast<size_t>(length) : 0, vpd)) {}
