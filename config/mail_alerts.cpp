// The SMTP server and the global remote-alert settings (NetworkSettings), over the generic transfers.

#include <cstring>
#include <iterator>

#include "config/network_settings.h"
#include "config/network_wire.h"
#include "config/smtp_config.h"
#include "platform/log.h"
#include "platform/text.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

uint32_t cSMTPConfiguration::getIPAddressMaxSize() { return netwire::kSmtpServerMaxLength; }

namespace {

// Reads one byte-wide setting into value (as int).
[[nodiscard]] int32_t readByteItem(cRemoteAlertConfig& command, cBusComm* comm, int32_t node, const char* dotCommand,
                                   int32_t* value) {
    uint8_t byte = 0;
    int32_t result = command.readData(comm, node, wire::kGet, dotCommand, nullptr, 0, &byte, 1);
    if (result == ERR_SUCCESS) *value = byte;
    return result;
}

// The one-byte remote-alert items in the order of the operations' arguments.
constexpr const char* kByteItems[] = {netwire::kAlertSetting5Command, netwire::kAlertSetting4Command,
                                      netwire::kAlertSetting3Command, netwire::kAlertSwitchCommand};

}  // namespace

int32_t NetworkSettings::getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize) {
    if (comm_ == nullptr) {
        yatLog(config_texts::kTagCLibYATGetSMTPConfiguration, config_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    if (server != nullptr) {
        if (index != 0) return ERR_INVALID_INDEX;
        uint8_t item[netwire::kSmtpServerBytes] = {};
        cSMTPConfiguration command;
        int32_t result = command.readData(comm_, node, wire::kGet, netwire::kSmtpServerCommand, nullptr, 0, item,
                                          static_cast<int32_t>(sizeof item));
        if (result != ERR_SUCCESS) return result;
        // The SP's 64 bytes need not hold a terminator: the host's text is cut to 63 characters.
        copyBoundedText(server, item, netwire::kSmtpServerMaxLength);
    }
    if (maxSize != nullptr) *maxSize = cSMTPConfiguration::getIPAddressMaxSize();
    return ERR_SUCCESS;
}

int32_t NetworkSettings::setSMTPConfiguration(int32_t node, int32_t index, const char* server) {
    constexpr const char* tag = config_texts::kTagCLibYATSetSMTPConfiguration;
    if (comm_ == nullptr) {
        yatLog(tag, config_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    if (server == nullptr) return ERR_SUCCESS;
    // Looks no further than one character past the limit, whatever the host handed in.
    size_t length = strnlen(server, netwire::kSmtpServerMaxLength + 1);
    if (length > netwire::kSmtpServerMaxLength) {
        yatLog(tag, config_texts::kTheServerTextIsLongerThan, static_cast<int32_t>(netwire::kSmtpServerMaxLength));
        return ERR_INVALID_PARAMETER;
    }
    if (index != 0) return ERR_INVALID_INDEX;
    uint8_t item[netwire::kSmtpServerBytes] = {};
    std::memcpy(item, server, length);
    cSMTPConfiguration command;
    return command.writeData(comm_, node, netwire::kSmtpServerCommand, nullptr, 0, item,
                             static_cast<int32_t>(sizeof item));
}

int32_t NetworkSettings::getRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                     int32_t* alertSetting3, int32_t* alertSwitch,
                                                     uint8_t* smtpSwitch) {
    if (comm_ == nullptr) {
        yatLog(config_texts::kTagCLibYATGetRemoteAlertConfiguration, config_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    cRemoteAlertConfig command;
    int32_t* values[] = {alertSetting5, alertSetting4, alertSetting3, alertSwitch};
    for (size_t i = 0; i < std::size(values); ++i) {
        if (values[i] == nullptr) continue;
        int32_t result = readByteItem(command, comm_, node, kByteItems[i], values[i]);
        if (result != ERR_SUCCESS) return result;
    }
    if (smtpSwitch != nullptr) {
        uint32_t value = 0;
        int32_t result = command.readValue32(comm_, node, netwire::kSmtpSwitchCommand, &value);
        *smtpSwitch = result == ERR_SUCCESS && value != 0 ? 1 : 0;
        if (result != ERR_SUCCESS) return result;
    }
    return ERR_SUCCESS;
}

int32_t NetworkSettings::setRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                     int32_t* alertSetting3, uint8_t* alertSwitch,
                                                     uint8_t* smtpSwitch) {
    if (comm_ == nullptr) {
        yatLog(config_texts::kTagCLibYATSetRemoteAlertConfiguration, config_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    cRemoteAlertConfig command;
    // The three settings go as the low byte of the host's int, the switch as 1 or 0.
    uint8_t bytes[4] = {};
    bool given[4] = {alertSetting5 != nullptr, alertSetting4 != nullptr, alertSetting3 != nullptr,
                     alertSwitch != nullptr};
    const int32_t* settings[] = {alertSetting5, alertSetting4, alertSetting3};
    for (size_t i = 0; i < std::size(settings); ++i) {
        if (settings[i] != nullptr) bytes[i] = static_cast<uint8_t>(*settings[i] & 0xFF);
    }
    if (alertSwitch != nullptr) bytes[3] = *alertSwitch != 0 ? 1 : 0;
    for (size_t i = 0; i < std::size(bytes); ++i) {
        if (!given[i]) continue;
        int32_t result = command.writeData(comm_, node, kByteItems[i], nullptr, 0, &bytes[i], 1);
        if (result != ERR_SUCCESS) return result;
    }
    if (smtpSwitch != nullptr)
        return command.writeValue32(comm_, node, netwire::kSmtpSwitchCommand, *smtpSwitch != 0 ? 1 : 0);
    return ERR_SUCCESS;
}
