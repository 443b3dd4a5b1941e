// Power supplies: status from the power status command, and adding a supply to the model.

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_vpd.h"
#include "sensors/sensor_wire.h"
#include "sysinfo/vpd_command.h"
#include "sensors/log_texts.h"

namespace {

constexpr int32_t kStatusTries = 3;

}  // namespace

int32_t cPowerInstance::getSPSensorStatus(int32_t nodeIndex, int32_t, int32_t, int32_t instance, int32_t* status, void*,
                                          void*, void*, cBusComm* comm) {
    constexpr const char* tag = sensors_texts::kTagCPowerInstanceGetSPSensorStatus;
    if (comm == nullptr) return ERR_NO_DEVICE;
    if (status == nullptr) return ERR_INVALID_PARAMETER;
    cSPPowerStatusCmd command;
    for (int32_t attempt = 0; attempt < kStatusTries; ++attempt) {
        command.buildCommand();
        int32_t sent = command.send(comm, nodeIndex);
        if (sent != ERR_SUCCESS) return sent;
        yatLog(tag, sensors_texts::kThePowerSupplyCheckReturnedRetVal, sent, statusByte(command.answerStatus()));
        if (command.answerStatus() == SpStatus::kOk) break;
    }
    if (command.answerStatus() == SpStatus::kUnavailable) {
        *status = yat::kStatusNotPresent;
        return ERR_SUCCESS;
    }
    if (!command.answerOk()) return ERR_BAD_ANSWER;
    ByteReader data = command.answerReader();
    int32_t supplyStatus = 0;
    uint8_t good = 0;
    if (decodePowerStatus(data.data(), data.size(), instance, &supplyStatus, &good) != ERR_SUCCESS) {
        return ERR_BAD_ANSWER;
    }
    yatLog(tag, sensors_texts::kThePwrBuffer32InstanceNum, 0u, static_cast<unsigned>(good), instance);
    *status = supplyStatus;
    return ERR_SUCCESS;
}

int32_t cPowerInstance::addPowerSupply(int32_t nodeBase, int32_t supplyIndex, const PowerSupplyOptions& options) {
    int32_t nodeIndex = options.nodeIndex < 0 ? nodeBase : options.nodeIndex;
    int32_t node = nodeBase + 1;
    int32_t sensor = supplyIndex + 1;
    SensorSource source = sensorSource(
        {nodeIndex, sensorwire::kClassPower, sensorwire::kLocationPowerSupply, supplyIndex, yat::kTypePowerSupply},
        options.normalsSupported ? yat::kStatusUnknown : yat::kStatusNoNormals);
    source.normalsSupported = options.normalsSupported ? 1 : 0;
    source.secondPowerFlag = options.secondPowerFlag ? 1 : 0;
    insertInstance(node, sensor, &source, options.valid);
    if (options.comm != nullptr && options.sink != nullptr) {
        SensorVpdRead vpd = readSensorVpd(options.comm, nodeIndex, kVPDKindPowerSupply, supplyIndex + 1);
        int32_t sensorNumber = sensor;
        int32_t flag = options.secondPowerFlag ? 1 : 0;
        options.sink->reportSensor(sensorwire::kClassPower, node, sensor, &sensorNumber, &flag, nullptr,
                                   yat::kReportDiscovered, vpd.hasFru ? vpd.fru.c_str() : nullptr);
    }
    return ERR_SUCCESS;
}
