#pragma once
// Section "alerts": the alerts and local events the SP supports (their elements in the "1.1" answer)
// and their enable states, the available event codes ("2.7.3") and the event codes the SP currently
// holds as active ("2.7.4").
//
// Groups: 1 remote critical ("4.2.1.x"), 2 remote non-critical ("4.2.2.x"), 3 remote system
// ("4.2.3.x"), 4 local events ("5.2.x"). The active-code list is state that changes while the
// simulator runs: addActiveCode/removeActiveCode below are the API the event timeline and tests use
// (through SimBusComm::withNode, which holds the simulator's lock).

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

// One supported-commands element: numbers 1 to last (range) or only last.
struct SimAlertElement {
    uint8_t group = 1;
    uint8_t last = 1;
    bool range = true;
};

struct AlertsSection {
    std::vector<SimAlertElement> elements;
    // Enable state by (group, number). Every number an element covers starts enabled unless the
    // scenario lists it under "disabled"; sets of local events ("5.2.x", as the event registrations
    // send them) are kept for any number.
    std::map<std::pair<uint8_t, uint8_t>, bool> enabled;
    std::vector<std::vector<uint32_t>> availableGroups;  // "2.7.3", one answer per group
    std::vector<uint32_t> activeCodes;                   // "2.7.4", in the order they became active
    // Read positions of the two lists: the group the next get next answers.
    size_t availableNext = 0;
    size_t activeNext = 0;

    // Active codes per "2.7.4" answer group.
    static constexpr size_t kActiveCodesPerGroup = 8;

    // The "1.1" elements, as they go on the wire (appended after the sensor entries).
    Bytes supportedElements() const;
    // True when an element covers (group, number).
    bool supports(uint8_t group, uint8_t number) const;

    static void load(const Field& field, NodeState& node);
};

// The available-code groups a node has when its scenario names none: processor-hot and health codes
// first, the memory PFA code 0x05200001 in the second group.
std::vector<std::vector<uint32_t>> defaultAvailableCodeGroups();

// Makes code active on node (appended; nothing when it already is). True when it was added.
bool addActiveCode(NodeState& node, uint32_t code);
// Makes code inactive on node. True when it was active.
bool removeActiveCode(NodeState& node, uint32_t code);

}  // namespace yatsim
