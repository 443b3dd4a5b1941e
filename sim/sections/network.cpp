#include "sim/sections/network.h"

#include <cstdio>

namespace yatsim {

namespace {

Address parseAddress(const Field& field, const Address& fallback) {
    if (!field.present()) return fallback;
    std::string text = field.text(15);
    unsigned parts[4] = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4 ||
        parts[0] > 255 || parts[1] > 255 || parts[2] > 255 || parts[3] > 255) {
        field.fail("a dotted address a.b.c.d");
    }
    return {static_cast<uint8_t>(parts[0]), static_cast<uint8_t>(parts[1]), static_cast<uint8_t>(parts[2]),
            static_cast<uint8_t>(parts[3])};
}

}  // namespace

void NetworkSection::load(const Field& field, NodeState& node) {
    field.expectObject({"interfaces", "ports", "smtp", "remoteAlerts"});
    NetworkSection network;
    Field interfaces = field["interfaces"];
    if (interfaces.size() > 255) interfaces.fail("expected at most 255 interfaces");
    for (size_t i = 0; i < interfaces.size(); ++i) {
        Field entry = interfaces.at(i);
        entry.expectObject({"dhcp", "address", "mask", "gateway", "dhcpAddress", "dhcpMask", "dhcpGateway", "text"});
        NetworkInterface item;
        item.dhcp = entry["dhcp"].flag(false) ? 1 : 0;
        item.address = parseAddress(entry["address"], {});
        item.mask = parseAddress(entry["mask"], {});
        item.gateway = parseAddress(entry["gateway"], {});
        item.dhcpAddress = parseAddress(entry["dhcpAddress"], {});
        item.dhcpMask = parseAddress(entry["dhcpMask"], {});
        item.dhcpGateway = parseAddress(entry["dhcpGateway"], {});
        item.text = entry["text"].text(netlimits::kMaxText, "");
        network.interfaces.push_back(item);
    }
    Field ports = field["ports"];
    for (size_t i = 0; i < ports.size(); ++i) {
        Field entry = ports.at(i);
        entry.expectObject({"number", "port"});
        uint16_t value = static_cast<uint16_t>(entry["port"].integer(1, 65535));
        network.ports[static_cast<uint8_t>(entry["number"].integer(0, 255))] = NetworkPort{value, value};
    }
    Field smtp = field["smtp"];
    smtp.expectObject({"server", "enabled"});
    network.smtpServer = smtp["server"].text(netlimits::kMaxText, "");
    network.smtpEnabled = smtp["enabled"].flag(false);
    Field alerts = field["remoteAlerts"];
    alerts.expectObject({"4.1.1.5", "4.1.1.4", "4.1.1.3", "enabled"});
    const char* names[3] = {"4.1.1.5", "4.1.1.4", "4.1.1.3"};
    for (size_t i = 0; i < 3; ++i) {
        network.alertValues[i] = static_cast<uint8_t>(alerts[names[i]].integer(0, netlimits::kMaxAlertValue, 0));
    }
    network.alertsEnabled = alerts["enabled"].flag(false);
    node.install(std::move(network));
}

}  // namespace yatsim
