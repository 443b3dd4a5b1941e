#include "sim/dotted.h"

#include "yat/command_buffer.h"
#include "platform/utils.h"

namespace yatsim {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

}  // namespace

std::optional<Bytes> parseDotted(std::string_view text) {
    Bytes bytes;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        std::string_view token =
            text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (token.empty() || token.size() > 2) return std::nullopt;
        int value = 0;
        for (char c : token) {
            int digit = hexDigitValue(c);
            if (digit < 0) return std::nullopt;
            value = value * 16 + digit;
        }
        if (bytes.size() >= static_cast<size_t>(wire::kMaxCommandBytes)) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return bytes;
}

std::string dottedText(const uint8_t* bytes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += '.';
        if (bytes[i] >= 16) text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::optional<Bytes> parseHex(std::string_view text) {
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n') continue;
        int digit = hexDigitValue(c);
        if (digit < 0) return std::nullopt;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

std::string hexText(const uint8_t* bytes, size_t count, bool spaced) {
    std::string text;
    text.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (spaced && i > 0) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string printableExcerpt(std::string_view text, size_t limit) {
    std::string shown;
    for (char c : text) {
        if (shown.size() > limit) break;
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E) {
            shown += c;
        } else {
            shown += "\\x" + hexText(&byte, 1);
        }
    }
    if (shown.size() > limit) shown = shown.substr(0, limit < 3 ? 0 : limit - 3) + "...";
    return shown;
}

}  // namespace yatsim
