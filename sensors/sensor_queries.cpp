// The host's sensor queries: answered from the sensor model, without SP traffic.

#include "sensors/sensor_model.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_wire.h"
#include "sensors/value_slot.h"
#include "sensors/log_texts.h"

SensorModel::SensorModel(cBusComm* device) : commDevice(device) {}

SensorModel::~SensorModel() { releaseObjects(); }

cSensorInst* SensorModel::sensorObject(int32_t sensorClass) const {
    switch (sensorClass) {
        case sensorwire::kClassTemperature: return temperatureObject();
        case sensorwire::kClassVoltage: return voltageObject();
        case sensorwire::kClassFan: return fanObject();
        case sensorwire::kClassPower: return powerObject();
        default: return nullptr;
    }
}

void SensorModel::releaseObjects() {
    if (fanInstance.exchange(nullptr) != nullptr) cFanInst::releaseInstance();
    if (tempInstance.exchange(nullptr) != nullptr) cTempInstance::releaseInstance();
    if (voltInstance.exchange(nullptr) != nullptr) cVoltInstance::releaseInstance();
    if (powerInstance.exchange(nullptr) != nullptr) cPowerInstance::releaseInstance();
}

int32_t SensorModel::getNumberSensors(int32_t sensorClass, int32_t) {
    constexpr const char* tag = sensors_texts::kTagCLibYATGetNumberSensors;
    yatLog(tag, sensors_texts::kGettingNumberOfSensorsers);
    switch (sensorClass) {
        case sensorwire::kClassTemperature: {
            yatLog(tag, sensors_texts::kGettingNumberTEMPOfSensors);
            int32_t count = 0;
            if (cSensorInst* object = temperatureObject()) {
                count = object->elementCount();
                yatLog(tag, sensors_texts::kTheNumberOfTempsAre, count);
            } else {
                yatLog(tag, sensors_texts::kTEMPIsNULL);
            }
            yatLog(tag, sensors_texts::kGettingNumberTEMPOfSensors);
            return count;
        }
        case sensorwire::kClassVoltage: {
            yatLog(tag, sensors_texts::kGettingNumberVOLTAGEOfSensors);
            if (cSensorInst* object = voltageObject()) {
                yatLog(tag, sensors_texts::kTheNumberOfVoltageAre, object->elementCount());
                return object->elementCount();
            }
            yatLog(tag, sensors_texts::kVOLTAGEIsNULL);
            return 0;
        }
        case sensorwire::kClassFan: {
            yatLog(tag, sensors_texts::kGettingNumberFANOfSensors);
            if (cSensorInst* object = fanObject()) {
                yatLog(tag, sensors_texts::kTheNumberOfFansAre, object->elementCount());
                return object->elementCount();
            }
            yatLog(tag, sensors_texts::kFANIsNULL);
            return 0;
        }
        case sensorwire::kClassPower: {
            yatLog(tag, sensors_texts::kGettingNumberPSOfSensors);
            if (cSensorInst* object = powerObject()) {
                yatLog(tag, sensors_texts::kTheNumberOfPowrsAre, object->elementCount());
                return object->elementCount();
            }
            yatLog(tag, sensors_texts::kPOWERIsNULL);
            return 0;
        }
        default: return 0;
    }
}

int32_t SensorModel::getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading) {
    constexpr const char* tag = sensors_texts::kTagCLibYATGetSensorReading;
    switch (sensorClass) {
        case sensorwire::kClassTemperature:
        case sensorwire::kClassFan: {
            cSensorInst* object = sensorObject(sensorClass);
            if (object == nullptr) return ERR_FAILED;
            int32_t result = object->getSensorReading(node, sensor, reading);
            bool temp = sensorClass == sensorwire::kClassTemperature;
            if (result == ERR_SUCCESS) {
                if (temp) {
                    yatLog(tag, sensors_texts::kGotTheTempReadingForNode, node, sensor, slot::loadInt(reading));
                } else {
                    yatLog(tag, sensors_texts::kGotTheFanReadingForNode, node, sensor, slot::loadInt(reading));
                }
            } else if (temp) {
                yatLog(tag, sensors_texts::kCouldNotGetTheTempReading, node, sensor);
            } else {
                yatLog(tag, sensors_texts::kCouldNotGetTheFanReading, node, sensor);
            }
            return result;
        }
        case sensorwire::kClassVoltage: {
            cSensorInst* object = sensorObject(sensorClass);
            if (object == nullptr) return ERR_FAILED;
            int32_t result = object->getSensorReading(node, sensor, reading);
            if (result == ERR_SUCCESS) {
                // The value is a float; it goes to the log as a double.
                yatLog(tag, sensors_texts::kGotTheVoltageReadingForNode2, node, sensor,
                       static_cast<double>(slot::loadFloat(reading)));
            } else {
                yatLog(tag, sensors_texts::kCouldNotGetTheVoltageReading, node, sensor);
            }
            return result;
        }
        default: return ERR_FAILED;
    }
}

int32_t SensorModel::getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper, void* lower) {
    if (sensorClass == sensorwire::kClassPower) return ERR_FAILED;  // supplies have no limits
    cSensorInst* object = sensorObject(sensorClass);
    if (object == nullptr) return ERR_FAILED;
    return object->getSensorLimits(node, sensor, upper, lower);
}

int32_t SensorModel::getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status, void* reading,
                                     void* lower, void* upper) {
    constexpr const char* tag = sensors_texts::kTagCLibYATGetSensorStatus;
    yatLog(tag, sensors_texts::kGettingSensorStatus);
    if (commDevice == nullptr) return ERR_INVALID_INDEX;
    int32_t result = ERR_INVALID_INDEX;
    cSensorInst* object = sensorObject(sensorClass);
    if (object != nullptr) result = object->getSensorStatus(node, sensor, status, reading, lower, upper);
    yatLog(tag, sensors_texts::kAboutToReturnFromGetSensorStatus);
    return result;
}

int32_t SensorModel::getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type) {
    cSensorInst* object = sensorObject(sensorClass);
    return object != nullptr ? object->getSensorType(node, sensor, type) : ERR_INVALID_INDEX;
}

int32_t SensorModel::getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* location) {
    cSensorInst* object = sensorObject(sensorClass);
    return object != nullptr ? object->getSensorLocation(node, sensor, location) : ERR_INVALID_INDEX;
}

int32_t SensorModel::getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* instance) {
    cSensorInst* object = sensorObject(sensorClass);
    return object != nullptr ? object->getSensorInstance(node, sensor, instance) : ERR_BAD_ANSWER;
}
