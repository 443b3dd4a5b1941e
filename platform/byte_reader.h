#pragma once
// A bounded view over received bytes (an SP answer, an event buffer, a file image). Every read names
// an offset; a read that would go past the end yields 0 (or a shorter text) and marks the reader as
// having been asked for more than it holds, so decoders never read out of bounds.

#include <cstddef>
#include <cstdint>
#include <string>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data == nullptr ? 0 : size) {}

    size_t size() const { return size_; }
    const uint8_t* data() const { return data_; }
    // True when offset .. offset + count - 1 lie inside the view.
    bool has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    // True once any read asked for bytes the view does not hold.
    bool overrun() const { return overrun_; }

    uint8_t u8(size_t offset) const;
    uint16_t u16le(size_t offset) const;
    uint16_t u16be(size_t offset) const;
    uint32_t u32le(size_t offset) const;
    uint32_t u32be(size_t offset) const;
    // The bytes from offset up to the first zero byte, at most maxChars, never past the end. Marks
    // an overrun only when the text runs into the end of the view before a zero byte or maxChars.
    std::string text(size_t offset, size_t maxChars) const;
    // Exactly count bytes from offset as characters (zero bytes included), cut at the end of the view.
    std::string chars(size_t offset, size_t count) const;
    // Copies up to count bytes from offset into dest; returns how many were copied (0 for a null dest).
    size_t copy(size_t offset, size_t count, uint8_t* dest) const;

private:
    bool take(size_t offset, size_t count) const;

    const uint8_t* data_;
    size_t size_;
    mutable bool overrun_ = false;
};
