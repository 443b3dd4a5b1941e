#pragma once
// The SP commands of the sensor model: the reading command, the limit command, the power status
// ("fuel gauge") command and the multi-node ID read. Each object is a short-lived local of the
// operation that sends it, used by one thread.

#include <cstdint>

#include "commands/sp_cmd.h"

// The reading command "2.x.x.x": 2.1.L.I (temperature), 2.2.L.I (voltage), 2.3.I (fan).
class cSPSensorMonCmd : public cSPCmd {
public:
    using cSPCmd::buildCommand;

    // Builds the reading command of one sensor; null (nothing built) for a class without one.
    uint8_t* buildCommand(int32_t sensorClass, int32_t location, int32_t instance);

    // Decodes a reading or limit answer of class kind into *output (an int32 for temperatures and
    // fans, a float for voltages). Returns ERR_SUCCESS; ERR_BAD_ANSWER (2) when the answer fails
    // the answer check, has the wrong data length or the class has no reading;
    // ERR_DEVICE_UNAVAILABLE (14) (reading set to 0) when the SP reports a fan unavailable (status
    // 7); ERR_INVALID_PARAMETER (12) for a null output.
    [[nodiscard]] int32_t getCommandData(int32_t kind, void* output) override;
};

// The limit command "4.3.2.x.x.x.x", decoded like a reading.
class cSPSensorLimitCmd : public cSPSensorMonCmd {
public:
    // True when the sensor has a limit command: voltages at instance 0-20, temperatures at
    // locations 1 (instance 0-6), 2, 4, 5 and 6.
    static bool hasLimitCommand(int32_t sensorClass, int32_t location, int32_t instance);

    // Builds the command for limit selector `selector`; null (nothing built) when the sensor has no
    // limit command.
    uint8_t* buildLimitCommand(int32_t sensorClass, int32_t location, int32_t instance, uint8_t selector);
};

// The power status command "f.5.1" (present and failed supplies).
class cSPPowerStatusCmd : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    uint8_t* buildCommand();
};

// The multi-node ID read "14.1.3.2" (three request data bytes 0).
class cMultiNodeID : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    uint8_t* buildCommand();
    // The ID from the answer, or -1 when the answer is rejected, too short or says none (255).
    [[nodiscard]] int32_t nodeId() const;
};
