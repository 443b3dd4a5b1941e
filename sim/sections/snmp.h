#pragma once
// Section "snmp": the SNMP agent (two texts, three switches), the three communities and the twelve
// out-of-band alert recipients, as the SP keeps them. Recipient texts are kept per SP item
// ("4.1.3.r.N"); the loader places each scenario text into the item its alert type uses.

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SnmpCommunity {
    std::string name;                      // item 1, at most 15 characters
    uint8_t access = 0;                    // item 5, 0-3
    std::array<std::string, 3> addresses;  // items 2-4, at most 63 characters

    bool operator==(const SnmpCommunity&) const = default;
};

struct AlertRecipient {
    uint8_t status = 0;                    // item 1: 2 enabled, 1 disabled, 0 cleared
    uint8_t connectionType = 0;            // item 4: alert type - 2 (0-8)
    uint8_t selective = 1;                 // item 0C: 0 means selective alert notification on
    std::map<uint8_t, std::string> texts;  // text items 2, 3, 5-0A by item number

    bool operator==(const AlertRecipient&) const = default;
};

struct SnmpSection {
    std::string textA;  // "4.9.3.1.2"
    std::string textB;  // "4.9.3.1.1"
    bool trapsDisabled = false;
    bool v1Enabled = false;
    bool thirdSwitch = false;
    std::array<SnmpCommunity, 3> communities;
    std::array<AlertRecipient, 12> recipients;

    bool operator==(const SnmpSection&) const = default;

    // Most characters of each recipient text item (the library's write limits).
    static size_t recipientTextMax(uint8_t item);
    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
