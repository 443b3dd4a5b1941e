// The sensor reading, limit, power status and multi-node ID commands.

#include "sensors/sensor_commands.h"

#include <cstring>

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_wire.h"

namespace {

// Limit command byte of a location-1 temperature, by instance number 0-6.
constexpr uint8_t kLocationOneTargets[] = {0, 1, 2, 9, 0, 8, 10};
constexpr int32_t kLocationOneCount = sizeof kLocationOneTargets;
// Voltage limit command byte by instance number 0-20: the instance itself, except 14 and 15.
constexpr int32_t kVoltageLimitCount = 21;

uint8_t voltageTarget(int32_t instance) {
    return instance == 14 || instance == 15 ? 0 : static_cast<uint8_t>(instance);
}

}  // namespace

uint8_t* cSPSensorMonCmd::buildCommand(int32_t sensorClass, int32_t location, int32_t instance) {
    constexpr const char* tag = "cSPSensorMonCmd::buildCommand";
    yatLog(tag, "instType [%d] location [%d] instanceNum [%d]", sensorClass, location, instance);
    if (sensorClass == sensorwire::kClassTemperature || sensorClass == sensorwire::kClassVoltage) {
        yatLog(tag, "voltage and temp instType [%d] location [%d] instanceNum [%d]", sensorClass, location, instance);
        const uint8_t params[3] = {static_cast<uint8_t>(sensorClass), static_cast<uint8_t>(location),
                                   static_cast<uint8_t>(instance)};
        return buildSPCommand(sensorwire::kReadingCommand, wire::kGet, params, nullptr, 3, 0);
    }
    if (sensorClass == sensorwire::kClassFan) {
        yatLog(tag, "fan instType [%d] location [%d] instanceNum [%d]", sensorClass, location, instance);
        const uint8_t params[2] = {static_cast<uint8_t>(sensorClass), static_cast<uint8_t>(instance)};
        return buildSPCommand(sensorwire::kReadingCommand, wire::kGet, params, nullptr, 2, 0);
    }
    return refuse();
}

int32_t cSPSensorMonCmd::getCommandData(int32_t kind, void* output) {
    constexpr const char* tag = "cSPMonitorCmd::getCommandData";
    if (output == nullptr) return ERR_INVALID_PARAMETER;
    if (!answerOk()) {
        yatLog(tag, "error path-instType %d, command status [%d]", kind, answerStatus());
        if (answerStatus() == wire::kStatusUnavailable && kind == sensorwire::kClassFan) {
            const int32_t zero = 0;
            std::memcpy(output, &zero, sizeof zero);
            yatLog(tag, "error path-FAN DEVICE_UNAVAILABLE");
            return ERR_DEVICE_UNAVAILABLE;
        }
        return ERR_BAD_ANSWER;
    }
    ByteReader data = answerReader();
    int32_t result = decodeSensorValue(kind, data.data(), data.size(), output);
    if (result == ERR_SUCCESS && kind == sensorwire::kClassVoltage) {
        float volts;
        std::memcpy(&volts, output, sizeof volts);
        yatLog(tag, "after-The voltage data is [%.2f]", static_cast<double>(volts));
    }
    return result;
}

bool cSPSensorLimitCmd::hasLimitCommand(int32_t sensorClass, int32_t location, int32_t instance) {
    if (sensorClass == sensorwire::kClassVoltage) return instance >= 0 && instance < kVoltageLimitCount;
    if (sensorClass != sensorwire::kClassTemperature) return false;
    switch (location) {
        case 1:
            return instance >= 0 && instance < kLocationOneCount;
        case 2:
        case 4:
        case 5:
        case 6:
            return true;
        default:
            return false;
    }
}

uint8_t* cSPSensorLimitCmd::buildLimitCommand(int32_t sensorClass, int32_t location, int32_t instance,
                                              uint8_t selector) {
    if (!hasLimitCommand(sensorClass, location, instance)) return refuse();
    uint8_t params[4] = {static_cast<uint8_t>(sensorClass), 0, 0, 0};
    int32_t count = 0;
    if (sensorClass == sensorwire::kClassVoltage) {
        params[1] = voltageTarget(instance);
        params[2] = selector;
        count = 3;
    } else {
        switch (location) {
            case 1:  // 4.3.2.1.T.S
                params[1] = kLocationOneTargets[instance];
                params[2] = selector;
                count = 3;
                break;
            case 2:  // 4.3.2.1.5.I.S
                params[1] = 5;
                params[2] = static_cast<uint8_t>(instance);
                params[3] = selector;
                count = 4;
                break;
            case 4:  // 4.3.2.1.6.1.S
                params[1] = 6;
                params[2] = 1;
                params[3] = selector;
                count = 4;
                break;
            case 5:  // 4.3.2.1.7.S
                params[1] = 7;
                params[2] = selector;
                count = 3;
                break;
            default:  // location 6: 4.3.2.1.2.S
                params[1] = 2;
                params[2] = selector;
                count = 3;
                break;
        }
    }
    return buildSPCommand(sensorwire::kLimitCommand, wire::kGet, params, nullptr, count, 0);
}

uint8_t* cSPPowerStatusCmd::buildCommand() {
    return buildSPCommand(sensorwire::kPowerStatusCommand, wire::kGet, nullptr, nullptr, 0, 0);
}

uint8_t* cMultiNodeID::buildCommand() {
    const uint8_t data[sensorwire::kMultiNodeIdRequestLength] = {0, 0, 0};
    return buildSPCommand(sensorwire::kMultiNodeIdCommand, wire::kGet, nullptr, data, 0,
                          static_cast<int32_t>(sizeof data));
}

int32_t cMultiNodeID::nodeId() const {
    if (!answerOk()) return -1;
    ByteReader data = answerReader();
    return decodeMultiNodeId(data.data(), data.size());
}
