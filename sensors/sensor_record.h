#pragma once
// The sensor record kept per sensor in a class object's instance map, and the source record the
// callers of insertInstance fill.

#include <cstdint>

// One sensor. Copied whole in and out of its map. Numeric fields a class does not use stay 0.
struct SensorRecord {
    int32_t reading = 0;       // temperature (whole degrees) or fan (RPM) reading
    int32_t upperLimit = 0;    // temperatures and fans
    int32_t lowerLimit = 0;    // temperatures and fans
    float voltReading = 0.0f;  // volts
    float voltUpperLimit = 0.0f;
    float voltLowerLimit = 0.0f;
    int32_t sensorNumber = 0;      // the sensor part of the key
    int32_t node = 0;              // the node part of the key (node base + 1)
    int32_t nodeIndex = 0;         // the node the SP commands for this sensor go to
    int32_t instanceNumber = 0;    // the SP's instance number (used in its commands)
    uint8_t valid = 0;             // the record holds a usable sensor
    int32_t sensorType = 0;        // type code handed to the host
    int32_t location = 0;          // the SP's location code (used in its commands)
    int32_t status = 0;            // last status (values per class)
    uint8_t normalsSupported = 1;  // power supplies only
    uint8_t secondPowerFlag = 1;   // power supplies only
};

// What a caller hands to insertInstance.
struct SensorSource {
    int32_t nodeIndex = 0;
    int32_t sensorClass = 0;
    int32_t location = 0;
    int32_t instanceNumber = 0;
    int32_t reading = 0;
    int32_t upperLimit = 0;
    int32_t lowerLimit = 0;
    int32_t sensorType = 0;
    float voltReading = 0.0f;
    float voltUpperLimit = 0.0f;
    float voltLowerLimit = 0.0f;
    uint8_t normalsSupported = 0;
    int32_t status = 0;
    uint8_t secondPowerFlag = 0;
};

// Which sensor a source describes: the node its SP commands go to, its class, the SP's location and
// instance numbers, and the type code handed to the host.
struct SensorPlace {
    int32_t nodeIndex = 0;
    int32_t sensorClass = 0;
    int32_t location = 0;
    int32_t instanceNumber = 0;
    int32_t sensorType = 0;
};

// The source of the sensor at place with the given status: without readings (power supplies, which
// add their two flags), with an integer reading and limits (temperatures, fans) or with volts.
inline SensorSource sensorSource(const SensorPlace& place, int32_t status) {
    SensorSource source;
    source.nodeIndex = place.nodeIndex;
    source.sensorClass = place.sensorClass;
    source.location = place.location;
    source.instanceNumber = place.instanceNumber;
    source.sensorType = place.sensorType;
    source.status = status;
    return source;
}
inline SensorSource sensorSource(const SensorPlace& place, int32_t status, int32_t reading, int32_t upper,
                                 int32_t lower) {
    SensorSource source = sensorSource(place, status);
    source.reading = reading;
    source.upperLimit = upper;
    source.lowerLimit = lower;
    return source;
}
inline SensorSource sensorSource(const SensorPlace& place, int32_t status, float reading, float upper, float lower) {
    SensorSource source = sensorSource(place, status);
    source.voltReading = reading;
    source.voltUpperLimit = upper;
    source.voltLowerLimit = lower;
    return source;
}
