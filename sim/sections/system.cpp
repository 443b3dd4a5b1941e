#include "sim/sections/system.h"

namespace yatsim {

void SystemSection::load(const Field& field, NodeState& node) {
    field.expectObject({"state", "powerOnSeconds", "powerOnHours", "restartCount", "powerOn", "watchdogs"});
    SystemSection system;
    system.state = static_cast<uint8_t>(field["state"].integer(0, 255, 0));
    if (field["powerOnSeconds"].present() && field["powerOnHours"].present()) {
        field["powerOnHours"].fail("expected either powerOnSeconds or powerOnHours, not both");
    }
    system.powerOnSeconds = static_cast<uint32_t>(field["powerOnSeconds"].integer(0, UINT32_MAX, 0));
    if (field["powerOnHours"].present()) {
        system.powerOnSeconds = static_cast<uint32_t>(field["powerOnHours"].integer(0, UINT32_MAX / 3600) * 3600);
    }
    system.restartCount = static_cast<uint16_t>(field["restartCount"].integer(0, UINT16_MAX, 0));
    system.powerOn = field["powerOn"].flag(true);

    Field watchdogs = field["watchdogs"];
    watchdogs.expectObject({"post", "loader", "os", "powerOffDelay"});
    system.postWatchdog = static_cast<uint8_t>(watchdogs["post"].integer(0, 255, 0));
    system.loaderWatchdog = static_cast<uint8_t>(watchdogs["loader"].integer(0, 255, 0));
    system.osWatchdog = static_cast<uint8_t>(watchdogs["os"].integer(0, 255, 0));
    system.powerOffDelay = static_cast<uint16_t>(watchdogs["powerOffDelay"].integer(0, UINT16_MAX, 0));
    node.install(system);
}

}  // namespace yatsim
