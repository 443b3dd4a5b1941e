// The SP type family: the vectored system summary "1.2" and the three type probes.

#include <algorithm>

#include "sim/handlers/handlers.h"
#include "sim/layouts.h"
#include "sim/sections/sp.h"

namespace yatsim {

namespace {

using namespace layout;

void putVectorId(Bytes& out, uint16_t id) {
    out.push_back(static_cast<uint8_t>(id >> 8));
    out.push_back(static_cast<uint8_t>(id & 0xFF));
}

Answer summary(NodeState& node, const Request& request) {
    const SpSection& sp = node.section<SpSection>();
    if (!sp.answersSummary) return Answer::failure(spstatus::kUnknownCommand);
    return answers::readWrite(request, [&] {
        Bytes data;
        putVectorId(data, vsswire::kSystemId);
        data.resize(vsswire::kSystemLength, 0);
        putVectorId(data, vsswire::kTypeId);
        data.resize(vsswire::kSystemLength + vsswire::kTypeLength, 0);
        data[vsswire::kSystemLength + vsswire::kTypeByte] = sp.summaryType;
        std::vector<uint16_t> capabilities = sp.capabilities;
        std::sort(capabilities.begin(), capabilities.end());
        for (uint16_t id : capabilities) {
            putVectorId(data, id);
            data.resize(data.size() + vsswire::kCapabilityLength - vsswire::kIdSize, 0);
            data.back() = 1;
        }
        data.insert(data.end(), sp.extraVectors.begin(), sp.extraVectors.end());
        return Answer::ok(std::move(data));
    });
}

}  // namespace

void registerSummaryHandlers(HandlerTable& table) {
    table.add("1.2", summary);
    for (const Bytes& probe : SpSection::probeCommands()) {
        table.add(dottedText(probe), [probe](NodeState& node, const Request& request) {
            const auto& answered = node.section<SpSection>().probes;
            if (std::find(answered.begin(), answered.end(), probe) == answered.end()) {
                return Answer::failure(spstatus::kUnknownCommand);
            }
            return answers::readWrite(request, [] { return Answer::ok(); });
        });
    }
}

}  // namespace yatsim
