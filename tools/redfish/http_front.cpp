// The socket-free parts of yat-redfishd's HTTP side (see http_front.h).

#include "redfish/http_front.h"

#include <arpa/inet.h>

#include <stdexcept>

#include "redfish/resources.h"

namespace redfish {

namespace {

// RFC 4648 base64 without line breaks; nothing for a malformed text.
std::optional<std::string> base64Decode(const std::string& text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            bool last = i + 4 == text.size();
            if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
                v[k] = 0;
                ++padding;
            } else if ((v[k] = value(c)) < 0 || padding > 0) {
                return std::nullopt;
            }
        }
        uint32_t bits = static_cast<uint32_t>(v[0] << 18 | v[1] << 12 | v[2] << 6 | v[3]);
        out += static_cast<char>(bits >> 16 & 0xFF);
        if (padding < 2) out += static_cast<char>(bits >> 8 & 0xFF);
        if (padding < 1) out += static_cast<char>(bits & 0xFF);
    }
    return out;
}

}  // namespace

ListenAddress parseListen(const std::string& text) {
    ListenAddress address;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            throw std::invalid_argument("expected [ADDRESS]:PORT");
        }
        address.host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        size_t colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) throw std::invalid_argument("expected ADDRESS:PORT");
        address.host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (address.host.empty()) throw std::invalid_argument("no address before the port");
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(port) > 65535) {
        throw std::invalid_argument("the port must be a number from 0 to 65535");
    }
    address.port = std::stoi(port);
    return address;
}

bool isLoopback(const std::string& host) {
    if (host == "localhost") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::optional<Credentials> basicCredentials(const std::string& header) {
    const std::string scheme = "Basic ";
    if (header.size() <= scheme.size() || header.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
    std::string encoded = header.substr(scheme.size());
    while (!encoded.empty() && encoded.back() == ' ') encoded.pop_back();
    std::optional<std::string> decoded = base64Decode(encoded);
    if (!decoded) return std::nullopt;
    size_t colon = decoded->find(':');
    if (colon == std::string::npos) return std::nullopt;
    return Credentials{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

bool isPublic(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p == "/redfish" || p == "/redfish/v1" || p == "/redfish/v1/$metadata" || p == "/redfish/v1/odata";
}

const std::string& metadataDocument() {
    static const std::string document = [] {
        // Namespace and version of each schema the resources name in @odata.type.
        const std::pair<const char*, const char*> schemas[] = {{"ServiceRoot", "v1_16_0"},
                                                               {"ChassisCollection", ""},
                                                               {"Chassis", "v1_23_0"},
                                                               {"SensorCollection", ""},
                                                               {"Sensor", "v1_7_0"},
                                                               {"Thermal", "v1_7_1"},
                                                               {"Power", "v1_7_1"},
                                                               {"ComputerSystemCollection", ""},
                                                               {"ComputerSystem", "v1_20_0"},
                                                               {"LogServiceCollection", ""},
                                                               {"LogService", "v1_4_0"},
                                                               {"LogEntryCollection", ""},
                                                               {"LogEntry", "v1_15_0"},
                                                               {"ManagerCollection", ""},
                                                               {"Manager", "v1_17_0"},
                                                               {"Message", "v1_1_1"},
                                                               {"AccountService", "v1_13_0"},
                                                               {"ManagerAccountCollection", ""},
                                                               {"ManagerAccount", "v1_10_0"},
                                                               {"RoleCollection", ""},
                                                               {"Role", "v1_3_1"},
                                                               {"SessionService", "v1_1_9"},
                                                               {"SessionCollection", ""},
                                                               {"Session", "v1_6_0"},
                                                               {"ThermalSubsystem", "v1_2_0"},
                                                               {"FanCollection", ""},
                                                               {"Fan", "v1_4_0"},
                                                               {"PowerSubsystem", "v1_1_0"},
                                                               {"PowerSupplyCollection", ""},
                                                               {"PowerSupply", "v1_5_1"},
                                                               {"EthernetInterfaceCollection", ""},
                                                               {"EthernetInterface", "v1_10_0"},
                                                               {"ManagerNetworkProtocol", "v1_9_0"},
                                                               {"EventService", "v1_9_0"},
                                                               {"EventDestinationCollection", ""},
                                                               {"EventDestination", "v1_13_0"},
                                                               {"Event", "v1_7_0"}};
        std::string xml =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<edmx:Edmx xmlns:edmx=\"http://docs.oasis-open.org/odata/ns/edmx\" Version=\"4.0\">\n";
        for (const auto& [name, version] : schemas) {
            xml += "  <edmx:Reference Uri=\"http://redfish.dmtf.org/schemas/v1/" + std::string(name) + "_v1.xml\">\n";
            xml += "    <edmx:Include Namespace=\"" + std::string(name) + "\"/>\n";
            if (*version != '\0') {
                xml += "    <edmx:Include Namespace=\"" + std::string(name) + "." + version + "\"/>\n";
            }
            xml += "  </edmx:Reference>\n";
        }
        xml +=
            "  <edmx:DataServices>\n"
            "    <Schema xmlns=\"http://docs.oasis-open.org/odata/ns/edm\" Namespace=\"Service\">\n"
            "      <EntityContainer Name=\"Service\" Extends=\"ServiceRoot.v1_16_0.ServiceContainer\"/>\n"
            "    </Schema>\n"
            "  </edmx:DataServices>\n"
            "</edmx:Edmx>\n";
        return xml;
    }();
    return document;
}

bool LoginLimiter::blocked(const std::string& address, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = records_.find(address);
    if (found == records_.end()) return false;
    if (now - found->second.first >= kWindow) {
        records_.erase(found);
        return false;
    }
    return found->second.failures >= kMostFailures;
}

void LoginLimiter::failed(const std::string& address, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (records_.size() >= kMostClients && records_.find(address) == records_.end()) {
        // Forget the records whose window has passed; when none has, the oldest window.
        for (auto it = records_.begin(); it != records_.end();) {
            it = now - it->second.first >= kWindow ? records_.erase(it) : std::next(it);
        }
        if (records_.size() >= kMostClients) records_.erase(records_.begin());
    }
    Record& record = records_[address];
    if (record.failures == 0 || now - record.first >= kWindow) record = Record{0, now};
    ++record.failures;
}

void LoginLimiter::succeeded(const std::string& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.erase(address);
}

}  // namespace redfish
