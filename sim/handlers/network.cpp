// The network family: interface settings "4.9.1.x...", TCP ports "4.d.x", the restart "7.4", the
// SMTP server and switch "4.9.3.3.1"/"4.9.3.3.2" and the remote-alert items "4.1.1.5", "4.1.1.4",
// "4.1.1.3", "4.5.8". Values the SP would not take (a DHCP switch other than 0 or 1, a subnet mask
// that is not contiguous, a text over 63 characters, port 0, a setting over its range) are refused
// with status 3 and change nothing.

#include <algorithm>

#include "config/network_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/sections/network.h"

namespace yatsim {

namespace {

constexpr uint8_t kRefused = 3;

// Interface item bytes after "4.9.1.x".
constexpr uint8_t kItemText = 0x03;
constexpr uint8_t kItemAddress = 0x04;
constexpr uint8_t kItemDhcp = 0x08;
constexpr uint8_t kItemGateway = 0x09;
constexpr uint8_t kItemMask = 0x0e;
constexpr uint8_t kItemAssigned = 0x10;
constexpr uint8_t kAssignedAddress = 0x02;
constexpr uint8_t kAssignedGateway = 0x03;
constexpr uint8_t kAssignedMask = 0x04;

Answer addressItem(const Request& request, Address& address, bool (*accept)(const Address&) = nullptr) {
    return answers::readWrite(
        request, [&] { return Answer::ok(Bytes(address.begin(), address.end())); }, netwire::kAddressBytes,
        [&](const Bytes& data) {
            Address value{data[0], data[1], data[2], data[3]};
            if (accept != nullptr && !accept(value)) return Answer::failure(kRefused);
            address = value;
            return Answer::ok();
        });
}

// A mask is ones from the top, then zeros.
bool contiguousMask(const Address& mask) {
    uint32_t value = (uint32_t{mask[0]} << 24) | (uint32_t{mask[1]} << 16) | (uint32_t{mask[2]} << 8) | mask[3];
    uint32_t inverted = ~value;
    return (inverted & (inverted + 1)) == 0;
}

// A text item of at most 63 characters; the written bytes up to the first zero are the text.
Answer textItem(const Request& request, std::string& text, size_t exactSize = 0) {
    if (request.type == wire::kGet && request.data.empty()) {
        Bytes data(text.begin(), text.end());
        if (exactSize != 0) data.resize(exactSize, 0);
        return Answer::ok(std::move(data));
    }
    if (request.type != wire::kSet || (exactSize != 0 && request.data.size() != exactSize)) {
        return Answer::failure(spstatus::kInvalidRequest);
    }
    auto end = std::find(request.data.begin(), request.data.end(), uint8_t{0});
    if (static_cast<size_t>(end - request.data.begin()) > netlimits::kMaxText) return Answer::failure(kRefused);
    text.assign(request.data.begin(), end);
    return Answer::ok();
}

Answer interfaceCommand(NodeState& node, const Request& request) {
    NetworkSection& network = node.section<NetworkSection>();
    const Bytes& command = request.command;
    if (command.size() < 5) return Answer::failure(spstatus::kUnknownCommand);
    uint8_t number = command[3];
    if (number == 0 || number > network.interfaces.size()) return Answer::failure(spstatus::kNotPresent);
    NetworkInterface& item = network.interfaces[number - 1];
    if (command.size() == 6 && command[4] == kItemAssigned) {
        if (request.type != wire::kGet || !request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
        const Address none{};
        const Address* assigned = command[5] == kAssignedAddress   ? &item.dhcpAddress
                                  : command[5] == kAssignedMask    ? &item.dhcpMask
                                  : command[5] == kAssignedGateway ? &item.dhcpGateway
                                                                   : nullptr;
        if (assigned == nullptr) return Answer::failure(spstatus::kUnknownCommand);
        // Without DHCP there is no lease: the assigned items read as zeros.
        const Address& value = item.dhcp != 0 ? *assigned : none;
        return Answer::ok(Bytes(value.begin(), value.end()));
    }
    if (command.size() != 5) return Answer::failure(spstatus::kUnknownCommand);
    switch (command[4]) {
        case kItemDhcp:
            return answers::readWrite(
                request, [&] { return Answer::ok({item.dhcp}); }, 1,
                [&](const Bytes& data) {
                    if (data[0] > 1) return Answer::failure(kRefused);
                    item.dhcp = data[0];
                    return Answer::ok();
                });
        case kItemAddress: return addressItem(request, item.address);
        case kItemMask: return addressItem(request, item.mask, &contiguousMask);
        case kItemGateway: return addressItem(request, item.gateway);
        case kItemText: return textItem(request, item.text);
        default: return Answer::failure(spstatus::kUnknownCommand);
    }
}

Answer portCommand(NodeState& node, const Request& request) {
    NetworkSection& network = node.section<NetworkSection>();
    if (request.command.size() != 3) return Answer::failure(spstatus::kUnknownCommand);
    auto port = network.ports.find(request.command[2]);
    if (port == network.ports.end()) return Answer::failure(spstatus::kNotPresent);
    return answers::readWrite(
        request,
        [&] {
            return Answer::ok(
                {static_cast<uint8_t>(port->second.value >> 8), static_cast<uint8_t>(port->second.value)});
        },
        netwire::kPortBytes,
        [&](const Bytes& data) {
            uint16_t value = static_cast<uint16_t>((data[0] << 8) | data[1]);
            if (value == 0) return Answer::failure(kRefused);
            port->second.pending = value;
            return Answer::ok();
        });
}

Answer restart(NodeState& node, const Request& request) {
    if (request.type != wire::kSet || !request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
    NetworkSection& network = node.section<NetworkSection>();
    for (auto& [number, port] : network.ports) port.value = port.pending;
    ++network.restarts;
    return Answer::ok();
}

}  // namespace

void registerNetworkHandlers(HandlerTable& table) {
    table.addFamily("4.9.1", interfaceCommand);
    table.addFamily("4.d", portCommand);
    table.add(netwire::kRestartCommand, restart);
    table.add(netwire::kSmtpServerCommand, [](NodeState& node, const Request& request) {
        return textItem(request, node.section<NetworkSection>().smtpServer, netwire::kSmtpServerBytes);
    });
    table.add(netwire::kSmtpSwitchCommand, [](NodeState& node, const Request& request) {
        NetworkSection& network = node.section<NetworkSection>();
        return answers::readWrite(
            request,
            [&] {
                return Answer::ok({0, 0, 0, static_cast<uint8_t>(network.smtpEnabled ? 1 : 0)});
            },
            4,
            [&](const Bytes& data) {
                if (data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] > 1) return Answer::failure(kRefused);
                network.smtpEnabled = data[3] != 0;
                return Answer::ok();
            });
    });
    const char* alertCommands[3] = {netwire::kAlertSetting5Command, netwire::kAlertSetting4Command,
                                    netwire::kAlertSetting3Command};
    for (size_t i = 0; i < 3; ++i) {
        table.add(alertCommands[i], [i](NodeState& node, const Request& request) {
            NetworkSection& network = node.section<NetworkSection>();
            return answers::readWrite(
                request, [&] { return Answer::ok({network.alertValues[i]}); }, 1,
                [&](const Bytes& data) {
                    if (data[0] > netlimits::kMaxAlertValue) return Answer::failure(kRefused);
                    network.alertValues[i] = data[0];
                    return Answer::ok();
                });
        });
    }
    table.add(netwire::kAlertSwitchCommand, [](NodeState& node, const Request& request) {
        NetworkSection& network = node.section<NetworkSection>();
        return answers::readWrite(
            request, [&] { return Answer::ok({static_cast<uint8_t>(network.alertsEnabled ? 1 : 0)}); }, 1,
            [&](const Bytes& data) {
                if (data[0] > 1) return Answer::failure(kRefused);
                network.alertsEnabled = data[0] != 0;
                return Answer::ok();
            });
    });
}

}  // namespace yatsim
