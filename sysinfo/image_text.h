#pragma once
// Text fields of the VPD images: the bytes of a fixed-size field up to its first zero byte, with
// trailing blanks dropped (EEPROM writers pad either way). Reads stay inside the reader.

#include <cstddef>
#include <string>

#include "platform/byte_reader.h"

inline std::string imageText(const ByteReader& image, size_t offset, size_t size) {
    std::string text = image.text(offset, size);
    size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

// True when the image starts with signature (signatureSize characters) followed by version.
inline bool imageHeaderOk(const ByteReader& image, const char* signature, size_t signatureSize, uint8_t version) {
    if (!image.has(0, signatureSize + 1)) return false;
    for (size_t i = 0; i < signatureSize; ++i) {
        if (image.u8(i) != static_cast<uint8_t>(signature[i])) return false;
    }
    return image.u8(signatureSize) == version;
}
