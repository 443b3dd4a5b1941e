#pragma once
// Wire layout of the twelve login accounts and the global login settings. Reads are gets (type 2)
// without data, writes sets (type 0). The simulator answers from the same constants.
//
//   "4.1.4.a.1"  user ID of account a (1-12): text; set text and terminator, one zero byte frees it
//   "4.1.4.a.2"  user password: set only, text and terminator
//   "4.1.4.a.4"  DIALIN_FLAGS: A[0] bit 0 = read-only; set 1 byte, or 4 bytes (custom bitmap, LSB first)
//   "4.1.4.a.9"  DIALIN_AUTHORITY: A[0..3]; A[3] bit 1 administrator, bit 2 read-only; the 4 bytes
//                (LSB first) are the custom authority bitmap
//   "4.1.1.a"    forcechange: A[0]; set 1 byte 0/1
//   "4.1.1.9"    agelimit in days: A[0..1] high byte first; set 2 bytes high byte first, 0-365
//   "4.1.1.b"    reuseperiod: A[0]; set 1 byte
//   "4.1.1.1a"   userPwdReq: A[0]; set 1 byte 0/1
//   "4.1.1.14"   login setting: A[0]; set 1 byte

#include <cstddef>
#include <cstdint>
#include <optional>

#include "yat/codes.h"

namespace accountwire {

inline constexpr const char* kUserIdCommand = "4.1.4.x.1";
inline constexpr const char* kPasswordCommand = "4.1.4.x.2";
inline constexpr const char* kDialinFlagsCommand = "4.1.4.x.4";
inline constexpr const char* kDialinAuthorityCommand = "4.1.4.x.9";

inline constexpr const char* kForceChangeCommand = "4.1.1.a";
inline constexpr const char* kAgeLimitCommand = "4.1.1.9";
inline constexpr const char* kReusePeriodCommand = "4.1.1.b";
inline constexpr const char* kUserPwdReqCommand = "4.1.1.1a";
inline constexpr const char* kLoginSettingCommand = "4.1.1.14";

inline constexpr uint32_t kAccounts = 12;  // host 0-11, SP 1-12
inline constexpr int32_t kUserIdMax = 15;
inline constexpr int32_t kPasswordMax = 15;
inline constexpr int32_t kDescriptionMax = 13;  // "Administrator"
inline constexpr int32_t kBitmapSize = 4;
inline constexpr int32_t kAgeLimitMax = 365;

inline constexpr uint8_t kFlagsReadOnly = 0x01;      // DIALIN_FLAGS A[0]
inline constexpr uint8_t kAuthorityAdmin = 0x02;     // DIALIN_AUTHORITY A[3]
inline constexpr uint8_t kAuthorityReadOnly = 0x04;  // DIALIN_AUTHORITY A[3]

// What DIALIN_AUTHORITY says: the authority (yat::AccountAuthority), its description and the custom
// bitmap.
struct DialinAuthority {
    int32_t authority = yat::kAccountCustom;
    const char* description = "Custom";
    uint32_t bitmap = 0;
};

// Decodes the DIALIN_AUTHORITY answer data; nothing when they hold fewer than 4 bytes.
std::optional<DialinAuthority> decodeDialinAuthority(const uint8_t* data, size_t size);

// The authority DIALIN_FLAGS gives (read-only or administrator); nothing when data are empty.
std::optional<int32_t> decodeDialinFlags(const uint8_t* data, size_t size);

}  // namespace accountwire
