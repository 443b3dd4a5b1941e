// The watchdog family: POST, OS and loader watchdog timers and the power-off delay. Each is read with
// a get and changed with a set of the same size.

#include "sim/handlers/handlers.h"
#include "sim/sections/system.h"

namespace yatsim {

namespace {

void addByteTimer(HandlerTable& table, const char* command, uint8_t SystemSection::*timer) {
    table.add(command, [timer](NodeState& node, const Request& request) {
        SystemSection& system = node.section<SystemSection>();
        return answers::readWrite(
            request, [&] { return Answer::ok({system.*timer}); }, 1,
            [&](const Bytes& data) {
                system.*timer = data[0];
                return Answer::ok();
            });
    });
}

}  // namespace

void registerWatchdogHandlers(HandlerTable& table) {
    addByteTimer(table, "5.1.1", &SystemSection::postWatchdog);
    addByteTimer(table, "5.1.2", &SystemSection::osWatchdog);
    addByteTimer(table, "5.1.3", &SystemSection::loaderWatchdog);
    table.add("6.2.1", [](NodeState& node, const Request& request) {
        SystemSection& system = node.section<SystemSection>();
        return answers::readWrite(
            request, [&] { return Answer::ok(answers::le16(system.powerOffDelay)); }, 2,
            [&](const Bytes& data) {
                system.powerOffDelay = static_cast<uint16_t>(data[0] | (data[1] << 8));
                return Answer::ok();
            });
    });
}

}  // namespace yatsim
