// Decoders of the account answers.

#include "config/account_wire.h"

#include "platform/byte_reader.h"

namespace accountwire {

std::optional<DialinAuthority> decodeDialinAuthority(const uint8_t* data, size_t size) {
    ByteReader answer(data, size);
    if (!answer.has(0, 4)) return std::nullopt;
    DialinAuthority decoded;
    uint8_t flags = answer.u8(3);
    if ((flags & kAuthorityAdmin) != 0) {
        decoded.authority = kAdministrator;
        decoded.description = "Administrator";
    } else if ((flags & kAuthorityReadOnly) != 0) {
        decoded.authority = kReadOnly;
        decoded.description = "ReadOnly";
    }
    decoded.bitmap = answer.u32le(0);
    return decoded;
}

std::optional<int32_t> decodeDialinFlags(const uint8_t* data, size_t size) {
    ByteReader answer(data, size);
    if (!answer.has(0, 1)) return std::nullopt;
    return (answer.u8(0) & kFlagsReadOnly) != 0 ? kReadOnly : kAdministrator;
}

}  // namespace accountwire
