// The SNMP family: agent texts and switches ("4.9.3.1.1"-"4.9.3.1.6"), communities
// ("4.9.3.1.4.c.i") and out-of-band alert recipients ("4.1.3.r.N"). Writes change the node's state;
// out-of-range values and over-long texts are refused with status 1.

#include "config/snmp_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/handlers/text_item.h"
#include "sim/sections/snmp.h"

namespace yatsim {

namespace {

using namespace snmpwire;

// A switch kept as a bool, read and written as one byte 0 or 1 (writable false: read only).
Answer switchItem(const Request& request, bool* value, bool writable) {
    uint8_t byte = *value ? 1 : 0;
    if (!writable && request.type != wire::kGet) return Answer::failure(spstatus::kInvalidRequest);
    Answer answer = answers::byteItem(request, &byte, 1);
    *value = byte != 0;
    return answer;
}

Answer community(NodeState& node, const Request& request) {
    if (request.command.size() != 7) return Answer::failure(spstatus::kUnknownCommand);
    uint8_t number = request.command[5];
    uint8_t item = request.command[6];
    if (number < 1 || number > kCommunities) return Answer::failure(spstatus::kInvalidRequest);
    SnmpCommunity& entry = node.section<SnmpSection>().communities[number - 1];
    if (item == kCommunityName) return answers::textItem(request, &entry.name, kCommunityNameMax);
    if (item == kCommunityAccess) return answers::byteItem(request, &entry.access, 3);
    if (item >= kCommunityFirstAddress && item < kCommunityFirstAddress + kCommunityAddresses) {
        return answers::textItem(request, &entry.addresses[item - kCommunityFirstAddress], kCommunityAddressMax);
    }
    return Answer::failure(spstatus::kInvalidRequest);
}

Answer recipient(NodeState& node, const Request& request) {
    if (request.command.size() != 5) return Answer::failure(spstatus::kUnknownCommand);
    uint8_t number = request.command[3];
    uint8_t item = request.command[4];
    if (number < 1 || number > kRecipients) return Answer::failure(spstatus::kInvalidRequest);
    AlertRecipient& entry = node.section<SnmpSection>().recipients[number - 1];
    switch (item) {
        case kEntryStatus: return answers::byteItem(request, &entry.status, kStatusEnabled);
        case kConnectionType:
            return answers::byteItem(request, &entry.connectionType,
                                     static_cast<uint8_t>(kAlertTypeMax - kConnectionTypeOffset));
        case kSelectiveAlert: return answers::byteItem(request, &entry.selective, 1);
        default: break;
    }
    size_t max = SnmpSection::recipientTextMax(item);
    if (max == 0) return Answer::failure(spstatus::kInvalidRequest);
    // Passwords are never given out.
    if (isPasswordItem(item) && request.type != wire::kSet) return Answer::failure(spstatus::kInvalidRequest);
    return answers::textItem(request, &entry.texts[item], max);
}

}  // namespace

void registerSnmpHandlers(HandlerTable& table) {
    table.add(kTextACommand, [](NodeState& node, const Request& request) {
        return answers::textItem(request, &node.section<SnmpSection>().textA, kTextMax);
    });
    table.add(kTextBCommand, [](NodeState& node, const Request& request) {
        return answers::textItem(request, &node.section<SnmpSection>().textB, kTextMax);
    });
    table.add(kTrapsDisableCommand, [](NodeState& node, const Request& request) {
        return switchItem(request, &node.section<SnmpSection>().trapsDisabled, true);
    });
    table.add(kV1EnableCommand, [](NodeState& node, const Request& request) {
        return switchItem(request, &node.section<SnmpSection>().v1Enabled, true);
    });
    table.add(kThirdSwitchCommand, [](NodeState& node, const Request& request) {
        return switchItem(request, &node.section<SnmpSection>().thirdSwitch, false);
    });
    table.addFamily("4.9.3.1.4", community);
    table.addFamily("4.1.3", recipient);
}

}  // namespace yatsim
