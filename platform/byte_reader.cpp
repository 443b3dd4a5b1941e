#include "platform/byte_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/endian.h"

bool ByteReader::take(size_t offset, size_t count) const {
    if (has(offset, count)) return true;
    overrun_ = true;
    return false;
}

uint8_t ByteReader::u8(size_t offset) const { return take(offset, 1) ? data_[offset] : 0; }

uint16_t ByteReader::u16le(size_t offset) const {
    if (!take(offset, 2)) return 0;
    return endian::loadLE16(data_ + offset);
}

uint16_t ByteReader::u16be(size_t offset) const {
    if (!take(offset, 2)) return 0;
    return endian::loadBE16(data_ + offset);
}

uint32_t ByteReader::u32le(size_t offset) const {
    if (!take(offset, 4)) return 0;
    return endian::loadLE32(data_ + offset);
}

uint32_t ByteReader::u32be(size_t offset) const {
    if (!take(offset, 4)) return 0;
    return endian::loadBE32(data_ + offset);
}

std::string ByteReader::text(size_t offset, size_t maxChars) const {
    if (offset >= size_) {
        if (maxChars > 0) overrun_ = true;
        return {};
    }
    size_t limit = std::min(maxChars, size_ - offset);
    const uint8_t* start = data_ + offset;
    const void* zero = std::memchr(start, 0, limit);
    // Only a text that runs into the end of the view unterminated asked for more than it holds.
    if (zero == nullptr && limit < maxChars) overrun_ = true;
    size_t length = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - start) : limit;
    return std::string(reinterpret_cast<const char*>(start), length);
}

std::string ByteReader::chars(size_t offset, size_t count) const {
    if (offset >= size_) {
        if (count > 0) overrun_ = true;
        return {};
    }
    size_t limit = std::min(count, size_ - offset);
    if (limit < count) overrun_ = true;
    return std::string(reinterpret_cast<const char*>(data_ + offset), limit);
}

size_t ByteReader::copy(size_t offset, size_t count, uint8_t* dest) const {
    if (dest == nullptr) return 0;
    if (offset >= size_) {
        if (count > 0) overrun_ = true;
        return 0;
    }
    size_t limit = std::min(count, size_ - offset);
    if (limit < count) overrun_ = true;
    std::memcpy(dest, data_ + offset, limit);
    return limit;
}
