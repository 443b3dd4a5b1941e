// Voltage sensors: limits and status.

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_wire.h"
#include "sensors/value_slot.h"
#include "sensors/log_texts.h"

namespace {

constexpr const char* kLimitsTag = sensors_texts::kTagCVoltInstanceGetSPSensorLimts;
constexpr int32_t kLimitTries = 3;

// Reads one limit through its selectors in turn until it reads non-zero; tryLimit(selector, limit)
// makes one try and returns its result. Each try is logged: loopText first, then say(found, value,
// result, try).
template <class TryLimit, class Say>
void fetchLimit(const uint8_t (&selectors)[kLimitTries], void* limit, const char* loopText, TryLimit tryLimit,
                Say say) {
    for (int32_t i = 0; i < kLimitTries; ++i) {
        yatLog(kLimitsTag, sensors_texts::kText, loopText);
        int32_t result = tryLimit(selectors[i], limit);
        float value = slot::loadFloat(limit);
        say(value != 0.0f, value, result, i);
        if (value != 0.0f) break;
    }
}

}  // namespace

int32_t cVoltInstance::getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                         void* upper, void* lower, cBusComm* comm) {
    if (comm == nullptr) return ERR_NO_DEVICE;
    if (!cSPSensorLimitCmd::hasLimitCommand(sensorClass, location, instance)) return ERR_INVALID_INDEX;
    cSPSensorLimitCmd command;
    // One try: a failed send only counts as a try; a rejected answer leaves the limit as it was.
    auto tryLimit = [&](uint8_t selector, void* limit) -> int32_t {
        command.buildLimitCommand(sensorClass, location, instance, selector);
        int32_t sent = command.send(comm, nodeIndex);
        if (sent != ERR_SUCCESS) return sent;
        return command.getCommandData(sensorClass, limit);
    };
    fetchLimit(sensorwire::kVoltLowerSelectors, lower, "in lowlimt loop", tryLimit,
               [instance](bool found, float value, int32_t result, int32_t i) {
                   if (found) {
                       yatLog(kLimitsTag, sensors_texts::kGotVoltLowerlimitsForSensorLowerlim, instance,
                              static_cast<int32_t>(value), result, i);
                   } else {
                       yatLog(kLimitsTag, sensors_texts::kFailedToGetVoltLimitsFor, instance,
                              static_cast<double>(value), result, i);
                   }
               });
    fetchLimit(sensorwire::kVoltUpperSelectors, upper, "in upperlimit loop", tryLimit,
               [instance](bool found, float value, int32_t result, int32_t i) {
                   if (found) {
                       yatLog(kLimitsTag, sensors_texts::kGotVoltUpperLimits1For, instance, static_cast<double>(value),
                              result, i);
                   } else {
                       yatLog(kLimitsTag, sensors_texts::kFailedToGetVoltLimitsFor2, instance,
                              static_cast<int32_t>(value), result, i);
                   }
               });
    return slot::loadFloat(lower) != 0.0f || slot::loadFloat(upper) != 0.0f ? ERR_SUCCESS : ERR_INVALID_INDEX;
}

int32_t cVoltInstance::getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                         int32_t* status, void* reading, void* upper, void* lower, cBusComm* comm) {
    if (comm == nullptr) return ERR_NO_DEVICE;
    if (status == nullptr || reading == nullptr || upper == nullptr || lower == nullptr) return ERR_INVALID_PARAMETER;
    if (getSPSensorReading(nodeIndex, sensorClass, location, instance, reading, comm) != ERR_SUCCESS) {
        *status = yat::kStatusUnknown;
        return ERR_BAD_ANSWER;
    }
    if (slot::loadFloat(upper) == 0.0f || slot::loadFloat(lower) == 0.0f) {
        if (getSPSensorLimits(nodeIndex, sensorClass, location, instance, upper, lower, comm) != ERR_SUCCESS) {
            *status = yat::kStatusUnknown;
            return ERR_INVALID_INDEX;
        }
    }
    // Known limits are compared whether they were fetched now or passed in, so that the polling
    // update (which passes the stored limits) refreshes voltages like the other classes.
    float value = slot::loadFloat(reading);
    float high = slot::loadFloat(upper);
    float low = slot::loadFloat(lower);
    if (low != 0.0f && low > value) {
        *status = yat::kStatusVoltageLow;
    } else if (high != 0.0f && high < value) {
        *status = yat::kStatusVoltageHigh;
    } else {
        *status = yat::kStatusNormal;
    }
    return ERR_SUCCESS;
}
