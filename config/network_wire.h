#pragma once
// Wire layout of the SP's network, TCP port, restart, SMTP and remote-alert commands. The simulator
// answers from the same constants. In the interface and port commands x is the interface (or port)
// number, one byte.
//
//   "4.9.1.x.8"     get / set 1 byte      DHCP switch of interface x
//   "4.9.1.x.4"     get / set 4 bytes     static address      (addresses: a.b.c.d as a, b, c, d)
//   "4.9.1.x.e"     get / set 4 bytes     static subnet mask
//   "4.9.1.x.9"     get / set 4 bytes     static gateway
//   "4.9.1.x.10.2"  get       4 bytes     DHCP-assigned address
//   "4.9.1.x.10.4"  get       4 bytes     DHCP-assigned subnet mask
//   "4.9.1.x.10.3"  get       4 bytes     DHCP-assigned gateway
//   "4.9.1.x.3"     get / set text        further text item of interface x
//   "4.d.x"         get / set 2 bytes     TCP port number x, most significant byte first
//   "7.4"           set, no data          restart the SP
//   "4.9.3.3.1"     get / set 64 bytes    SMTP server text, zero-padded
//   "4.9.3.3.2"     get / set 4 bytes     SMTP switch, most significant byte first, 0 or 1
//   "4.1.1.5", "4.1.1.4", "4.1.1.3"  get / set 1 byte   remote-alert settings
//   "4.5.8"         get / set 1 byte      remote-alert switch, 0 or 1

#include <cstddef>
#include <cstdint>

namespace netwire {

inline constexpr const char* kDhcpEnableCommand = "4.9.1.x.8";
inline constexpr const char* kStaticAddressCommand = "4.9.1.x.4";
inline constexpr const char* kStaticMaskCommand = "4.9.1.x.e";
inline constexpr const char* kStaticGatewayCommand = "4.9.1.x.9";
inline constexpr const char* kDhcpAddressCommand = "4.9.1.x.10.2";
inline constexpr const char* kDhcpMaskCommand = "4.9.1.x.10.4";
inline constexpr const char* kDhcpGatewayCommand = "4.9.1.x.10.3";
inline constexpr const char* kConfigStringCommand = "4.9.1.x.3";
inline constexpr const char* kPortCommand = "4.d.x";
inline constexpr const char* kRestartCommand = "7.4";

// Bytes of an address, and the longest dotted text of one ("255.255.255.255") with its terminator.
inline constexpr size_t kAddressBytes = 4;
inline constexpr size_t kAddressTextSize = 16;
// Bytes of a port number.
inline constexpr size_t kPortBytes = 2;
inline constexpr int32_t kMaxPort = 65535;
// Interface and port numbers travel as one byte.
inline constexpr int32_t kMaxItemNumber = 255;

inline constexpr const char* kSmtpServerCommand = "4.9.3.3.1";
inline constexpr const char* kSmtpSwitchCommand = "4.9.3.3.2";
inline constexpr const char* kAlertSetting5Command = "4.1.1.5";
inline constexpr const char* kAlertSetting4Command = "4.1.1.4";
inline constexpr const char* kAlertSetting3Command = "4.1.1.3";
inline constexpr const char* kAlertSwitchCommand = "4.5.8";

// The SMTP server item: 64 bytes, a text of at most 63 characters and zero bytes after it.
inline constexpr size_t kSmtpServerBytes = 64;
inline constexpr size_t kSmtpServerMaxLength = 63;

}  // namespace netwire
