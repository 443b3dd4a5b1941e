// Decoders of the sensor answers.

#include "sensors/sensor_decoders.h"

#include <cstring>

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "platform/byte_reader.h"
#include "sensors/sensor_wire.h"

int32_t decodeSensorValue(int32_t sensorClass, const uint8_t* data, size_t length, void* out) {
    ByteReader reader(data, length);
    if (out == nullptr) return ERR_INVALID_PARAMETER;
    switch (sensorClass) {
        case sensorwire::kClassTemperature: {
            if (reader.size() != sensorwire::kHundredthsLength) return ERR_BAD_ANSWER;
            auto hundredths = static_cast<int16_t>(reader.u16le(sensorwire::kHundredthsOffset));
            int32_t value = hundredths / 100;  // integer division truncates toward zero
            std::memcpy(out, &value, sizeof value);
            return ERR_SUCCESS;
        }
        case sensorwire::kClassVoltage: {
            if (reader.size() != sensorwire::kHundredthsLength) return ERR_BAD_ANSWER;
            auto hundredths = static_cast<int16_t>(reader.u16le(sensorwire::kHundredthsOffset));
            auto value = static_cast<float>(hundredths / 100.0);
            std::memcpy(out, &value, sizeof value);
            return ERR_SUCCESS;
        }
        case sensorwire::kClassFan: {
            if (reader.size() != sensorwire::kFanLength) return ERR_BAD_ANSWER;
            uint8_t units = reader.u8(sensorwire::kFanOffset);
            int32_t value = units == sensorwire::kFanStopped ? 0 : units * sensorwire::kFanRpmPerUnit;
            std::memcpy(out, &value, sizeof value);
            return ERR_SUCCESS;
        }
        default: return ERR_BAD_ANSWER;
    }
}

int32_t decodePowerStatus(const uint8_t* data, size_t length, int32_t instance, int32_t* status, uint8_t* good) {
    ByteReader reader(data, length);
    const uint8_t present = reader.u8(sensorwire::kPowerPresentOffset);
    const uint8_t failed = reader.u8(sensorwire::kPowerFailedOffset);
    if (reader.overrun()) return ERR_BAD_ANSWER;  // fewer than the two status bytes
    auto goodSupplies = static_cast<uint8_t>(present & ~failed);
    uint8_t bit = instance >= 0 && instance < sensorwire::kMaxPowerSupplies ? static_cast<uint8_t>(1u << instance) : 0;
    if (good != nullptr) *good = goodSupplies;
    if (status != nullptr) *status = (goodSupplies & bit) != 0 ? yat::kStatusNormal : yat::kStatusCritical;
    return ERR_SUCCESS;
}

uint8_t powerPresentByte(const uint8_t* data, size_t length) {
    ByteReader reader(data, length);
    const uint8_t present = reader.u8(sensorwire::kPowerPresentOffset);
    return reader.overrun() ? 0 : present;
}

int32_t decodeMultiNodeId(const uint8_t* data, size_t length) {
    ByteReader reader(data, length);
    const uint8_t id = reader.u8(sensorwire::kMultiNodeIdOffset);
    return reader.overrun() || id == sensorwire::kNoMultiNodeId ? -1 : id;
}
