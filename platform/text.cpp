#include "platform/text.h"

#include <cstring>

void copyText(char* dest, size_t capacity, const char* text) {
    if (dest == nullptr || capacity == 0) return;
    size_t length = 0;
    if (text != nullptr) {
        while (length + 1 < capacity && text[length] != '\0') ++length;
        std::memcpy(dest, text, length);
    }
    dest[length] = '\0';
}

void copyBoundedText(char* dest, const unsigned char* src, size_t maxChars) {
    size_t length = 0;
    if (src != nullptr) {
        while (length < maxChars && src[length] != 0) ++length;
        std::memcpy(dest, src, length);
    }
    dest[length] = '\0';
}

std::string boundedString(const unsigned char* src, size_t maxChars) {
    size_t length = 0;
    if (src == nullptr) return {};
    while (length < maxChars && src[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(src), length);
}
