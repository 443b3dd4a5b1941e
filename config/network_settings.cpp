// Network interfaces, TCP ports and the SP restart.

#include "config/network_settings.h"

#include <cstdio>
#include <cstring>

#include "config/ip_config.h"
#include "config/network_wire.h"
#include "config/svc_proc_cfg.h"
#include "config/tcp_port.h"
#include "platform/log.h"
#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

namespace {

// Interface and port numbers go on the wire as one byte; a larger one would address another item.
bool itemNumberFits(int32_t number) { return number >= 0 && number <= netwire::kMaxItemNumber; }

// One static address item and what setIPConfigInfo logs about it.
struct AddressItem {
    const char* text;
    const char* command;
    const char* name;
    uint8_t bytes[5];
};

}  // namespace

int32_t NetworkSettings::getDHCPEnable(int32_t node, int32_t iface, int32_t* enable) {
    if (enable == nullptr) return ERR_INVALID_PARAMETER;
    if (comm_ == nullptr) return ERR_FAILED;
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;
    cIPConfig command;
    command.buildGet(netwire::kDhcpEnableCommand, static_cast<uint8_t>(iface));
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    return command.answerByte(enable);
}

int32_t NetworkSettings::getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                                         int32_t* ipSource) {
    constexpr const char* tag = config_texts::kTagCLibYATGetIPConfigInfo;
    if (address == nullptr && subnetMask == nullptr && gateway == nullptr) {
        yatLog(tag, config_texts::kReturningBackBadParamenter);
        return ERR_INVALID_PARAMETER;
    }
    if (ipSource == nullptr) {
        yatLog(tag, config_texts::kIPSourceNULL);
        return ERR_INVALID_PARAMETER;
    }
    if (comm_ == nullptr) return ERR_FAILED;
    yatLog(tag, config_texts::kDeviceNotNULL);
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;
    const uint8_t port = static_cast<uint8_t>(iface);

    cIPConfig command;
    command.buildGet(netwire::kDhcpAddressCommand, port);
    if (command.send(comm_, node) == ERR_SUCCESS) {
        yatLog(tag, config_texts::kCallToGetDHCPSucceeded);
        char assigned[netwire::kAddressTextSize] = {};
        if (command.answerAddress(assigned) != ERR_SUCCESS) {
            yatLog(tag, config_texts::kCallToGetDHCPAddressFailed);
            *ipSource = 0;
        } else {
            yatLog(tag, config_texts::kCallToGetDHCPAddressSucceeded);
            // An interface without a DHCP lease reads 0.0.0.0: its static settings are the ones in use.
            *ipSource = std::strcmp(assigned, "0.0.0.0") == 0 ? 0 : 1;
        }
        yatLog(tag, config_texts::kCLibYATGetIPConfigInfoSourcetypeIsPortNode, *ipSource, iface, node);
        yatProgress(config_texts::kProgressSourcetypeIsPortNode, *ipSource, iface, node);

        const bool dhcp = *ipSource == 1;
        const struct {
            char* text;
            const char* fromDhcp;
            const char* fromStatic;
        } items[] = {
            {address, netwire::kDhcpAddressCommand, netwire::kStaticAddressCommand},
            {subnetMask, netwire::kDhcpMaskCommand, netwire::kStaticMaskCommand},
            {gateway, netwire::kDhcpGatewayCommand, netwire::kStaticGatewayCommand},
        };
        for (const auto& item : items) {
            if (item.text == nullptr) continue;
            command.buildGet(dhcp ? item.fromDhcp : item.fromStatic, port);
            // A failed item leaves the caller's text as it was; the result comes from the switch read.
            if (command.send(comm_, node) == ERR_SUCCESS) (void)command.answerAddress(item.text);
        }
    }

    command.buildGet(netwire::kDhcpEnableCommand, port);
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    return command.answerByte(ipSource);
}

int32_t NetworkSettings::getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize) {
    if (text == nullptr || textSize <= 0) return ERR_INVALID_PARAMETER;
    if (comm_ == nullptr) return ERR_FAILED;
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;
    cIPConfig command;
    command.buildGet(netwire::kConfigStringCommand, static_cast<uint8_t>(iface));
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    return command.getAnswerText(text, textSize);
}

int32_t NetworkSettings::setDHCPEnable(int32_t node, int32_t iface, int32_t enable) {
    constexpr const char* tag = config_texts::kTagCLibYATSetDHCPEnable;
    if (comm_ == nullptr) {
        yatLog(tag, config_texts::kTheDeviceIsNull);
        return ERR_FAILED;
    }
    yatLog(tag, config_texts::kTheDeviceIsNotNull);
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;
    if (enable < 0 || enable > 255) {
        yatLog(tag, config_texts::kEnableDoesNotFitTheOne, enable);
        return ERR_INVALID_PARAMETER;
    }
    const uint8_t value = static_cast<uint8_t>(enable);
    cIPConfig command;
    command.buildSet(netwire::kDhcpEnableCommand, static_cast<uint8_t>(iface), &value, 1);
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, config_texts::kTheDeviceDriverCallFailedAnd, sent, node, iface, enable);
        return sent;
    }
    SpStatus status = command.answerStatus();
    yatLog(tag, config_texts::kTheDeviceDriverCallSucceededAnd, statusByte(status), node, iface, enable);
    return spStatusResult(status);
}

int32_t NetworkSettings::setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                                         const char* gateway) {
    constexpr const char* tag = config_texts::kTagCLibYATSetIPConfigInfo;
    if (address == nullptr && subnetMask == nullptr && gateway == nullptr) return ERR_INVALID_PARAMETER;
    if (comm_ == nullptr) return ERR_FAILED;
    yatLog(tag, config_texts::kTheDeviceWasNotNull);
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;

    AddressItem items[] = {
        {subnetMask, netwire::kStaticMaskCommand, "ipsubmask", {}},
        {address, netwire::kStaticAddressCommand, "ipaddr", {}},
        {gateway, netwire::kStaticGatewayCommand, "ipgateway", {}},
    };
    // Every given text converts before anything is sent: a bad gateway must not leave a new mask
    // written over an old address.
    for (AddressItem& item : items) {
        if (item.text == nullptr) continue;
        if (cIPConfig::convertIPStringToData(item.text, item.bytes, sizeof item.bytes) != ERR_SUCCESS) {
            yatLog(tag, config_texts::kTheTextIsNotADotted, item.name);
            return ERR_INVALID_PARAMETER;
        }
    }
    cIPConfig command;
    for (const AddressItem& item : items) {
        if (item.text == nullptr) continue;
        command.buildSet(item.command, static_cast<uint8_t>(iface), item.bytes, netwire::kAddressBytes);
        int32_t sent = command.send(comm_, node);
        if (sent != ERR_SUCCESS) return sent;
        SpStatus status = command.answerStatus();
        if (status != SpStatus::kOk) {
            yatLog(tag, config_texts::kSettingTheDeviceDriverRetvalIsAnd, item.name, statusByte(status),
                   statusByte(status));
            return spStatusResult(status);
        }
    }
    return ERR_SUCCESS;
}

int32_t NetworkSettings::setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length) {
    if (data == nullptr || length < 0) return ERR_INVALID_PARAMETER;
    if (comm_ == nullptr) return ERR_FAILED;
    if (!itemNumberFits(iface)) return ERR_INVALID_INDEX;
    cIPConfig command;
    if (command.buildSet(netwire::kConfigStringCommand, static_cast<uint8_t>(iface),
                         reinterpret_cast<const uint8_t*>(data), length) == nullptr) {
        return ERR_INVALID_PARAMETER;  // more than a request holds
    }
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    // A refused write is no success: the host would believe the SP holds the new text.
    return command.answerStatus() == SpStatus::kOk ? ERR_SUCCESS : ERR_BAD_ANSWER;
}

void NetworkSettings::resetServiceProcessor(int32_t node) {
    cSPUtilities command;
    command.resetServiceProcessor(comm_, node);
}

int32_t NetworkSettings::getNetworkPort(int32_t node, int32_t port, int32_t* value) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (value == nullptr) return ERR_INVALID_PARAMETER;
    if (!itemNumberFits(port)) return ERR_INVALID_INDEX;
    cSvcProcCfg command;
    return getTCPNetworkPortData(command, comm_, node, static_cast<uint8_t>(port), value);
}

int32_t NetworkSettings::setNetworkPort(int32_t node, int32_t port, int32_t newPort) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (!itemNumberFits(port)) return ERR_INVALID_INDEX;
    if (newPort < 0 || newPort > netwire::kMaxPort) {
        yatLog(config_texts::kTagCSvcProcCfgSetNetworkPort, config_texts::kPortNumberIsOutside0To, newPort);
        return ERR_INVALID_PARAMETER;
    }
    cSvcProcCfg command;
    int32_t result =
        setTCPNetworkPort(command, comm_, node, static_cast<uint8_t>(port), static_cast<uint16_t>(newPort));
    if (result != ERR_SUCCESS) return result;
    library_.resetServiceProcessor(node);
    return ERR_SUCCESS;
}
