#pragma once
// Section "accounts": the twelve login accounts, the password policy and the login setting, as the
// SP keeps them. Passwords are kept but the SP never gives them out.

#include <array>
#include <cstdint>
#include <string>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct LoginAccount {
    std::string userId;      // "4.1.4.a.1", at most 15 characters; empty: the account is free
    std::string password;    // "4.1.4.a.2", at most 15 characters; write only
    uint8_t flags = 0;       // DIALIN_FLAGS "4.1.4.a.4": bit 0 read-only
    uint32_t authority = 0;  // DIALIN_AUTHORITY "4.1.4.a.9": byte 3 bit 1 admin, bit 2 read-only

    bool operator==(const LoginAccount&) const = default;
};

struct AccountsSection {
    std::array<LoginAccount, 12> accounts;
    bool forceChange = false;  // "4.1.1.a"
    uint16_t ageLimit = 0;     // "4.1.1.9", days, 0-365
    uint8_t reusePeriod = 0;   // "4.1.1.b", 0-kReusePeriodMax
    bool userPwdReq = false;   // "4.1.1.1a"
    uint8_t loginSetting = 0;  // "4.1.1.14", 0-kLoginSettingMax

    bool operator==(const AccountsSection&) const = default;

    static constexpr uint8_t kReusePeriodMax = 24;
    static constexpr uint8_t kLoginSettingMax = 30;

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
