#pragma once
// Text items as the SP takes them: a set request carries the text and its terminator. Shared by the
// SNMP and account handler files.

#include <cstddef>
#include <optional>
#include <string>

#include "sim/handler_table.h"

namespace yatsim::answers {

// The text of a set request's data: the bytes before a terminator that is the last data byte and the
// only zero byte, at most max characters. Nothing when the data are not such a text (refused).
inline std::optional<std::string> terminatedText(const Bytes& data, size_t max) {
    if (data.empty() || data.back() != 0 || data.size() - 1 > max) return std::nullopt;
    std::string text(data.begin(), data.end() - 1);
    if (text.find('\0') != std::string::npos) return std::nullopt;
    return text;
}

// A text as the SP gives it out: its characters without a terminator.
inline Answer textAnswer(const std::string& text) { return Answer::ok(Bytes(text.begin(), text.end())); }

// readWrite for a text item of at most max characters, stored in *text.
inline Answer textItem(const Request& request, std::string* text, size_t max) {
    if (request.type == wire::kGet && request.data.empty()) return textAnswer(*text);
    if (request.type != wire::kSet) return Answer::failure(spstatus::kInvalidRequest);
    std::optional<std::string> written = terminatedText(request.data, max);
    if (!written) return Answer::failure(spstatus::kInvalidRequest);
    *text = *written;
    return Answer::ok();
}

// readWrite for a one-byte item whose values run from 0 to max, stored in *value.
inline Answer byteItem(const Request& request, uint8_t* value, uint8_t max) {
    return readWrite(
        request, [&] { return Answer::ok({*value}); }, 1,
        [&](const Bytes& data) {
            if (data[0] > max) return Answer::failure(spstatus::kInvalidRequest);
            *value = data[0];
            return Answer::ok();
        });
}

}  // namespace yatsim::answers
