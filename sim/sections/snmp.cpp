#include "sim/sections/snmp.h"

#include "config/snmp_wire.h"

namespace yatsim {

using namespace snmpwire;

size_t SnmpSection::recipientTextMax(uint8_t item) {
    switch (item) {
        case kAddress: return kHostMax;  // destination (49) or host (63): the larger
        case kDescription: return kDescriptionMax;
        case kDestination79: return kDestinationMax;
        case kUserIdType4:
        case kUserId89: return kUserIdMax;
        case kPasswordType3:
        case kPasswordType4:
        case kPassword89: return kPasswordMax;
        default: return 0;
    }
}

void SnmpSection::load(const Field& field, NodeState& node) {
    field.expectObject({"textA", "textB", "trapsDisabled", "v1Enabled", "thirdSwitch", "communities", "recipients"});
    SnmpSection snmp;
    snmp.textA = field["textA"].text(kTextMax, "");
    snmp.textB = field["textB"].text(kTextMax, "");
    snmp.trapsDisabled = field["trapsDisabled"].flag(false);
    snmp.v1Enabled = field["v1Enabled"].flag(false);
    snmp.thirdSwitch = field["thirdSwitch"].flag(false);

    Field communities = field["communities"];
    if (communities.size() > kCommunities) communities.fail("expected at most 3 communities");
    for (size_t i = 0; i < communities.size(); ++i) {
        Field entry = communities.at(i);
        entry.expectObject({"name", "access", "addresses"});
        SnmpCommunity& community = snmp.communities[i];
        community.name = entry["name"].text(kCommunityNameMax, "");
        community.access = static_cast<uint8_t>(entry["access"].integer(0, 3, 0));
        Field addresses = entry["addresses"];
        if (addresses.size() > kCommunityAddresses) addresses.fail("expected at most 3 addresses");
        for (size_t a = 0; a < addresses.size(); ++a) {
            community.addresses[a] = addresses.at(a).text(kCommunityAddressMax);
        }
    }

    Field recipients = field["recipients"];
    if (recipients.size() > kRecipients) recipients.fail("expected at most 12 recipients");
    for (size_t i = 0; i < recipients.size(); ++i) {
        Field entry = recipients.at(i);
        entry.expectObject(
            {"type", "enabled", "selectiveAlerts", "description", "destination", "host", "userId", "password"});
        AlertRecipient& recipient = snmp.recipients[i];
        int32_t type = static_cast<int32_t>(entry["type"].integer(kAlertTypeUnused, kAlertTypeMax, kAlertTypeUnused));
        if (type == kAlertTypeUnused) {
            if (entry["description"].present())
                entry["description"].fail("expected no description for an unused entry");
            continue;
        }
        recipient.connectionType = static_cast<uint8_t>(type - kConnectionTypeOffset);
        recipient.status = entry["enabled"].flag(true) ? kStatusEnabled : kStatusDisabled;
        recipient.selective = entry["selectiveAlerts"].flag(false) ? 0 : 1;
        recipient.texts[kDescription] = entry["description"].text(kDescriptionMax);
        struct Placed {
            const char* key;
            uint8_t item;
            size_t max;
        };
        for (Placed placed : {Placed{"destination", destinationItem(type), static_cast<size_t>(kDestinationMax)},
                              Placed{"host", hostItem(type), static_cast<size_t>(kHostMax)},
                              Placed{"userId", userIdItem(type), static_cast<size_t>(kUserIdMax)},
                              Placed{"password", passwordItem(type), static_cast<size_t>(kPasswordMax)}}) {
            Field text = entry[placed.key];
            if (!text.present()) continue;
            if (placed.item == 0)
                text.fail("expected no " + std::string(placed.key) + " for alert type " + std::to_string(type));
            recipient.texts[placed.item] = text.text(placed.max);
        }
    }
    node.install(snmp);
}

}  // namespace yatsim
