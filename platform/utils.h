#pragma once
// Small byte and text helpers of the host utility library. The buffer readers take a pointer and an
// offset, as callers pass them; the caller guarantees the bytes exist. Decoders of received data use
// ByteReader (platform/byte_reader.h), which bounds every read.

#include <cstdint>
#include <string>

// Writes count bytes of bytes[start ..] as two upper-case hexadecimal characters each, then a zero
// byte (a 16-byte input gives 33 characters). text must hold 2 * count + 1 bytes. Returns ERR_SUCCESS,
// or ERR_FAILED (1) for a null text.
[[nodiscard]] int32_t bytesToString(const uint8_t* bytes, int32_t start, int32_t count, char* text);

// Value of one hexadecimal digit (either case), or -1 when c is not one.
int32_t hexDigitValue(char c);

// Value of the first count hexadecimal digits of text (either case). Reading stops early at the first
// character that is not a hexadecimal digit, including the terminator; a null text gives 0.
// The name is the utility library's own, which hosts and the device code know it by.
uint32_t _httoi(const char* text, int32_t count);  // NOLINT(bugprone-reserved-identifier)

uint16_t getUShortFromBufferLSBFirst(const uint8_t* buffer, int32_t offset);
uint32_t getULongFromBufferLSBFirst(const uint8_t* buffer, int32_t offset);
uint32_t getULongFromBufferMSBFirst(const uint8_t* buffer, int32_t offset);

// The product root directory (YAT_ROOT_DIR, else "./", the current directory), always ending in a path
// separator, cut to fit the 256-byte buffer. Returns ERR_SUCCESS, or ERR_FAILED (1) when the buffer is null.
[[nodiscard]] int32_t getRootDirectory(char* buffer256);

// Largest file path the library builds, terminator included (a 256-character path buffer).
inline constexpr int32_t kMaxFilePath = 256;

// The path of a file below the product root directory. relative is written as registry texts give
// it ("proddata\hwsupp\kdxreg.ini", '\' separators); the result is getRootDirectory() followed by
// relative with every '\' turned into the platform's separator. Returns false, leaving path empty,
// when relative is null or the whole path would not fit kMaxFilePath.
[[nodiscard]] bool rootFilePath(const char* relative, std::string& path);
