// cSensorInst: the base of the four sensor classes, the live reading and the model queries.

#include "sensors/sensor_inst.h"

#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_wire.h"
#include "sensors/value_slot.h"
#include "sensors/log_texts.h"

int32_t cSensorInst::getSPSensorReading(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                        void* reading, cBusComm* comm) {
    constexpr const char* tag = sensors_texts::kTagCSensorInstGetSPSensorReading;
    yatLog(tag, sensors_texts::kNodeInstanceClassLocationAndOffset, nodeIndex, sensorClass, location, instance);
    if (comm == nullptr) return ERR_NO_DEVICE;
    cSPSensorMonCmd command;
    command.buildCommand(sensorClass, location, instance);
    int32_t sent = command.send(comm, nodeIndex);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, sensors_texts::kCommandFailedNodeInstanceClassLocationAnd, nodeIndex, sensorClass, location,
               instance, sent);
        return ERR_COMMAND_FAILED;
    }
    int32_t result = command.getCommandData(sensorClass, reading);
    yatLog(tag, sensors_texts::kGetcommanddataNodeInstanceClassLocationAndOffset, nodeIndex, sensorClass, location,
           instance, result);
    return result;
}

int32_t cSensorInst::getSPSensorLimits(int32_t, int32_t, int32_t, int32_t, void*, void*, cBusComm*) {
    return ERR_FAILED;
}

int32_t cSensorInst::getSPSensorStatus(int32_t, int32_t, int32_t, int32_t, int32_t*, void*, void*, void*, cBusComm*) {
    return ERR_FAILED;
}

void cSensorInst::insertInstance(int32_t node, int32_t sensor, const SensorSource* source, bool valid) {
    if (source == nullptr) return;
    SensorRecord record;
    record.sensorNumber = sensor;
    record.node = node;
    record.nodeIndex = source->nodeIndex;
    record.instanceNumber = source->instanceNumber;
    record.location = source->location;
    record.status = source->status;
    record.valid = valid ? 1 : 0;
    switch (source->sensorClass) {
        case sensorwire::kClassTemperature:
        case sensorwire::kClassFan:
            record.reading = source->reading;
            record.upperLimit = source->upperLimit;
            record.lowerLimit = source->lowerLimit;
            record.sensorType = source->sensorType;
            break;
        case sensorwire::kClassVoltage:
            record.voltReading = source->voltReading;
            record.voltUpperLimit = source->voltUpperLimit;
            record.voltLowerLimit = source->voltLowerLimit;
            record.sensorType = source->sensorType;
            break;
        case sensorwire::kClassPower:
            // The type is kept too, so that a supply answers getSensorType with its code (37).
            record.sensorType = source->sensorType;
            record.normalsSupported = source->normalsSupported;
            record.secondPowerFlag = source->secondPowerFlag;
            break;
        default: break;
    }
    instanceMap_.Add(node, sensor, record);
    int32_t count = elementCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    yatLog(sensors_texts::kTagCSensorInstInsertInstance, sensors_texts::kClassHasPostnumelemnts, sensorClass_, count);
}

int32_t cSensorInst::getSensorReading(int32_t node, int32_t sensor, void* reading) {
    if (sensorClass_ == sensorwire::kClassPower) return ERR_INVALID_INDEX;
    SensorRecord record;
    if (instanceMap_.Read(node, sensor, &record) != ERR_SUCCESS) return ERR_INVALID_INDEX;
    if (sensorClass_ == sensorwire::kClassVoltage) {
        slot::storeFloat(reading, record.voltReading);
    } else {
        slot::storeInt(reading, record.reading);
    }
    return ERR_SUCCESS;
}

int32_t cSensorInst::getSensorLimits(int32_t node, int32_t sensor, void* upper, void* lower) {
    if (sensorClass_ == sensorwire::kClassPower) return ERR_INVALID_INDEX;
    SensorRecord record;
    if (instanceMap_.Read(node, sensor, &record) != ERR_SUCCESS) return ERR_INVALID_INDEX;
    if (sensorClass_ == sensorwire::kClassVoltage) {
        slot::storeFloat(upper, record.voltUpperLimit);
        slot::storeFloat(lower, record.voltLowerLimit);
    } else {
        slot::storeInt(upper, record.upperLimit);
        slot::storeInt(lower, record.lowerLimit);
    }
    return ERR_SUCCESS;
}

int32_t cSensorInst::getSensorStatus(int32_t node, int32_t sensor, int32_t* status, void* reading, void* lower,
                                     void* upper) {
    constexpr const char* tag = sensors_texts::kTagCSensorInstGetSensorStatus;
    yatLog(tag, sensors_texts::kAttemptingToGetSensor, sensor);
    SensorRecord record;
    bool present = false;
    int32_t found = instanceMap_.Read(node, sensor, &record, &present);
    int32_t result = ERR_SUCCESS;
    if (!present) {
        yatLog(tag, sensors_texts::kCouldNotFindTheElementFor, node, sensor);
        result = ERR_INVALID_INDEX;
    } else if (found != ERR_SUCCESS) {
        yatLog(tag, sensors_texts::kNotAValidElement);
        result = ERR_INVALID_INDEX;
    } else {
        yatLog(tag, sensors_texts::kFoundTheElementForSensorSClass, sensor, sensorClass_, record.reading,
               record.upperLimit, record.lowerLimit);
        if (sensorClass_ == sensorwire::kClassVoltage) {
            yatLog(tag, sensors_texts::kAboutToProcessForVoltage);
            if (status != nullptr) *status = record.status;
            slot::storeFloat(reading, record.voltReading);
            slot::storeFloat(lower, record.voltLowerLimit);
            slot::storeFloat(upper, record.voltUpperLimit);
        } else if (sensorClass_ == sensorwire::kClassPower) {
            yatLog(tag, sensors_texts::kAboutToProcessForPS);
            if (status != nullptr) *status = record.status;
            yatLog(tag, sensors_texts::kFoundThePowerElementForSensor, sensor, record.status);
        } else {
            yatLog(tag, sensors_texts::kAboutToProcessForTempFan);
            if (status != nullptr) *status = record.status;
            slot::storeInt(reading, record.reading);
            slot::storeInt(lower, record.lowerLimit);
            slot::storeInt(upper, record.upperLimit);
        }
    }
    yatLog(tag, sensors_texts::kAboutToReturnFromMethod);
    return result;
}

namespace {

// Reads one field of a valid record into *out; 0, or 7 when the record is missing or not valid.
template <class Field>
[[nodiscard]] int32_t readField(const cInstanceMap& map, int32_t node, int32_t sensor, int32_t* out, Field field) {
    SensorRecord record;
    if (map.Read(node, sensor, &record) != ERR_SUCCESS) return ERR_INVALID_INDEX;
    if (out != nullptr) *out = field(record);
    return ERR_SUCCESS;
}

}  // namespace

int32_t cSensorInst::getSensorType(int32_t node, int32_t sensor, int32_t* type) {
    return readField(instanceMap_, node, sensor, type, [](const SensorRecord& r) { return r.sensorType; });
}

int32_t cSensorInst::getSensorLocation(int32_t node, int32_t sensor, int32_t* location) {
    return readField(instanceMap_, node, sensor, location, [](const SensorRecord& r) { return r.location; });
}

int32_t cSensorInst::getSensorInstance(int32_t node, int32_t sensor, int32_t* instance) {
    return readField(instanceMap_, node, sensor, instance, [](const SensorRecord& r) { return r.instanceNumber; });
}
