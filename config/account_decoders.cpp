// Decoders of the account answers.

#include "config/account_wire.h"

#include "platform/byte_reader.h"

namespace accountwire {

std::optional<DialinAuthority> decodeDialinAuthority(const uint8_t* data, size_t size) {
    ByteReader answer(data, size);
    const uint8_t flags = answer.u8(3);
    const uint32_t bitmap = answer.u32le(0);
    if (answer.overrun()) return std::nullopt;  // a short answer
    DialinAuthority decoded;
    if ((flags & kAuthorityAdmin) != 0) {
        decoded.authority = yat::kAccountAdministrator;
        decoded.description = "Administrator";
    } else if ((flags & kAuthorityReadOnly) != 0) {
        decoded.authority = yat::kAccountReadOnly;
        decoded.description = "ReadOnly";
    }
    decoded.bitmap = bitmap;
    return decoded;
}

std::optional<int32_t> decodeDialinFlags(const uint8_t* data, size_t size) {
    ByteReader answer(data, size);
    const uint8_t flags = answer.u8(0);
    if (answer.overrun()) return std::nullopt;  // no data byte
    return (flags & kFlagsReadOnly) != 0 ? yat::kAccountReadOnly : yat::kAccountAdministrator;
}

}  // namespace accountwire
