#pragma once
// Section "sp": what kind of SP the node has, as its vectored system summary ("1.2") and the three
// type probes tell it.

#include <cstdint>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SpSection {
    // Whether "1.2" is answered at all (an SP without a summary answers it as an unknown command).
    bool answersSummary = true;
    // The summary type byte (vector 0x1001).
    uint8_t summaryType = 3;
    // Capability vector IDs (0 to 0x0FFF) the summary carries.
    std::vector<uint16_t> capabilities;
    // Further vectors appended to the summary as they stand (raw bytes).
    Bytes extraVectors;
    // The type probe commands ("4.3.5.19.1", "4.9.1.1.16.2", "4.9.1.1.1") this SP answers with
    // status 0; the others answer as unknown commands.
    std::vector<Bytes> probes;

    // The probe commands, in the order they are tried.
    static const std::vector<Bytes>& probeCommands();
    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
