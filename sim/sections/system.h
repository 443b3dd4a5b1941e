#pragma once
// Section "system": system state, power-on time, restart count, power status and the watchdog timers,
// as the SP keeps them (wire units: the library scales some of them).

#include <cstdint>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SystemSection {
    uint8_t state = 0;            // "4.3.6"
    uint32_t powerOnSeconds = 0;  // "4.3.3.1"
    uint16_t restartCount = 0;    // "4.3.3.2"
    bool powerOn = true;          // "6.1"
    uint8_t postWatchdog = 0;     // "5.1.1", units of 30
    uint8_t osWatchdog = 0;       // "5.1.2"
    uint8_t loaderWatchdog = 0;   // "5.1.3", units of 30
    uint16_t powerOffDelay = 0;   // "6.2.1"

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
