// The system state family: state byte, power-on time, restart count and power status.

#include "sim/handlers/handlers.h"
#include "sim/sections/system.h"

namespace yatsim {

void registerSystemStateHandlers(HandlerTable& table) {
    table.add("4.3.6", [](NodeState& node, const Request& request) {
        return answers::readWrite(request, [&] { return Answer::ok({node.section<SystemSection>().state}); });
    });
    table.add("4.3.3.1", [](NodeState& node, const Request& request) {
        return answers::readWrite(
            request, [&] { return Answer::ok(answers::le32(node.section<SystemSection>().powerOnSeconds)); });
    });
    table.add("4.3.3.2", [](NodeState& node, const Request& request) {
        return answers::readWrite(
            request, [&] { return Answer::ok(answers::le16(node.section<SystemSection>().restartCount)); });
    });
    // Power status: a set with one byte powers the system on (non-zero) or off.
    table.add("6.1", [](NodeState& node, const Request& request) {
        SystemSection& system = node.section<SystemSection>();
        return answers::readWrite(
            request, [&] { return Answer::ok({static_cast<uint8_t>(system.powerOn ? 1 : 0)}); }, 1,
            [&](const Bytes& data) {
                system.powerOn = data[0] != 0;
                return Answer::ok();
            });
    });
}

}  // namespace yatsim
