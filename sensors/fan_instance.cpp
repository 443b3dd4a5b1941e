// Fan sensors: constant limits and status.

#include <cstdio>

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_wire.h"
#include "sensors/value_slot.h"
#include "sensors/log_texts.h"

int32_t cFanInst::getSPSensorLimits(int32_t, int32_t, int32_t, int32_t, void* upper, void* lower, cBusComm* comm) {
    if (comm == nullptr) return ERR_NO_DEVICE;
    slot::storeInt(upper, sensorwire::kFanLimit);
    slot::storeInt(lower, sensorwire::kFanLimit);
    return ERR_SUCCESS;
}

int32_t cFanInst::getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                    int32_t* status, void* reading, void* upper, void* lower, cBusComm* comm) {
    constexpr const char* tag = sensors_texts::kTagCFanInstanceGetSPSensorStatus;
    if (comm == nullptr) {
        yatLog(tag, sensors_texts::kDeviceEqualsNULL);
        return ERR_NO_DEVICE;
    }
    if (status == nullptr || reading == nullptr || upper == nullptr || lower == nullptr) return ERR_INVALID_PARAMETER;
    int32_t result = getSPSensorReading(nodeIndex, sensorClass, location, instance, reading, comm);
    if (result != ERR_SUCCESS) {
        yatLog(tag, sensors_texts::kFanReadingFailedForSensor, instance);
        yatProgress(sensors_texts::kProgressFanReadingFailed, instance);
        if (result == ERR_DEVICE_UNAVAILABLE) {
            *status = yat::kStatusCritical;
            slot::storeInt(reading, 0);
        } else {
            *status = yat::kStatusUnknown;
        }
        return result;
    }
    int32_t value = slot::loadInt(reading);
    yatLog(tag, sensors_texts::kFanReadingSucceededForSensorWith, instance, value);
    if (slot::loadInt(upper) == 0) slot::storeInt(upper, sensorwire::kFanLimit);
    if (slot::loadInt(lower) == 0) slot::storeInt(lower, sensorwire::kFanLimit);
    int32_t low = slot::loadInt(lower);
    *status = value < low ? yat::kStatusCritical : yat::kStatusNormal;
    yatLog(tag, sensors_texts::kFanReadingSucceededForSensorWith2, instance, value, low, slot::loadInt(upper), *status);
    return ERR_SUCCESS;
}
