#pragma once
// Section "leds": the node's diagnostic LED panel as the devices behind the SP hold it, and the
// locator light.
//
// The panel is described the way the LED panel registry tree describes it (commands, groups, LEDs,
// sensors), so the same description yields the registry file the library reads (sim/led_registry.h)
// and the passthru answers. Every group stands for one device: an I2C device (bus, device type,
// register), a DMC (bus, register), an IPMI controller or an H8 controller (register). A device holds
// one byte per register address: the OR of the sensor masks of the lit LEDs at that address; an
// address without a lit LED holds 0, or 0xFF when a sensor there has mask 0 (so that it reads dark).

#include <cstdint>
#include <string>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SimLedSensor {
    uint32_t index = 0;
    uint32_t mask = 0;
    uint32_t location = 0;
};

struct SimLed {
    uint32_t type = 0;
    uint32_t regaddr = 0;
    uint32_t location = 0;
    uint32_t index = 0;
    bool lit = false;
    std::vector<SimLedSensor> sensors;
};

struct SimLedGroup {
    uint32_t busType = 1;  // 1 I2C, 2 DMC, 3 IPMI, 4 H8 (other values are kept for tests)
    uint32_t bus = 0;
    uint32_t reg = 0;  // "ledregister"
    uint32_t deviceType = 0;
    std::vector<SimLed> leds;

    // The byte the device holds at regaddr.
    uint8_t byteAt(uint32_t regaddr) const;
};

struct SimLedCommand {
    std::string dotCommand;  // the passthru command, in the "d" family (not "d.7")
    std::vector<SimLedGroup> groups;
};

struct LedsSection {
    uint8_t locator = 0;  // "d.7" state byte
    std::vector<SimLedCommand> commands;

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
