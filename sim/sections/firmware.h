#pragma once
// Section "firmware": the firmware images the SP reads out (BIOS "4.3.5.1" and "4.3.5.1.1", SP
// firmware "4.3.5.6.1" to "4.3.5.6.3", the device driver revision "4.3.5.a"; they go to the node's
// VPD store), the IPMI Get Device ID answer and the component revisions of the "ff.12.5" revision
// request.

#include <cstdint>
#include <map>
#include <optional>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct IpmiDeviceId {
    uint8_t deviceId = 0;
    uint8_t deviceRevision = 0;
    uint8_t major = 0;           // 0 to 127
    uint8_t minor = 0;           // 0 to 99, sent as two BCD digits
    uint8_t ipmiVersion = 0x02;  // BCD, low nibble major: 0x02 is 2.0
    uint8_t additionalSupport = 0;
    uint32_t manufacturerId = 0;  // 20 bits
    uint16_t productId = 0;
    Bytes auxiliary;  // 4 bytes
};

struct FirmwareSection {
    std::optional<IpmiDeviceId> ipmi;    // absent: Get Device ID answers "invalid command"
    std::map<uint8_t, Bytes> revisions;  // component -> four revision bytes

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
