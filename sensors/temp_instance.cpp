// Temperature sensors: limits and status.

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_wire.h"
#include "sensors/value_slot.h"
#include "sensors/log_texts.h"

int32_t cTempInstance::getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                         void* upper, void* lower, cBusComm* comm) {
    if (comm == nullptr) return ERR_NO_DEVICE;
    // Sensors without a limit command keep their limits; nothing is sent for them.
    if (!cSPSensorLimitCmd::hasLimitCommand(sensorClass, location, instance)) return ERR_INVALID_INDEX;
    cSPSensorLimitCmd command;
    auto readLimit = [&](uint8_t selector, void* limit) -> int32_t {
        command.buildLimitCommand(sensorClass, location, instance, selector);
        int32_t sent = command.send(comm, nodeIndex);
        // A rejected answer leaves the limit as it was; only a failed send ends the read.
        if (sent == ERR_SUCCESS) (void)command.getCommandData(sensorClass, limit);
        return sent;
    };
    int32_t sent = readLimit(sensorwire::kSelectorTempLower, lower);
    if (sent != ERR_SUCCESS) return sent;
    sent = readLimit(sensorwire::kSelectorTempUpper, upper);
    if (sent != ERR_SUCCESS) return sent;
    if (slot::loadInt(upper) == 0) sent = readLimit(sensorwire::kSelectorTempUpperAlternate, upper);
    return sent;
}

int32_t cTempInstance::getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                         int32_t* status, void* reading, void* upper, void* lower, cBusComm* comm) {
    constexpr const char* tag = sensors_texts::kTagCTempInstanceGetSPSensorStatus;
    if (comm == nullptr) return ERR_NO_DEVICE;
    if (status == nullptr || reading == nullptr || upper == nullptr || lower == nullptr) return ERR_INVALID_PARAMETER;
    if (getSPSensorReading(nodeIndex, sensorClass, location, instance, reading, comm) != ERR_SUCCESS) {
        *status = yat::kStatusUnknown;
        return ERR_BAD_ANSWER;
    }
    if (slot::loadInt(upper) == 0 || slot::loadInt(lower) == 0) {
        // A limit that cannot be read stays 0; two such limits give the result below.
        (void)getSPSensorLimits(nodeIndex, sensorClass, location, instance, upper, lower, comm);
    }
    int32_t value = slot::loadInt(reading);
    int32_t high = slot::loadInt(upper);
    int32_t low = slot::loadInt(lower);
    yatLog(tag, sensors_texts::kGotTheReadingAndLimitsFor, instance, value, high, low);
    int32_t result = ERR_SUCCESS;
    if (high == 0 && low == 0) {
        *status = yat::kStatusUnknown;
        result = ERR_INVALID_INDEX;
    } else if (high != 0 && high < value) {
        *status = yat::kStatusCritical;
    } else if (low != 0 && low < value) {
        *status = yat::kStatusWarning;
    } else {
        *status = yat::kStatusNormal;
    }
    yatLog(tag, sensors_texts::kGotTheReadingAndLimitsFor2, instance, value, high, low, *status, result);
    return result;
}
