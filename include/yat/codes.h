#pragma once
// Named codes a host sees: sensor classes, the codes passed to the sensor sink's reportSensor, and
// the status words of sensor records. The library, the simulator and host programs use these names.

#include <cstdint>

namespace yat {

// SP type codes (getSPType). The families say which commands the SP answers.
enum SpType : int32_t {
    kSpTypeUnknown = 0,           // not determined
    kSpTypeCobaltFallback = 1,    // summary type 2, or no probe answered
    kSpTypeOptionCard = 2,        // summary type 1, option card
    kSpTypeCobalt = 3,            // summary type 1, or the Cobalt probe answered
    kSpTypeBeryl = 4,             // summary type 3 without vectors 17 and 99, or the Beryl probe answered
    kSpTypeBerylOptionCard = 5,   // summary type 3, option card
    kSpTypeOpal = 6,              // summary type 5, or the Opal probe answered
    kSpTypeGarnet = 7,            // summary type 3 with vector 17
    kSpTypeGarnetOptionCard = 8,  // summary type 3 with vectors 17 and 20
    kSpTypeOpalSsl = 9,           // summary type 5, SSL command mode
    kSpTypeGarnetSsl = 10,        // summary type 3 with vectors 17 and 26, SSL command mode
};

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
    kReportDasdEvent = 37,     // a drive of the node reported a problem; sensor number = drive number
    kReportPfaEvent = 41,      // predictive failure alert on the node
    kReportVoltageEvent = 42,  // voltage event on the node
    kReportFanEvent = 43,      // fan event on the node with every fan turning
    kReportDiscovered = 46,    // a sensor announced by discovery (or brought back by polling)
};

// Sensor type codes of getSensorType that do not come from the SP. A temperature's type is its
// instance number, a voltage's comes from a table by instance; these are the fixed ones.
enum SensorType : int32_t {
    kTypeFan = 32,
    kTypePowerSupply = 37,
    kTypeCpuPlaceholder = 39,  // a processor temperature stand-in (status kStatusProcessorNormal/Hot)
};

// Sensor status words of the records and of getSensorStatus.
enum SensorStatus : int32_t {
    kStatusUnknown = 0,  // not read, or the read failed
    kStatusNormal = 1,
    kStatusWarning = 2,   // temperature above its lower (warning) limit
    kStatusCritical = 3,  // temperature above its upper limit, fan too slow, supply failed
    kStatusVoltageLow = 6,
    kStatusVoltageHigh = 9,
    kStatusSupplyFailed = 44,     // a power supply reported failing by an SP event
    kStatusNotPresent = 47,       // power status answered "not present"
    kStatusNoNormals = 49,        // supply without normal readings
    kStatusProcessorHot = 50,     // CPU placeholder: the SP holds the processor-hot event
    kStatusProcessorNormal = 51,  // CPU placeholder: no processor-hot event
};

// States of the LED panel (cGlintLED::state, cGlintSensor::status in yat/led_records.h).
enum LedState : int32_t {
    kLedOff = 0,  // also the state of a record not read yet
    kLedOn = 1,
};

// Login accounts (getUserAccount, setUserAccount): the account status and its authority.
enum AccountStatus : int32_t {
    kAccountUnread = 0,  // getUserAccount: the user ID read failed in transport
    kAccountInUse = 1,   // the account has a user ID; setUserAccount: requires one on the SP
    kAccountFree = 3,    // no user ID; setUserAccount: frees the account
};
enum AccountAuthority : int32_t {
    kAccountAdministrator = 1,
    kAccountReadOnly = 3,
    kAccountCustom = 4,  // the custom bitmap decides
};

// The status of a sensor of the given class (or, for class 5, the node event) as a word for people,
// or null for a code without one.
inline const char* sensorStatusWord(int32_t sensorClass, int32_t status) {
    switch (sensorClass) {
        case kClassTemperature:
            switch (status) {
                case kStatusNormal: return "normal";
                case kStatusWarning: return "warning";
                case kStatusCritical: return "critical";
                case kStatusProcessorHot: return "processor hot";
                case kStatusProcessorNormal: return "processor normal";
                default: break;
            }
            break;
        case kClassVoltage:
            switch (status) {
                case kStatusNormal: return "normal";
                case kStatusVoltageLow: return "low";
                case kStatusVoltageHigh: return "high";
                default: break;
            }
            break;
        case kClassFan:
            switch (status) {
                case kStatusNormal: return "normal";
                case kStatusCritical: return "low";
                default: break;
            }
            break;
        case kClassNodeEvent:
            switch (status) {
                case kReportDasdEvent: return "DASD alert";
                case kReportPfaEvent: return "PFA alert";
                case kReportVoltageEvent: return "voltage event";
                case kReportFanEvent: return "fan event";
                case kStatusProcessorHot: return "processor hot";
                case kStatusProcessorNormal: return "processor normal";
                default: break;
            }
            break;
        case kClassPowerSupply:
            switch (status) {
                case kStatusUnknown: return "not checked";
                case kStatusNormal: return "good";
                case kStatusCritical:
                case kStatusSupplyFailed: return "failed";
                case kStatusNotPresent: return "unavailable";
                case kStatusNoNormals: return "unmonitored";
                default: break;
            }
            break;
        default: break;
    }
    return status == kStatusUnknown ? "unknown" : nullptr;
}

}  // namespace yat
