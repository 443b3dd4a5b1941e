// SNMP agent settings and communities.

#include "config/snmp_settings.h"

#include <cstring>

#include "config/config_io.h"
#include "config/snmp_wire.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

using configio::Outcome;

namespace {

constexpr const char* kTag = config_texts::kTagDashes;

class cSNMPConfig final : public cSPCmd {};
class cSNMPCommConfig final : public cSPCmd {};

// The low 32 bits of an argument's address, as the entry lines show them.
unsigned addr(const void* pointer) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer)); }

// Reads one switch: its flag, or false when the read fails. Returns the read's result.
[[nodiscard]] int32_t readSwitch(cBusComm* comm, int32_t node, const char* dotCommand, bool* value) {
    cSNMPConfig command;
    *value = false;
    int32_t result = command.sendRequest(comm, node, wire::kGet, dotCommand, nullptr, 0);
    if (result != ERR_SUCCESS) return result;
    return command.getAnswerFlag(value);
}

// Reads one SNMP text into text (capacity 47: 46 characters and a terminator).
[[nodiscard]] int32_t readText(cBusComm* comm, int32_t node, const char* dotCommand, char* text) {
    cSNMPConfig command;
    int32_t result = command.sendRequest(comm, node, wire::kGet, dotCommand, nullptr, 0);
    if (result != ERR_SUCCESS) return result;
    return command.getAnswerText(text, snmpwire::kTextMax);
}

}  // namespace

int32_t SnmpSettings::getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                           int32_t* flagsAvailable, int32_t* flagsSet) {
    Outcome outcome;
    if (flagsAvailable != nullptr && flagsSet != nullptr && comm_ != nullptr) {
        yatLog(kTag, config_texts::kFlagsAvailable, snmpwire::kSnmpFlagsAvailable);
        *flagsAvailable = snmpwire::kSnmpFlagsAvailable;
        bool trapsDisabled = false;
        bool v1Enabled = false;
        bool third = false;
        outcome.take(readSwitch(comm_, node, snmpwire::kTrapsDisableCommand, &trapsDisabled));
        outcome.take(readSwitch(comm_, node, snmpwire::kV1EnableCommand, &v1Enabled));
        outcome.take(readSwitch(comm_, node, snmpwire::kThirdSwitchCommand, &third));
        int32_t map = (v1Enabled ? snmpwire::kSnmpFlagV1Enabled : 0) | (third ? snmpwire::kSnmpFlagThirdSwitch : 0) |
                      (trapsDisabled ? 0 : snmpwire::kSnmpFlagTrapsEnabled);
        yatLog(kTag, config_texts::kFlagsSet, map);
        *flagsSet = map;
    }
    if (textA != nullptr && comm_ != nullptr) outcome.take(readText(comm_, node, snmpwire::kTextACommand, textA));
    if (sizeA != nullptr) *sizeA = snmpwire::kTextMax;
    if (textB != nullptr && comm_ != nullptr) outcome.take(readText(comm_, node, snmpwire::kTextBCommand, textB));
    if (sizeB != nullptr) *sizeB = snmpwire::kTextMax;
    return outcome.value();
}

int32_t SnmpSettings::setSNMPConfiguration(int32_t node, const char* textA, const char* textB,
                                           const uint8_t* flagsChanged, const uint8_t* flagsSet) {
    Outcome outcome;
    cSNMPConfig command;
    if (flagsChanged != nullptr && flagsSet != nullptr && comm_ != nullptr) {
        if ((*flagsChanged & snmpwire::kSnmpFlagTrapsEnabled) != 0) {
            uint8_t disable = (*flagsSet & snmpwire::kSnmpFlagTrapsEnabled) == 0 ? 1 : 0;
            yatLog(kTag, config_texts::kCallingSetTrapsDisableBData, disable);
            outcome.take(
                configio::writeByte(command, comm_, node, snmpwire::kTrapsDisableCommand, nullptr, 0, disable));
        }
        if ((*flagsChanged & snmpwire::kSnmpFlagV1Enabled) != 0) {
            uint8_t enable = (*flagsSet & snmpwire::kSnmpFlagV1Enabled) != 0 ? 1 : 0;
            yatLog(kTag, config_texts::kCallingSetSNMPV1EnableBData, enable);
            outcome.take(configio::writeByte(command, comm_, node, snmpwire::kV1EnableCommand, nullptr, 0, enable));
        }
        // Bit 1 (the third switch): the SP has no write form for it; nothing is written.
    }
    struct Text {
        const char* text;
        const char* command;
    };
    for (Text item : {Text{textA, snmpwire::kTextACommand}, Text{textB, snmpwire::kTextBCommand}}) {
        if (item.text == nullptr) continue;
        size_t length = 0;
        if (configio::tooLong(item.text, snmpwire::kTextMax, &length)) {
            outcome.take(ERR_INVALID_PARAMETER);
            return outcome.value();
        }
        if (comm_ == nullptr) continue;
        outcome.take(configio::writeText(command, comm_, node, item.command, nullptr, 0, item.text, length));
    }
    return outcome.value();
}

int32_t SnmpSettings::getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString,
                                                    int32_t* stringSize, int32_t* typeOfAccess) {
    yatLog(kTag, config_texts::kGetSNMPCommunityConfiguration);
    yatLog(kTag, config_texts::kCommunityInstanceADDRstringSizeADDRcommunityStringADDRtypeOfAccess, community,
           addr(stringSize), addr(communityString), addr(typeOfAccess));
    if (community >= snmpwire::kCommunities) return ERR_INVALID_INDEX;
    if (stringSize != nullptr) *stringSize = snmpwire::kCommunityNameMax;
    Outcome outcome;
    cSNMPCommConfig command;
    command.withholdData();  // the answer is the community string
    if (communityString != nullptr && comm_ != nullptr) {
        const uint8_t params[2] = {static_cast<uint8_t>(community + 1), snmpwire::kCommunityName};
        int32_t result = command.sendRequest(comm_, node, wire::kGet, snmpwire::kCommunityCommand, params, 2);
        if (result == ERR_SUCCESS) {
            result = command.getAnswerBytes(reinterpret_cast<uint8_t*>(communityString), snmpwire::kCommunityNameMax);
        }
        outcome.take(result);
    }
    if (typeOfAccess != nullptr) {
        int32_t result = ERR_SUCCESS;
        if (comm_ != nullptr) {
            const uint8_t params[2] = {static_cast<uint8_t>(community + 1), snmpwire::kCommunityAccess};
            result = command.sendRequest(comm_, node, wire::kGet, snmpwire::kCommunityCommand, params, 2);
            if (result == ERR_SUCCESS) {
                int32_t value = snmpwire::kUnreadMarker;
                // A failed answer check leaves the marker for the host to see; the item's result stays
                // the send's, as the header states.
                (void)command.getAnswerByte(&value);
                *typeOfAccess = value;
                yatLog(kTag, config_texts::kSPReturnedTypeOfAccessData, static_cast<unsigned>(value));
            }
        }
        outcome.take(result);
    }
    return outcome.value();
}

int32_t SnmpSettings::setSNMPCommunityConfiguration(int32_t node, uint32_t community, const char* communityString,
                                                    const uint8_t* typeOfAccess) {
    yatLog(kTag, config_texts::kSetSNMPCommunityConfiguration);
    yatLog(kTag, config_texts::kCommunityInstanceADDRcommunityString, community, addr(communityString));
    if (community >= snmpwire::kCommunities) return ERR_INVALID_INDEX;
    Outcome outcome;
    cSNMPCommConfig command;
    command.withholdData();
    if (communityString != nullptr) {
        size_t length = 0;
        if (configio::tooLong(communityString, snmpwire::kCommunityNameMax, &length)) return ERR_INVALID_PARAMETER;
        if (comm_ != nullptr) {
            const uint8_t params[2] = {static_cast<uint8_t>(community + 1), snmpwire::kCommunityName};
            outcome.take(configio::writeText(command, comm_, node, snmpwire::kCommunityCommand, params, 2,
                                             communityString, length));
        }
    }
    if (typeOfAccess != nullptr && comm_ != nullptr) {
        const uint8_t params[2] = {static_cast<uint8_t>(community + 1), snmpwire::kCommunityAccess};
        outcome.take(configio::writeByte(command, comm_, node, snmpwire::kCommunityCommand, params, 2, *typeOfAccess));
    }
    return outcome.value();
}

int32_t SnmpSettings::getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                                         int32_t* addressSize) {
    yatLog(kTag, config_texts::kGetSNMPCommunityIP);
    yatLog(kTag, config_texts::kCommunityInstanceIpInstanceADDRipAddressSizeADDRipAddress, community, ipInstance,
           addr(addressSize), addr(address));
    if (community >= snmpwire::kCommunities || ipInstance >= snmpwire::kCommunityAddresses) return ERR_INVALID_INDEX;
    if (addressSize != nullptr) *addressSize = snmpwire::kCommunityAddressMax;
    if (address == nullptr || comm_ == nullptr) return ERR_FAILED;
    cSNMPCommConfig command;
    const uint8_t params[2] = {static_cast<uint8_t>(community + 1),
                               static_cast<uint8_t>(snmpwire::kCommunityFirstAddress + ipInstance)};
    int32_t result = command.sendRequest(comm_, node, wire::kGet, snmpwire::kCommunityCommand, params, 2);
    if (result != ERR_SUCCESS) return result;
    return command.getAnswerBytes(reinterpret_cast<uint8_t*>(address), snmpwire::kCommunityAddressMax);
}

int32_t SnmpSettings::setSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, const char* address) {
    yatLog(kTag, config_texts::kSetSNMPCommunityIP);
    yatLog(kTag, config_texts::kCommunityInstanceIpInstanceADDRipAddress, community, ipInstance, addr(address));
    if (community >= snmpwire::kCommunities || ipInstance >= snmpwire::kCommunityAddresses) return ERR_INVALID_INDEX;
    if (address == nullptr) return ERR_FAILED;
    size_t length = 0;
    if (configio::tooLong(address, snmpwire::kCommunityAddressMax, &length)) return ERR_INVALID_PARAMETER;
    if (comm_ == nullptr) return ERR_FAILED;
    cSNMPCommConfig command;
    const uint8_t params[2] = {static_cast<uint8_t>(community + 1),
                               static_cast<uint8_t>(snmpwire::kCommunityFirstAddress + ipInstance)};
    return configio::writeText(command, comm_, node, snmpwire::kCommunityCommand, params, 2, address, length);
}
