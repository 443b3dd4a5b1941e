// The sensor reading, limit, power status and multi-node ID commands.

#include "sensors/sensor_commands.h"

#include <cstring>

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_wire.h"
#include "sensors/log_texts.h"

uint8_t* cSPSensorMonCmd::buildCommand(int32_t sensorClass, int32_t location, int32_t instance) {
    constexpr const char* tag = sensors_texts::kTagCSPSensorMonCmdBuildCommand;
    yatLog(tag, sensors_texts::kInstTypeLocationInstanceNum, sensorClass, location, instance);
    if (sensorClass == sensorwire::kClassTemperature || sensorClass == sensorwire::kClassVoltage) {
        yatLog(tag, sensors_texts::kVoltageAndTempInstTypeLocationInstanceNum, sensorClass, location, instance);
        const uint8_t params[3] = {static_cast<uint8_t>(sensorClass), static_cast<uint8_t>(location),
                                   static_cast<uint8_t>(instance)};
        return buildSPCommand(sensorwire::kReadingCommand, wire::kGet, params, nullptr, 3, 0);
    }
    if (sensorClass == sensorwire::kClassFan) {
        yatLog(tag, sensors_texts::kFanInstTypeLocationInstanceNum, sensorClass, location, instance);
        const uint8_t params[2] = {static_cast<uint8_t>(sensorClass), static_cast<uint8_t>(instance)};
        return buildSPCommand(sensorwire::kReadingCommand, wire::kGet, params, nullptr, 2, 0);
    }
    return refuse();
}

int32_t cSPSensorMonCmd::getCommandData(int32_t kind, void* output) {
    constexpr const char* tag = sensors_texts::kTagCSPMonitorCmdGetCommandData;
    if (output == nullptr) return ERR_INVALID_PARAMETER;
    if (!answerOk()) {
        yatLog(tag, sensors_texts::kErrorPathInstTypeCommandStatus, kind, statusByte(answerStatus()));
        if (answerStatus() == SpStatus::kUnavailable && kind == sensorwire::kClassFan) {
            const int32_t zero = 0;
            std::memcpy(output, &zero, sizeof zero);
            yatLog(tag, sensors_texts::kErrorPathFANDEVICEUNAVAILABLE);
            return ERR_DEVICE_UNAVAILABLE;
        }
        return ERR_BAD_ANSWER;
    }
    ByteReader data = answerReader();
    int32_t result = decodeSensorValue(kind, data.data(), data.size(), output);
    if (result == ERR_SUCCESS && kind == sensorwire::kClassVoltage) {
        float volts;
        std::memcpy(&volts, output, sizeof volts);
        yatLog(tag, sensors_texts::kAfterTheVoltageDataIs, static_cast<double>(volts));
    }
    return result;
}

bool cSPSensorLimitCmd::hasLimitCommand(int32_t sensorClass, int32_t location, int32_t instance) {
    return sensorwire::limitChannel(sensorClass, location, instance).count != 0;
}

uint8_t* cSPSensorLimitCmd::buildLimitCommand(int32_t sensorClass, int32_t location, int32_t instance,
                                              uint8_t selector) {
    const sensorwire::LimitChannel channel = sensorwire::limitChannel(sensorClass, location, instance);
    if (channel.count == 0) return refuse();
    // 4.3.2.<class>.<channel bytes>.<selector>
    uint8_t params[4] = {static_cast<uint8_t>(sensorClass), channel.bytes[0], channel.bytes[1], 0};
    params[1 + channel.count] = selector;
    return buildSPCommand(sensorwire::kLimitCommand, wire::kGet, params, nullptr, 2 + channel.count, 0);
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
