// The EEPROM image parser of the device data library.

#include "sysinfo/eeprom_parser.h"

#include "yat/command_buffer.h"
#include "platform/byte_reader.h"
#include "sysinfo/image_text.h"
#include "yat/vpd.h"

bool parseEEPromImage(const uint8_t* image, size_t size, VPD* vpd) {
    if (vpd == nullptr) return false;
    ByteReader reader(image, size);
    if (size < eeprom::kMinImageSize ||
        !imageHeaderOk(reader, eeprom::kSignature, eeprom::kSignatureSize, eeprom::kLayoutVersion)) {
        vpd->setIsVPDValid(false);
        return false;
    }
    vpd->set_EEPROM_PART_NUMBER(imageText(reader, eeprom::kPartNumberOffset, eeprom::kPartNumberSize));
    vpd->set_EEPROM_FRU_NUMBER(imageText(reader, eeprom::kFruNumberOffset, eeprom::kFruNumberSize));
    vpd->set_EEPROM_SERIAL_NUMBER(imageText(reader, eeprom::kSerialNumberOffset, eeprom::kSerialNumberSize));
    vpd->set_EEPROM_MANUFACTURER_ID(imageText(reader, eeprom::kManufacturerIdOffset, eeprom::kManufacturerIdSize));
    vpd->setIsVPDValid(true);
    return true;
}

bool parseEEPromAnswer(const uint8_t* buffer, size_t bufferSize, int32_t length, VPD* vpd) {
    if (vpd == nullptr) return false;
    ByteReader answer(buffer, bufferSize);
    bool wellFormed = length >= eeprom::kLengthBias && answer.has(0, wire::kHeaderSize);
    size_t commandBytes = wellFormed ? static_cast<size_t>(length - eeprom::kLengthBias) : 0;
    wellFormed = wellFormed && answer.u8(wire::kTypeOffset) == wire::kAnswer &&
                 answer.u8(wire::kCommandLengthOffset) == commandBytes && answer.has(wire::kHeaderSize, commandBytes);
    if (!wellFormed) {
        vpd->setIsVPDValid(false);
        return false;
    }
    size_t start = wire::kHeaderSize + commandBytes;
    size_t claimed = answer.u16le(wire::kDataLengthOffset);
    size_t room = bufferSize - start;
    return parseEEPromImage(buffer + start, claimed < room ? claimed : room, vpd);
}

EEPromParser::EEPromParser(unsigned char* buffer, int length, VPD* vpd)
    : parsed_(parseEEPromAnswer(buffer, buffer != nullptr ? wire::kBufferSize : 0, length, vpd)) {}
