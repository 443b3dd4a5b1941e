#include "sim/sections/accounts.h"

#include "config/account_wire.h"

namespace yatsim {

using namespace accountwire;

void AccountsSection::load(const Field& field, NodeState& node) {
    field.expectObject({"accounts", "passwordPolicy", "loginSetting"});
    AccountsSection section;
    Field accounts = field["accounts"];
    if (accounts.size() > kAccounts) accounts.fail("expected at most 12 accounts");
    for (size_t i = 0; i < accounts.size(); ++i) {
        Field entry = accounts.at(i);
        entry.expectObject({"userId", "password", "authority", "bitmap"});
        LoginAccount& account = section.accounts[i];
        account.userId = entry["userId"].text(kUserIdMax, "");
        account.password = entry["password"].text(kPasswordMax, "");
        std::string authority = entry["authority"].text(16, account.userId.empty() ? "none" : "readonly");
        if (authority == "admin") {
            account.authority = static_cast<uint32_t>(kAuthorityAdmin) << 24;
        } else if (authority == "readonly") {
            account.flags = kFlagsReadOnly;
            account.authority = static_cast<uint32_t>(kAuthorityReadOnly) << 24;
        } else if (authority == "custom") {
            account.authority = static_cast<uint32_t>(entry["bitmap"].integer(0, 0x00FFFFFF));
        } else if (authority != "none") {
            entry["authority"].fail("expected admin, readonly, custom or none");
        }
        if (authority != "custom" && entry["bitmap"].present())
            entry["bitmap"].fail("expected a bitmap only with custom");
    }
    Field policy = field["passwordPolicy"];
    policy.expectObject({"forceChange", "ageLimit", "reusePeriod", "userPwdReq"});
    section.forceChange = policy["forceChange"].flag(false);
    section.ageLimit = static_cast<uint16_t>(policy["ageLimit"].integer(0, kAgeLimitMax, 0));
    section.reusePeriod = static_cast<uint8_t>(policy["reusePeriod"].integer(0, kReusePeriodMax, 0));
    section.userPwdReq = policy["userPwdReq"].flag(false);
    section.loginSetting = static_cast<uint8_t>(field["loginSetting"].integer(0, kLoginSettingMax, 0));
    node.install(section);
}

}  // namespace yatsim
