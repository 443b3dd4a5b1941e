#pragma once
// Section "network": the SP's network interfaces (numbered from 1), its TCP port numbers, the SMTP
// server and the global remote-alert settings. Port writes are held as pending until the SP restarts
// ("7.4"); reads return the port in force.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

using Address = std::array<uint8_t, 4>;

struct NetworkInterface {
    uint8_t dhcp = 0;  // "4.9.1.x.8": 0 static, 1 DHCP
    Address address{};
    Address mask{};
    Address gateway{};
    // What the DHCP server assigned; read as 0.0.0.0 while DHCP is off.
    Address dhcpAddress{};
    Address dhcpMask{};
    Address dhcpGateway{};
    std::string text;  // "4.9.1.x.3"

    bool operator==(const NetworkInterface&) const = default;
};

struct NetworkPort {
    uint16_t value = 0;    // in force
    uint16_t pending = 0;  // written, in force after the next restart

    bool operator==(const NetworkPort&) const = default;
};

struct NetworkSection {
    std::vector<NetworkInterface> interfaces;  // interface i + 1
    std::map<uint8_t, NetworkPort> ports;      // by port number
    std::string smtpServer;                    // "4.9.3.3.1"
    bool smtpEnabled = false;                  // "4.9.3.3.2"
    std::array<uint8_t, 3> alertValues{};      // "4.1.1.5", "4.1.1.4", "4.1.1.3"
    bool alertsEnabled = false;                // "4.5.8"
    uint32_t restarts = 0;                     // "7.4" restarts seen

    bool operator==(const NetworkSection&) const = default;

    static void load(const Field& field, NodeState& node);
};

// Limits of the simulated SP; writes beyond them are refused with status 3.
namespace netlimits {
inline constexpr size_t kMaxText = 63;         // interface text, SMTP server
inline constexpr uint8_t kMaxAlertValue = 15;  // each of the three remote-alert settings
}  // namespace netlimits

}  // namespace yatsim
