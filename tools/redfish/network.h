#pragma once
// The SP's network settings as Redfish resources of a manager: PATCH of an EthernetInterface (the
// static IPv4 address, mask and gateway with setIPConfigInfo, DHCPv4.DHCPEnabled with setDHCPEnable)
// and the ManagerNetworkProtocol resource (the TCP ports of getNetworkPort/setNetworkPort, the SNMP
// agent switch of getSNMPConfiguration/setSNMPConfiguration). Community names are secrets: never
// shown. The callers hold the Service's mutex (one request at a time reaches the library).

#include <optional>
#include <string>
#include <vector>

#include "redfish/resources.h"

namespace redfish {

// A dotted IPv4 address "a.b.c.d" (each 0-255, no leading zeros), and a subnet mask (such an address
// whose ones are contiguous from the top).
bool isIPv4Address(const std::string& text);
bool isSubnetMask(const std::string& text);

// PATCH of Managers/{node}/EthernetInterfaces/{iface}: validates the whole body, then changes the SP.
// Nothing (success; the caller reads the resource back) or the error answer.
std::optional<Reply> patchEthernetInterface(cDeviceLib& library, int32_t node, int32_t iface, const std::string& body);

// The static settings in IPv4StaticAddresses when the address in use is the static one (the SP tells
// the static items only while no DHCP lease is held).
void addStaticAddresses(Json& ethernetInterface);

// Managers/{node}/NetworkProtocol.
Json networkProtocol(cDeviceLib& library, int32_t node);
// PATCH of it: the ports (HTTP, HTTPS, Telnet, SSH, SNMP), SNMP.ProtocolEnabled (the agent switch).
// A new port restarts the SP (setNetworkPort). Nothing (success) or the error answer.
std::optional<Reply> patchNetworkProtocol(cDeviceLib& library, int32_t node, const std::string& body);

}  // namespace redfish
