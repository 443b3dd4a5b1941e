#pragma once
// Decoders of the sensor answers (layouts in sensors/sensor_wire.h). Each reads only the bytes it is
// given; callers pass the answer data bounded to the buffer (cSPCmd::answerReader).

#include <cstddef>
#include <cstdint>

// Decodes a reading or limit answer of sensorClass into *out: class 1 an int32 (hundredths / 100,
// truncated toward zero), class 2 a float (hundredths / 100.0), class 3 an int32 in RPM (byte x 50,
// 255 meaning 0). Returns ERR_SUCCESS, or ERR_BAD_ANSWER (2) (out untouched) for a wrong data
// length or another class.
[[nodiscard]] int32_t decodeSensorValue(int32_t sensorClass, const uint8_t* data, size_t length, void* out);

// The power status answer ("f.5.1"): supply `instance` (0-based) is good when its bit is set in the
// present byte and clear in the failed byte. *good receives present AND NOT failed. Instances
// outside 0..7 have no bit and are never good. Returns ERR_SUCCESS with *status yat::kStatusNormal
// (good) or yat::kStatusCritical (not good), or ERR_BAD_ANSWER (outputs untouched) when the answer
// holds fewer than two data bytes.
[[nodiscard]] int32_t decodePowerStatus(const uint8_t* data, size_t length, int32_t instance, int32_t* status,
                                        uint8_t* good);

// The present-supplies byte of a power status answer; 0 when the answer holds no data.
uint8_t powerPresentByte(const uint8_t* data, size_t length);

// The multi-node ID of a "14.1.3.2" answer, or -1 when the answer is too short or says "none" (255).
[[nodiscard]] int32_t decodeMultiNodeId(const uint8_t* data, size_t length);
