#pragma once
// Section "sensors": the temperatures, voltages, fans and power supplies the SP monitors, its
// multi-node ID, and the supported-commands list ("1.1") built from them.
//
// Values are kept as the SP sends them: temperatures and voltages (readings and limits) in signed
// hundredths, fans in RPM. A limit of 0 means the SP has none for that selector.

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct SimTemperature {
    uint8_t location = 1;
    uint8_t instance = 1;
    int16_t reading = 0;         // hundredths of a degree
    int16_t upper = 0;           // limit selector 2
    int16_t lower = 0;           // limit selector 3
    int16_t upperAlternate = 0;  // limit selector 1
    bool unavailable = false;    // readings answer status 7
};

struct SimVoltage {
    uint8_t location = 1;
    uint8_t instance = 1;
    int16_t reading = 0;  // hundredths of a volt
    int16_t upper = 0;    // limit selector 2
    int16_t lower = 0;    // limit selector 6
    bool unavailable = false;
};

struct SimFan {
    uint8_t instance = 1;
    uint32_t rpm = 0;          // 0: stopped
    bool unavailable = false;  // readings answer status 7
};

struct SensorsSection {
    std::vector<SimTemperature> temperatures;
    std::vector<SimVoltage> voltages;
    std::vector<SimFan> fans;
    bool fuelGauge = true;               // the SP answers the power status command "f.5.1"
    uint8_t presentSupplies = 0;         // bit s: supply s installed
    uint8_t failedSupplies = 0;          // bit s: supply s failed
    std::optional<uint8_t> multiNodeId;  // "14.1.3.2"; absent: the SP does not know the command
    std::vector<Bytes> supportedExtra;   // further "1.1" entries, as they go on the wire

    // The answer data of "1.1": temperature and voltage reading commands grouped by class and
    // location (a range entry when the instances are exactly 1..n, n >= 2), then supportedExtra.
    Bytes supportedCommands() const;

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
