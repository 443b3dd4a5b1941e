// The accounts family: login accounts ("4.1.4.a.N"), the password policy ("4.1.1.a", "4.1.1.9",
// "4.1.1.b", "4.1.1.1a") and the login setting ("4.1.1.14"). Writes change the node's state;
// out-of-range values and over-long texts are refused with status 1.

#include "config/account_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/handlers/text_item.h"
#include "sim/sections/accounts.h"

namespace yatsim {

namespace {

using namespace accountwire;

Answer account(NodeState& node, const Request& request) {
    if (request.command.size() != 5) return Answer::failure(spstatus::kUnknownCommand);
    uint8_t number = request.command[3];
    uint8_t item = request.command[4];
    if (number < 1 || number > kAccounts) return Answer::failure(spstatus::kInvalidRequest);
    LoginAccount& entry = node.section<AccountsSection>().accounts[number - 1];
    switch (item) {
        case 1: {
            if (request.type == wire::kSet && request.data == Bytes{0}) {
                entry = LoginAccount{};  // frees the account
                return Answer::ok();
            }
            return answers::textItem(request, &entry.userId, kUserIdMax);
        }
        case 2:
            if (request.type != wire::kSet) return Answer::failure(spstatus::kInvalidRequest);
            return answers::textItem(request, &entry.password, kPasswordMax);
        case 4:
            if (request.type == wire::kGet && request.data.empty()) return Answer::ok({entry.flags});
            if (request.type == wire::kSet && request.data.size() == 1) {
                entry.flags = request.data[0];
                uint8_t role = (entry.flags & kFlagsReadOnly) != 0 ? kAuthorityReadOnly : kAuthorityAdmin;
                entry.authority = (entry.authority & 0x00FFFFFFu) | (static_cast<uint32_t>(role) << 24);
                return Answer::ok();
            }
            if (request.type == wire::kSet && request.data.size() == 4) {
                entry.authority =
                    static_cast<uint32_t>(request.data[0]) | (static_cast<uint32_t>(request.data[1]) << 8) |
                    (static_cast<uint32_t>(request.data[2]) << 16) | (static_cast<uint32_t>(request.data[3]) << 24);
                entry.flags = static_cast<uint8_t>(entry.flags & ~kFlagsReadOnly);
                return Answer::ok();
            }
            return Answer::failure(spstatus::kInvalidRequest);
        case 9: return answers::readWrite(request, [&] { return Answer::ok(answers::le32(entry.authority)); });
        default: return Answer::failure(spstatus::kInvalidRequest);
    }
}

Answer flagSetting(const Request& request, bool* value) {
    uint8_t byte = *value ? 1 : 0;
    Answer answer = answers::byteItem(request, &byte, 1);
    *value = byte != 0;
    return answer;
}

}  // namespace

void registerAccountHandlers(HandlerTable& table) {
    table.addFamily("4.1.4", account);
    table.add(kForceChangeCommand, [](NodeState& node, const Request& request) {
        return flagSetting(request, &node.section<AccountsSection>().forceChange);
    });
    table.add(kUserPwdReqCommand, [](NodeState& node, const Request& request) {
        return flagSetting(request, &node.section<AccountsSection>().userPwdReq);
    });
    table.add(kAgeLimitCommand, [](NodeState& node, const Request& request) {
        AccountsSection& section = node.section<AccountsSection>();
        return answers::readWrite(
            request,
            [&] {
                return Answer::ok(
                    {static_cast<uint8_t>(section.ageLimit >> 8), static_cast<uint8_t>(section.ageLimit)});
            },
            2,
            [&](const Bytes& data) {
                uint16_t days = static_cast<uint16_t>((data[0] << 8) | data[1]);
                if (days > kAgeLimitMax) return Answer::failure(spstatus::kInvalidRequest);
                section.ageLimit = days;
                return Answer::ok();
            });
    });
    table.add(kReusePeriodCommand, [](NodeState& node, const Request& request) {
        return answers::byteItem(request, &node.section<AccountsSection>().reusePeriod,
                                 AccountsSection::kReusePeriodMax);
    });
    table.add(kLoginSettingCommand, [](NodeState& node, const Request& request) {
        return answers::byteItem(request, &node.section<AccountsSection>().loginSetting,
                                 AccountsSection::kLoginSettingMax);
    });
}

}  // namespace yatsim
