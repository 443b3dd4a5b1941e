#include "sim/sections/sp.h"

#include "sim/layouts.h"

namespace yatsim {

const std::vector<Bytes>& SpSection::probeCommands() {
    static const std::vector<Bytes> commands{*parseDotted(vsswire::kProbeOpal), *parseDotted(vsswire::kProbeBeryl),
                                             *parseDotted(vsswire::kProbeCobalt)};
    return commands;
}

void SpSection::load(const Field& field, NodeState& node) {
    field.expectObject({"summary", "type", "capabilities", "extraVectors", "probes"});
    SpSection sp;
    sp.answersSummary = field["summary"].flag(true);
    sp.summaryType = static_cast<uint8_t>(field["type"].integer(0, 255, 3));
    Field capabilities = field["capabilities"];
    for (size_t i = 0; i < capabilities.size(); ++i) {
        sp.capabilities.push_back(static_cast<uint16_t>(capabilities.at(i).integer(0, vsswire::kLastCapabilityId)));
    }
    if (field["extraVectors"].present()) sp.extraVectors = field["extraVectors"].hex(1024);

    Field probes = field["probes"];
    if (probes.present()) {
        for (size_t i = 0; i < probes.size(); ++i) {
            Bytes command = probes.at(i).dotted();
            bool known = false;
            for (const Bytes& probe : probeCommands()) known = known || probe == command;
            if (!known) probes.at(i).fail("expected one of \"4.3.5.19.1\", \"4.9.1.1.16.2\", \"4.9.1.1.1\"");
            sp.probes.push_back(command);
        }
    } else {
        // The probe an SP of the summary's family answers.
        switch (sp.summaryType) {
            case 5: sp.probes.push_back(probeCommands()[0]); break;
            case 3: sp.probes.push_back(probeCommands()[1]); break;
            case 1: sp.probes.push_back(probeCommands()[2]); break;
            default: break;
        }
    }
    node.install(std::move(sp));
}

}  // namespace yatsim
