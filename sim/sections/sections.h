#pragma once
// The node sections a scenario may hold. Each is a member of a node object in the scenario file
// ("nodes": [{"sp": {...}, "system": {...}, ...}]) and a struct in NodeState.
//
// Adding a section: write sim/sections/<name>.{h,cpp} with the struct and its loader
// (void load(const Field& field, NodeState& node), which installs the struct and must accept an absent
// field, giving the section's defaults) and add one line to nodeSections() in sections.cpp. Loaders
// run in the order of that list for every node, whether or not the node names the section.

#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SectionLoader {
    const char* name;
    void (*load)(const Field& field, NodeState& node);
};

const std::vector<SectionLoader>& nodeSections();

}  // namespace yatsim
