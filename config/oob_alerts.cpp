// Out-of-band alert recipients: twelve entries of mixed types, each a set of "4.1.3.r.N" items.

#include <cstring>

#include "config/config_io.h"
#include "config/snmp_settings.h"
#include "config/snmp_wire.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

using configio::Outcome;
using namespace snmpwire;

namespace {

constexpr const char* kTag = config_texts::kTagDashes;

class cOOBAlertConfig final : public cSPCmd {};

unsigned addr(const void* pointer) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer)); }

// One recipient's commands: the recipient number goes into every one.
class Recipient {
public:
    Recipient(cBusComm* comm, int32_t node, uint32_t recipient)
        : comm_(comm), node_(node), number_(static_cast<uint8_t>(recipient + 1)) {}

    // Sends the get of item; the transport result.
    [[nodiscard]] int32_t get(uint8_t item) {
        return command_.sendRequest(comm_, node_, wire::kGet, kRecipientCommand[item], &number_, 1);
    }
    // Reads a byte item into *value (which keeps its start value when the check fails).
    [[nodiscard]] int32_t getByte(uint8_t item, int32_t* value) {
        int32_t result = get(item);
        return result != ERR_SUCCESS ? result : command_.getAnswerByte(value);
    }
    // Reads a text item into text with the given capacity.
    [[nodiscard]] int32_t getText(uint8_t item, char* text, int32_t capacity) {
        int32_t result = get(item);
        return result != ERR_SUCCESS ? result : command_.getAnswerText(text, capacity);
    }
    [[nodiscard]] int32_t setByte(uint8_t item, uint8_t value) {
        return configio::writeByte(secretFor(item), comm_, node_, kRecipientCommand[item], &number_, 1, value);
    }
    [[nodiscard]] int32_t setText(uint8_t item, const char* text, size_t length) {
        return configio::writeText(secretFor(item), comm_, node_, kRecipientCommand[item], &number_, 1, text, length);
    }
    cSPCmd& command() { return command_; }

private:
    // Password items go out through a command object whose data never reach the log.
    cSPCmd& secretFor(uint8_t item) { return isPasswordItem(item) ? secret_ : command_; }

    cBusComm* comm_;
    int32_t node_;
    uint8_t number_;
    cOOBAlertConfig command_;
    cOOBAlertConfig secret_ = [] {
        cOOBAlertConfig command;
        command.withholdData();
        return command;
    }();
};

}  // namespace

int32_t SnmpSettings::getOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, char* description,
                                               int32_t* descriptionSize, char* destination, int32_t* destinationSize,
                                               char* host, int32_t* hostSize, char* userId, int32_t* userIdSize,
                                               int32_t* passwordSize, int32_t* flagsAvailable, int32_t* flagsSet) {
    yatLog(kTag, config_texts::kGetOOBAlertConfigurationInstanceAlertTypeAddrDescriptionAddr,
           static_cast<int32_t>(recipient), addr(alertType), addr(description));
    yatLog(kTag, config_texts::kDestinationAddrHostAddrUserIDAddr, addr(destination), addr(host), addr(userId));
    if (alertType != nullptr) yatLog(kTag, config_texts::kAlertType, *alertType);
    if (recipient >= kRecipients) return ERR_INVALID_INDEX;
    if (descriptionSize != nullptr) *descriptionSize = kDescriptionMax;
    if (destinationSize != nullptr) *destinationSize = kDestinationMax;
    if (hostSize != nullptr) *hostSize = kHostMax;
    if (userIdSize != nullptr) *userIdSize = kUserIdMax;
    if (passwordSize != nullptr) *passwordSize = kPasswordMax;

    Outcome outcome;
    int32_t type = 0;
    Recipient entry(comm_, node, recipient);
    if (comm_ != nullptr) {
        int32_t connection = kUnreadMarker;
        int32_t result = entry.get(kConnectionType);
        if (result == ERR_SUCCESS) {
            result = entry.command().getAnswerByte(&connection);
            yatLog(kTag, config_texts::kSPReturnedConnectionType, static_cast<unsigned>(connection));
            type = connection + kConnectionTypeOffset;
        }
        outcome.take(result);

        char text[kDescriptionMax + 1] = "";
        result = entry.get(kDescription);
        if (result == ERR_SUCCESS) {
            result = entry.command().getAnswerText(text, kDescriptionMax + 1);
            yatLog(kTag, config_texts::kSPReturnedDescription, text);
            if (result == ERR_SUCCESS) {
                if (text[0] == '\0') type = kAlertTypeUnused;
                if (description != nullptr) {
                    std::memcpy(description, text, std::strlen(text) + 1);
                    yatLog(kTag, config_texts::kDescription, description);
                }
            }
        }
        outcome.take(result);
    }
    if (alertType != nullptr) {
        *alertType = type;
        yatLog(kTag, config_texts::kAlertType2, type);
    }
    if (flagsAvailable != nullptr && flagsSet != nullptr && comm_ != nullptr) {
        yatLog(kTag, config_texts::kFlagsAvailable, kRecipientFlagsAvailable);
        *flagsAvailable = kRecipientFlagsAvailable;
        int32_t status = kUnreadMarker;
        int32_t selective = kUnreadMarker;
        outcome.take(entry.getByte(kEntryStatus, &status));
        int32_t result = entry.getByte(kSelectiveAlert, &selective);
        outcome.take(result);
        yatLog(kTag, config_texts::kGetSelectiveAlertNotificationRetValData, static_cast<unsigned>(result),
               static_cast<unsigned>(selective));
        int32_t map =
            (status == kStatusEnabled ? kRecipientFlagEnabled : 0) | (selective == 0 ? kRecipientFlagSelective : 0);
        yatLog(kTag, config_texts::kFlagsSet, map);
        *flagsSet = map;
    }
    if (destination != nullptr && comm_ != nullptr) {
        uint8_t item = destinationItem(type);
        if (item != 0) {
            outcome.take(entry.getText(item, destination, kDestinationMax));
        } else {
            destination[0] = '\0';
        }
    }
    if (host != nullptr) {
        if (comm_ == nullptr) {
            host[0] = '\0';
        } else if (isHostType(type)) {
            outcome.take(entry.getText(kAddress, host, kHostMax));
        }
    }
    if (userId != nullptr && comm_ != nullptr) {
        uint8_t item = userIdItem(type);
        if (item != 0) {
            outcome.take(entry.getText(item, userId, kUserIdMax));
        } else {
            userId[0] = '\0';
        }
    }
    yatLog(kTag, config_texts::kGetOOBAlertConfigurationReturning, outcome.value());
    return outcome.value();
}

int32_t SnmpSettings::setOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType,
                                               const char* description, const char* destination, const char* host,
                                               const char* userId, const char* userPassword,
                                               const int32_t* flagsChanged, const int32_t* flagsSet) {
    yatLog(kTag, config_texts::kSetOOBAlertConfigurationInstanceAlertTypeAddrDescriptionAddr,
           static_cast<int32_t>(recipient), addr(alertType), addr(description));
    yatLog(kTag, config_texts::kDestinationAddrHostAddrUserIDAddrUserPWAddr, addr(destination), addr(host),
           addr(userId), addr(userPassword));
    if (alertType != nullptr) yatLog(kTag, config_texts::kAlertType, *alertType);
    if (flagsChanged != nullptr && flagsSet != nullptr) {
        yatLog(kTag, config_texts::kFLAGMAPSFlagsChangedFlagsSet, static_cast<unsigned>(*flagsChanged),
               static_cast<unsigned>(*flagsSet));
    }
    Outcome outcome;
    // Every way out logs the closing line.
    auto exit = [&](int32_t result) {
        yatLog(kTag, config_texts::kSetOOBAlertConfigurationEXIT);
        return result;
    };
    if (recipient >= kRecipients) return exit(ERR_INVALID_INDEX);

    int32_t type = 0;
    Recipient entry(comm_, node, recipient);
    if (alertType != nullptr) {
        type = *alertType;
        if (type != kAlertTypeUnused && comm_ != nullptr) {
            outcome.take(entry.setByte(kConnectionType, static_cast<uint8_t>(type - kConnectionTypeOffset)));
        }
    } else if (comm_ != nullptr) {
        int32_t result = entry.get(kConnectionType);
        if (result == ERR_SUCCESS) {
            int32_t connection = kUnreadMarker;
            result = entry.command().getAnswerByte(&connection);
            type = connection + kConnectionTypeOffset;
        }
        outcome.take(result);
    }
    if (flagsChanged != nullptr && flagsSet != nullptr && comm_ != nullptr) {
        if ((*flagsChanged & kRecipientFlagEnabled) != 0) {
            uint8_t status = (*flagsSet & kRecipientFlagEnabled) != 0 ? kStatusEnabled : kStatusDisabled;
            yatLog(kTag, config_texts::kCallingSetEntryStatusData, status);
            outcome.take(entry.setByte(kEntryStatus, status));
        }
        if ((*flagsChanged & kRecipientFlagSelective) != 0) {
            uint8_t off = (*flagsSet & kRecipientFlagSelective) == 0 ? 1 : 0;
            yatLog(kTag, config_texts::kCallingSetSelectiveAlertNotificationData, off);
            outcome.take(entry.setByte(kSelectiveAlert, off));
        }
    }
    struct Text {
        const char* text;
        int32_t max;
        uint8_t item;  // 0: this type has no such item
    };
    const Text texts[] = {
        {description, kDescriptionMax, kDescription},
        {destination, kDestinationMax, destinationItem(type)},
        {host, kHostMax, hostItem(type)},
        {userId, kUserIdMax, userIdItem(type)},
        {userPassword, kPasswordMax, passwordItem(type)},
    };
    for (const Text& text : texts) {
        if (text.text == nullptr) continue;
        size_t length = 0;
        if (configio::tooLong(text.text, text.max, &length)) {
            outcome.take(ERR_INVALID_PARAMETER);
            return exit(outcome.value());
        }
        if (comm_ == nullptr || text.item == 0) continue;
        outcome.take(entry.setText(text.item, text.text, length));
    }
    if (type == kAlertTypeUnused && comm_ != nullptr) {
        outcome.take(entry.setByte(kEntryStatus, kStatusCleared));
        for (uint8_t item : {kDescription, kDestination79, kAddress, kUserId89, kUserIdType4, kPassword89,
                             kPasswordType4, kPasswordType3}) {
            outcome.take(entry.setText(item, "", 0));
        }
    }
    return exit(outcome.value());
}
