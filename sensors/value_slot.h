#pragma once
// The 32-bit value slots of the sensor operations: an int32 for temperatures and fans, a float for
// voltages. Loads from a null slot give 0; stores to a null slot are skipped.

#include <cstdint>
#include <cstring>

namespace slot {

inline int32_t loadInt(const void* slot) {
    int32_t value = 0;
    if (slot != nullptr) std::memcpy(&value, slot, sizeof value);
    return value;
}

inline float loadFloat(const void* slot) {
    float value = 0.0f;
    if (slot != nullptr) std::memcpy(&value, slot, sizeof value);
    return value;
}

inline void storeInt(void* slot, int32_t value) {
    if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}

inline void storeFloat(void* slot, float value) {
    if (slot != nullptr) std::memcpy(slot, &value, sizeof value);
}

}  // namespace slot
