// Discovery of a node's voltages: the motherboard entries of the supported commands, instances 0-20.

#include "sensors/discovery_steps.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_wire.h"
#include "sensors/supported_commands.h"
#include "sensors/log_texts.h"

namespace yat::discovery {

namespace {

// Voltages: only the motherboard location is scanned, instances 0-20.
constexpr int32_t kVoltageLocation = sensorwire::kLocationBoard;
constexpr int32_t kVoltageInstances = 21;
constexpr int32_t kVoltageTypes[kVoltageInstances] = {0, 4, 3,  5, 6, 7,  1, 12, 14, 4, 4,
                                                      3, 3, 11, 0, 0, 27, 5, 5,  24, 25};

}  // namespace

void NodeSensors::voltages(const SensorReadingEntry& entry) {
    yatLog(kRunTag, sensors_texts::kLookingAtVoltages);
    yatLog(kChipTag, sensors_texts::kVoltagesFirstLastBuffer3Buffer, entry.first, entry.last,
           static_cast<unsigned>(entry.location), static_cast<unsigned>(entry.instanceByte), 1);
    if (entry.location != kVoltageLocation) return;
    for (int32_t instance = entry.first; instance <= entry.last && instance < kVoltageInstances; ++instance) {
        int32_t status = 0;
        float reading = 0.0f;
        float upper = 0.0f;
        float lower = 0.0f;
        int32_t result = volt->getSPSensorStatus(nodeIndex, sensorwire::kClassVoltage, kVoltageLocation, instance,
                                                 &status, &reading, &upper, &lower, comm);
        int32_t flag = result == ERR_SUCCESS ? 1 : 0;
        if (result == ERR_SUCCESS) {
            yatLog(kChipTag, sensors_texts::kTheVoltageReadingSucceededForAnd, voltSensor, static_cast<double>(reading),
                   static_cast<unsigned>(entry.location), static_cast<unsigned>(entry.instanceByte),
                   static_cast<double>(upper), static_cast<double>(lower));
            SensorSource source = sensorSource(
                {nodeIndex, sensorwire::kClassVoltage, kVoltageLocation, instance, kVoltageTypes[instance]}, status,
                reading, upper, lower);
            volt->insertInstance(nodeBase + 1, voltSensor, &source, true);
            report(sensorwire::kClassVoltage, nodeBase + 1, voltSensor, &voltSensor, &flag, nullptr, nullptr);
            yatLog(kChipTag, sensors_texts::kTheVoltageBufferJWasAnd, instance, kVoltageTypes[instance]);
        } else {
            report(sensorwire::kClassVoltage, nodeBase + 1, voltSensor, &voltSensor, &flag, nullptr, nullptr);
            yatLog(kChipTag, sensors_texts::kTheVoltStatusFailedFor, voltSensor);
        }
        ++voltSensor;
    }
}

}  // namespace yat::discovery
