#pragma once
// Named codes a host sees: sensor classes, the codes passed to the sensor sink's reportSensor, and
// the status words of sensor records. The library, the simulator and host programs use these names.

#include <cstdint>

namespace yat {

// Sensor classes: the first argument of the sensor queries and of reportSensor.
enum SensorClass : int32_t {
    kClassTemperature = 1,
    kClassVoltage = 2,
    kClassFan = 3,
    kClassPowerSupply = 4,
    kClassNodeEvent = 5,  // reportSensor only: an event of a whole node, not of one sensor
};

// Codes passed to reportSensor.
enum ReportCode : int32_t {
    kReportDasdEvent = 37,      // a drive of the node reported a problem; sensor number = drive number
    kReportPfaEvent = 41,       // predictive failure alert on the node
    kReportVoltageEvent = 42,   // voltage event on the node
    kReportFanEvent = 43,       // fan event on the node with every fan turning
    kReportDiscovered = 46,     // a sensor announced by discovery (or brought back by polling)
};

// Sensor status words of the records and of getSensorStatus.
enum SensorStatus : int32_t {
    kStatusUnknown = 0,         // not read, or the read failed
    kStatusNormal = 1,
    kStatusWarning = 2,         // temperature above its lower (warning) limit
    kStatusCritical = 3,        // temperature above its upper limit, fan too slow, supply failed
    kStatusVoltageLow = 6,
    kStatusVoltageHigh = 9,
    kStatusNotPresent = 47,     // power status answered "not present"
    kStatusNoNormals = 49,      // supply without normal readings
};

}  // namespace yat
