#pragma once
// Bounded text helpers used wherever a text crosses a fixed-size buffer. None of them ever writes
// past the capacity it is given, and every result is zero-terminated when the capacity is non-zero.

#include <cstddef>
#include <string>

// Copies text into dest (capacity bytes), cutting it to fit. A null text gives an empty text.
void copyText(char* dest, size_t capacity, const char* text);

// Copies at most maxChars bytes from src, stopping at the first zero byte; dest receives a terminator.
// dest must hold maxChars + 1 bytes.
void copyBoundedText(char* dest, const unsigned char* src, size_t maxChars);

// The bytes of src up to the first zero byte, at most maxChars of them.
std::string boundedString(const unsigned char* src, size_t maxChars);
