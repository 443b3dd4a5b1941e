#include "platform/utils.h"

#include <cstring>

#include "platform/endian.h"
#include "platform/runtime.h"
#include "yat/result_codes.h"
#include "platform/text.h"

int32_t bytesToString(const uint8_t* bytes, int32_t start, int32_t count, char* text) {
    static const char digits[] = "0123456789ABCDEF";
    if (text == nullptr) return ERR_FAILED;
    int32_t out = 0;
    if (bytes != nullptr && start >= 0) {
        for (int32_t i = 0; i < count; ++i) {
            uint8_t value = bytes[start + i];
            text[out++] = digits[value >> 4];
            text[out++] = digits[value & 0x0F];
        }
    }
    text[out] = '\0';
    return ERR_SUCCESS;
}

int32_t hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint32_t _httoi(const char* text, int32_t count) {
    uint32_t value = 0;
    if (text == nullptr) return 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t digit = hexDigitValue(text[i]);
        if (digit < 0) break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

uint16_t getUShortFromBufferLSBFirst(const uint8_t* buffer, int32_t offset) {
    return endian::loadLE16(buffer + offset);
}

uint32_t getULongFromBufferLSBFirst(const uint8_t* buffer, int32_t offset) { return endian::loadLE32(buffer + offset); }

uint32_t getULongFromBufferMSBFirst(const uint8_t* buffer, int32_t offset) { return endian::loadBE32(buffer + offset); }

int32_t getRootDirectory(char* buffer256) {
    if (buffer256 == nullptr) return ERR_FAILED;
    std::string root = runtimeSettings().rootDir;
    // An empty setting is the current directory, not the top of the file system.
    copyText(buffer256, 255, root.empty() ? "." : root.c_str());
    size_t length = std::strlen(buffer256);
    if (buffer256[length - 1] != '/' && buffer256[length - 1] != '\\') {
        buffer256[length] = pathSeparator()[0];
        buffer256[length + 1] = '\0';
    }
    return ERR_SUCCESS;
}

bool rootFilePath(const char* relative, std::string& path) {
    path.clear();
    if (relative == nullptr) return false;
    char root[kMaxFilePath];
    (void)getRootDirectory(root);  // fails only for a null buffer
    std::string result = root;
    for (const char* c = relative; *c != '\0'; ++c) result += *c == '\\' ? pathSeparator()[0] : *c;
    if (result.size() >= static_cast<size_t>(kMaxFilePath)) return false;
    path = std::move(result);
    return true;
}
