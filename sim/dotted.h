#pragma once
// Text forms of command bytes and binary data used by the simulator, its scenario files and yatctl.
//
// A dotted command is the command-byte form of a request: one to wire::kMaxCommandBytes tokens of one
// or two hexadecimal digits separated by single full stops ("4.3.5.2.1", "ff.12.5"). Placeholders
// ("x") are not allowed: these are the bytes on the wire, not a template.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yatsim {

using Bytes = std::vector<uint8_t>;

// The command bytes of a dotted command, or nothing when the text is empty, has an empty token, a
// token of more than two digits, a character that is not a hexadecimal digit, or too many tokens.
std::optional<Bytes> parseDotted(std::string_view text);

// The canonical dotted form: lower-case hexadecimal without leading zeros ("4.3.5.c.1").
std::string dottedText(const uint8_t* bytes, size_t count);
inline std::string dottedText(const Bytes& bytes) { return dottedText(bytes.data(), bytes.size()); }

// Bytes of a hexadecimal text of two digits per byte; blanks between digits are ignored. Nothing when
// a character is not a hexadecimal digit or blank, or the number of digits is odd.
std::optional<Bytes> parseHex(std::string_view text);

// Two lower-case hexadecimal digits per byte, separated by blanks when spaced is true.
std::string hexText(const uint8_t* bytes, size_t count, bool spaced = false);
inline std::string hexText(const Bytes& bytes, bool spaced = false) {
    return hexText(bytes.data(), bytes.size(), spaced);
}

// The text for a one-line message: printable ASCII as it stands, every other byte as \xNN, cut to at
// most limit characters ("..." ending a cut text).
std::string printableExcerpt(std::string_view text, size_t limit);

}  // namespace yatsim
