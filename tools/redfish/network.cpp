// The SP's network settings as Redfish resources (see network.h).

#include "redfish/network.h"

#include <algorithm>
#include <iterator>

#include "redfish/protocol.h"
#include "yat/result_codes.h"

namespace redfish {

namespace {

// The protocols of ManagerNetworkProtocol and the SP's TCP port numbers (getNetworkPort) behind them.
// The SP's sixth port, the SNMP trap port, has no place in the schema and is left out.
struct PortProtocol {
    const char* name;
    int32_t number;
};
constexpr PortProtocol kPortProtocols[] = {{"HTTP", 1}, {"HTTPS", 2}, {"Telnet", 3}, {"SSH", 4}, {"SNMP", 5}};
constexpr int32_t kSnmpAgentSwitch = 1;  // the agent's bit in getSNMPConfiguration's flags

std::optional<uint32_t> ipv4Value(const std::string& text) {
    uint32_t value = 0;
    size_t start = 0;
    for (int octet = 0; octet < 4; ++octet) {
        size_t end = octet < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos || end == start || end - start > 3) return std::nullopt;
        std::string part = text.substr(start, end - start);
        if (part.find_first_not_of("0123456789") != std::string::npos || (part.size() > 1 && part[0] == '0'))
            return std::nullopt;
        int number = std::stoi(part);
        if (number > 255) return std::nullopt;
        value = value << 8 | static_cast<uint32_t>(number);
        start = end + 1;
    }
    return value;
}

const PortProtocol* portProtocol(const std::string& name) {
    for (const PortProtocol& p : kPortProtocols) {
        if (name == p.name) return &p;
    }
    return nullptr;
}

}  // namespace

bool isIPv4Address(const std::string& text) { return ipv4Value(text).has_value(); }

bool isSubnetMask(const std::string& text) {
    std::optional<uint32_t> value = ipv4Value(text);
    if (!value) return false;
    uint32_t inverted = ~*value;
    return (inverted & (inverted + 1)) == 0;  // ones from the top, then zeros only
}

std::optional<Reply> patchEthernetInterface(cDeviceLib& library, int32_t node, int32_t iface, const std::string& body) {
    Json request = Json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) return malformedJson();
    std::optional<bool> dhcp;
    std::optional<std::string> items[3];  // address, mask, gateway
    for (const auto& [key, value] : request.items()) {
        if (key == "DHCPv4") {
            if (!value.is_object()) return propertyValueError("PropertyValueTypeError", key, value);
            for (const auto& [inner, setting] : value.items()) {
                if (inner != "DHCPEnabled") return propertyUnknown(key + "/" + inner);
                if (!setting.is_boolean())
                    return propertyValueError("PropertyValueTypeError", key + "/" + inner, setting);
                dhcp = setting.get<bool>();
            }
        } else if (key == "IPv4StaticAddresses") {
            // The SP keeps one static address per interface.
            if (!value.is_array()) return propertyValueError("PropertyValueTypeError", key, value);
            if (value.size() != 1) return propertyValueError("PropertyValueFormatError", key, value);
            const Json& entry = value[0];
            if (!entry.is_object()) return propertyValueError("PropertyValueTypeError", key + "/0", entry);
            static const char* const kNames[] = {"Address", "SubnetMask", "Gateway"};
            for (const auto& [inner, text] : entry.items()) {
                std::string path = key + "/0/" + inner;
                const auto* found = std::find_if(std::begin(kNames), std::end(kNames),
                                                 [&inner](const char* name) { return inner == name; });
                if (found == std::end(kNames)) return propertyUnknown(path);
                if (!text.is_string()) return propertyValueError("PropertyValueTypeError", path, text);
                std::string given = text.get<std::string>();
                bool valid = inner == "SubnetMask" ? isSubnetMask(given) : isIPv4Address(given);
                if (!valid) return propertyValueError("PropertyValueFormatError", path, text);
                items[found - std::begin(kNames)] = given;
            }
        } else if (key == "IPv4Addresses" || key == "Id" || key == "Name" || key == "Status") {
            return propertyNotWritable(key);
        } else {
            return propertyUnknown(key);
        }
    }
    if (!dhcp && !items[0] && !items[1] && !items[2]) {
        return errorReply(400, "PropertyMissing",
                          "The property DHCPv4 is a required property and must be included in the request.",
                          {"DHCPv4"});
    }
    if (items[0] || items[1] || items[2]) {
        auto given = [](const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; };
        int32_t result = library.setIPConfigInfo(node, iface, given(items[0]), given(items[1]), given(items[2]));
        if (result == ERR_INVALID_PARAMETER)
            return propertyValueError("PropertyValueFormatError", "IPv4StaticAddresses",
                                      request["IPv4StaticAddresses"]);
        if (result != ERR_SUCCESS) return internalError();
    }
    if (dhcp && library.setDHCPEnable(node, iface, *dhcp ? 1 : 0) != ERR_SUCCESS) return internalError();
    return std::nullopt;
}

void addStaticAddresses(Json& doc) {
    if (!doc.contains("IPv4Addresses") || doc["IPv4Addresses"].empty()) return;
    const Json& inUse = doc["IPv4Addresses"][0];
    if (inUse.value("AddressOrigin", "") != "Static") return;
    doc["IPv4StaticAddresses"] = Json::array(
        {Json{{"Address", inUse["Address"]}, {"SubnetMask", inUse["SubnetMask"]}, {"Gateway", inUse["Gateway"]}}});
}

Json networkProtocol(cDeviceLib& library, int32_t node) {
    std::string manager = "/redfish/v1/Managers/" + std::to_string(node);
    Json doc{{"@odata.id", manager + "/NetworkProtocol"},
             {"@odata.type", "#ManagerNetworkProtocol.v1_9_0.ManagerNetworkProtocol"},
             {"Id", "NetworkProtocol"},
             {"Name", "Network protocols of the service processor of node " + std::to_string(node)}};
    bool any = false;
    for (const PortProtocol& p : kPortProtocols) {
        int32_t port = 0;
        if (library.getNetworkPort(node, p.number, &port) != ERR_SUCCESS) continue;
        doc[p.name] = Json{{"Port", port}};
        any = true;
    }
    char textA[64] = {}, textB[64] = {};
    int32_t available = 0, flags = 0;
    if (library.getSNMPConfiguration(node, textA, nullptr, textB, nullptr, &available, &flags) == ERR_SUCCESS) {
        bool agent = (flags & kSnmpAgentSwitch) != 0;
        doc["SNMP"]["ProtocolEnabled"] = agent;  // beside its port, when that was read
        doc["SNMP"]["EnableSNMPv1"] = agent;
        any = true;
    }
    doc["Status"] =
        any ? Json{{"State", "Enabled"}, {"Health", "OK"}} : Json{{"State", "UnavailableOffline"}, {"Health", nullptr}};
    return doc;
}

std::optional<Reply> patchNetworkProtocol(cDeviceLib& library, int32_t node, const std::string& body) {
    Json request = Json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) return malformedJson();
    std::vector<std::pair<int32_t, int32_t>> ports;  // SP port number, new port
    std::optional<bool> agent;
    for (const auto& [key, value] : request.items()) {
        const PortProtocol* protocol = portProtocol(key);
        if (protocol == nullptr) {
            if (key == "Id" || key == "Name" || key == "Status" || key == "HostName") return propertyNotWritable(key);
            return propertyUnknown(key);
        }
        if (!value.is_object()) return propertyValueError("PropertyValueTypeError", key, value);
        for (const auto& [inner, setting] : value.items()) {
            std::string path = key + "/" + inner;
            if (inner == "Port") {
                if (!setting.is_number_integer()) return propertyValueError("PropertyValueTypeError", path, setting);
                int64_t port = setting.get<int64_t>();
                if (port < 1 || port > 65535) return propertyValueError("PropertyValueOutOfRange", path, setting);
                ports.emplace_back(protocol->number, static_cast<int32_t>(port));
            } else if (key == "SNMP" && (inner == "ProtocolEnabled" || inner == "EnableSNMPv1")) {
                if (!setting.is_boolean()) return propertyValueError("PropertyValueTypeError", path, setting);
                if (agent && *agent != setting.get<bool>()) {
                    // Both name the one agent switch of the SP.
                    return errorReply(400, "PropertyValueConflict",
                                      "The property 'SNMP/ProtocolEnabled' could not be written because its value "
                                      "would conflict with the value of the 'SNMP/EnableSNMPv1' property.",
                                      {"SNMP/ProtocolEnabled", "SNMP/EnableSNMPv1"});
                }
                agent = setting.get<bool>();
            } else if (inner == "ProtocolEnabled") {
                return propertyNotWritable(path);  // the SP has no switch for it
            } else {
                return propertyUnknown(path);
            }
        }
    }
    if (agent) {
        uint8_t changed = kSnmpAgentSwitch;
        uint8_t set = *agent ? kSnmpAgentSwitch : 0;
        if (library.setSNMPConfiguration(node, nullptr, nullptr, &changed, &set) != ERR_SUCCESS) return internalError();
    }
    for (const auto& [number, port] : ports) {
        if (library.setNetworkPort(node, number, port) != ERR_SUCCESS) return internalError();
    }
    return std::nullopt;
}

}  // namespace redfish
