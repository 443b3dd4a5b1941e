// Login accounts: "4.1.4.a.N" items of account a.

#include "config/account_settings.h"

#include <cstring>
#include <string>

#include "config/account_wire.h"
#include "config/config_io.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

using namespace accountwire;

namespace {

constexpr const char* kGetTag = config_texts::kTagCLibYATGetUserAccount;
constexpr const char* kReadOutTag = config_texts::kTagClibyatGetUserAccount;
constexpr const char* kSetTag = config_texts::kTagCLibYATSetUserAccount;

class cSPAccounts final : public cSPCmd {};

// One account's commands.
class Account {
public:
    Account(cBusComm* comm, int32_t node, uint32_t account)
        : comm_(comm), node_(node), number_(static_cast<uint8_t>(account + 1)) {
        secret_.withholdData();
    }

    // Sends the get; the transport result.
    [[nodiscard]] int32_t get(const char* dotCommand) {
        return command_.sendRequest(comm_, node_, wire::kGet, dotCommand, &number_, 1);
    }
    // The answer data of the last get when the SP's status is 0, else nothing.
    bool answered() const { return command_.answerStatus() == SpStatus::kOk; }
    ByteReader data() const { return command_.answerReader(); }
    // The user ID text of the last get (bounded; up to the first zero byte).
    std::string text() const { return data().text(0, wire::kBufferSize); }
    int32_t dump() const { return command_.dumpData(kReadOutTag); }

    // Sends a set; the transport failure, or 12 when the SP refuses it with a non-zero status.
    [[nodiscard]] int32_t set(const char* dotCommand, const uint8_t* bytes, int32_t size, bool secret = false) {
        cSPCmd& command = secret ? secret_ : command_;
        if (command.buildSPCommand(dotCommand, wire::kSet, &number_, bytes, 1, size) == nullptr) {
            return ERR_INVALID_PARAMETER;
        }
        int32_t result = command.send(comm_, node_);
        if (result != ERR_SUCCESS) return result;
        return command.answerStatus() == SpStatus::kOk ? ERR_SUCCESS : ERR_INVALID_PARAMETER;
    }

private:
    cBusComm* comm_;
    int32_t node_;
    uint8_t number_;
    cSPAccounts command_;
    cSPAccounts secret_;
};

const uint8_t* textBytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

}  // namespace

int32_t AccountSettings::getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                        char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                                        int32_t* bitmapSize, char* userId, int32_t* userIdSize, int32_t* passwordSize) {
    yatLog(kGetTag, config_texts::kEnteringRoutine);
    if (userIdSize != nullptr) *userIdSize = kUserIdMax;
    if (descriptionSize != nullptr) *descriptionSize = kDescriptionMax;
    if (bitmapSize != nullptr) *bitmapSize = kBitmapSize;
    if (passwordSize != nullptr) *passwordSize = kPasswordMax;
    if (comm_ == nullptr) {
        yatLog(kGetTag, config_texts::kDeviceNULLReturning);
        return ERR_SUCCESS;
    }
    if (account >= kAccounts) return ERR_INVALID_INDEX;
    yatLog(kGetTag, config_texts::kDeviceIsNotNull);

    int32_t result = ERR_SUCCESS;
    auto note = [&result](int32_t outcome) {
        if (result == ERR_SUCCESS) result = outcome;
    };
    auto finish = [&result]() {
        yatLog(kGetTag, config_texts::kReturningWithRetVal, result);
        return result;
    };
    Account entry(comm_, node, account);

    if (status != nullptr) {
        yatLog(kGetTag, config_texts::kGettingStatus);
        int32_t sent = entry.get(kUserIdCommand);
        if (sent != ERR_SUCCESS) {
            *status = yat::kAccountUnread;
            note(sent);
        } else if (!entry.answered()) {
            note(ERR_BAD_ANSWER);
        } else {
            *status = entry.text().empty() ? yat::kAccountFree : yat::kAccountInUse;
        }
    }

    // The DIALIN_AUTHORITY answer of a fresh read, or the transport failure.
    auto readAuthority = [&](std::optional<DialinAuthority>* decoded) -> int32_t {
        int32_t sent = entry.get(kDialinAuthorityCommand);
        if (sent != ERR_SUCCESS) return sent;
        yatLog(kReadOutTag, config_texts::kDumpingDataBuffer4);
        entry.dump();
        if (entry.answered()) *decoded = decodeDialinAuthority(entry.data().data(), entry.data().size());
        if (!decoded->has_value()) note(ERR_BAD_ANSWER);
        return ERR_SUCCESS;
    };

    if (authority != nullptr) {
        yatLog(kGetTag, config_texts::kGettingAuthorityOption);
        std::optional<DialinAuthority> decoded;
        if (readAuthority(&decoded) != ERR_SUCCESS) {
            yatLog(kGetTag, config_texts::kDIALINAUTHORITYDotCommandFailedTrying);
            int32_t sent = entry.get(kDialinFlagsCommand);
            if (sent != ERR_SUCCESS) return sent;
            std::optional<int32_t> flags;
            if (entry.answered()) flags = decodeDialinFlags(entry.data().data(), entry.data().size());
            if (flags) {
                *authority = *flags;
            } else {
                note(ERR_BAD_ANSWER);
            }
            return finish();
        }
        if (decoded) *authority = decoded->authority;
    }
    if (authorityDescription != nullptr) {
        yatLog(kGetTag, config_texts::kGettingAuthorityDescriptionOption);
        std::optional<DialinAuthority> decoded;
        int32_t sent = readAuthority(&decoded);
        if (sent != ERR_SUCCESS) return sent;
        if (decoded) std::memcpy(authorityDescription, decoded->description, std::strlen(decoded->description) + 1);
    }
    if (customBitmap != nullptr) {
        yatLog(kGetTag, config_texts::kGettingCustomAuthorityBitmap);
        std::optional<DialinAuthority> decoded;
        int32_t sent = readAuthority(&decoded);
        if (sent != ERR_SUCCESS) return sent;
        if (decoded) *customBitmap = static_cast<int32_t>(decoded->bitmap);
    }
    if (userId != nullptr) {
        yatLog(kGetTag, config_texts::kGettingUserID);
        int32_t sent = entry.get(kUserIdCommand);
        if (sent != ERR_SUCCESS) {
            note(sent);
        } else if (entry.answered()) {
            std::string id = entry.text();
            if (id.size() <= static_cast<size_t>(kUserIdMax)) {
                std::memcpy(userId, id.c_str(), id.size() + 1);
                yatLog(kReadOutTag, config_texts::kDumpingDataBuffer);
                entry.dump();
            } else {
                note(ERR_BAD_ANSWER);
            }
        } else {
            note(ERR_BAD_ANSWER);
        }
    }
    return finish();
}

int32_t AccountSettings::setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                        int32_t* customBitmap, const char* userId, const char* userPassword) {
    yatLog(kSetTag, config_texts::kEnteringRoutine);
    if (comm_ == nullptr) {
        yatLog(kSetTag, config_texts::kDeviceNULLReturning);
        return ERR_SUCCESS;
    }
    if (account >= kAccounts) return ERR_INVALID_INDEX;
    yatLog(kSetTag, config_texts::kDeviceIsNotNull);
    Account entry(comm_, node, account);
    // The first failure is the result; a value refused before anything is sent for it ends it there.
    configio::Outcome outcome(ERR_SUCCESS);
    auto refuse = [&] {
        outcome.take(ERR_INVALID_PARAMETER);
        return outcome.value();
    };
    // A set: 12 for any failure of it (transport or SP status).
    auto changed = [](int32_t result) { return result == ERR_SUCCESS ? ERR_SUCCESS : ERR_INVALID_PARAMETER; };

    if (status != nullptr) {
        yatLog(kSetTag, config_texts::kSettingStatusOption);
        if (*status == yat::kAccountInUse) {
            int32_t sent = entry.get(kUserIdCommand);
            if (sent != ERR_SUCCESS) {
                outcome.take(sent);  // the check cannot be made; the other items go on
            } else if (!entry.answered()) {
                return refuse();  // a refused read tells nothing about the account
            } else if (entry.text().empty()) {
                outcome.take(ERR_INVALID_PARAMETER);
            }
        } else if (*status == yat::kAccountFree) {
            const uint8_t empty = 0;
            outcome.take(changed(entry.set(kUserIdCommand, &empty, 1)));
        } else {
            return refuse();
        }
    }
    if (authority != nullptr) {
        yatLog(kSetTag, config_texts::kSettingAuthorityOption);
        if (*authority == yat::kAccountAdministrator || *authority == yat::kAccountReadOnly) {
            int32_t sent = entry.get(kDialinFlagsCommand);
            if (sent != ERR_SUCCESS) {
                outcome.take(sent);  // no write without the read
            } else {
                uint8_t flags = 0;
                if (*authority == yat::kAccountReadOnly) {
                    // The other DIALIN_FLAGS bits are kept: no write built on data that were not read.
                    if (!entry.answered() || !entry.data().has(0, 1)) return refuse();
                    flags = static_cast<uint8_t>(entry.data().u8(0) | kFlagsReadOnly);
                }
                outcome.take(changed(entry.set(kDialinFlagsCommand, &flags, 1)));
            }
        } else if (*authority == yat::kAccountCustom) {
            yatLog(kSetTag, config_texts::kSettingCustomAuthorityBitmapOption);
            if (customBitmap == nullptr) return refuse();
            uint32_t bitmap = static_cast<uint32_t>(*customBitmap);
            const uint8_t bytes[4] = {static_cast<uint8_t>(bitmap), static_cast<uint8_t>(bitmap >> 8),
                                      static_cast<uint8_t>(bitmap >> 16), static_cast<uint8_t>(bitmap >> 24)};
            outcome.take(changed(entry.set(kDialinFlagsCommand, bytes, 4)));
        } else {
            return refuse();
        }
    }
    if (userId != nullptr) {
        size_t length = 0;
        if (configio::tooLong(userId, kUserIdMax, &length)) return refuse();
        yatLog(kSetTag, config_texts::kSettingUserIDOption);
        outcome.take(entry.set(kUserIdCommand, textBytes(userId), static_cast<int32_t>(length + 1)));
    }
    if (userPassword != nullptr) {
        size_t length = 0;
        if (configio::tooLong(userPassword, kPasswordMax, &length)) return refuse();
        yatLog(kSetTag, config_texts::kSettingUserPWOption);
        outcome.take(entry.set(kPasswordCommand, textBytes(userPassword), static_cast<int32_t>(length + 1), true));
    }
    return outcome.value();
}
