// Class names, units, status words and sensor names.

#include "yatctl/sensor_words.h"

#include <cstdio>
#include <iterator>

#include "yat/codes.h"

namespace yatctl {

namespace {

constexpr ClassInfo kClasses[] = {{yat::kClassTemperature, "temperature", "°C"},
                                  {yat::kClassVoltage, "voltage", "V"},
                                  {yat::kClassFan, "fan", "RPM"},
                                  {yat::kClassPowerSupply, "power", ""}};

// SP temperature locations: 1 the system board, 2 processors, 4 the drive backplane (6 when the
// backplane answers only there), 3 and 5 further board sensors without a fixed meaning.
constexpr int32_t kLocationBoard = 1;
constexpr int32_t kLocationCpu = 2;
constexpr int32_t kLocationBackplane = 4;
constexpr int32_t kLocationBackplaneAlternate = 6;

}  // namespace

const ClassInfo& classInfo(int32_t sensorClass) {
    static constexpr ClassInfo kNode{yat::kClassNodeEvent, "node", ""};
    return sensorClass >= yat::kClassTemperature && sensorClass <= yat::kClassPowerSupply ? kClasses[sensorClass - 1]
                                                                                          : kNode;
}

std::string statusWord(int32_t sensorClass, int32_t status) {
    const char* word = yat::sensorStatusWord(sensorClass, status);
    return word != nullptr ? word : "status " + std::to_string(status);
}

std::string sensorKind(int32_t sensorClass, int32_t location) {
    switch (sensorClass) {
        case yat::kClassTemperature:
            switch (location) {
                case kLocationBoard: return "board";
                case kLocationCpu: return "cpu";
                case kLocationBackplane:
                case kLocationBackplaneAlternate: return "drive_backplane";
                default: return "temperature";
            }
        case yat::kClassVoltage: return "voltage";
        case yat::kClassFan: return "fan";
        case yat::kClassPowerSupply: return "power_supply";
        default: return "node";
    }
}

std::string sensorName(int32_t sensorClass, int32_t location, int32_t instance) {
    std::string number = std::to_string(instance);
    switch (sensorClass) {
        case yat::kClassTemperature:
            switch (location) {
                case kLocationBoard: return "Board temperature " + number;
                case kLocationCpu: return "CPU " + number + " temperature";
                case kLocationBackplane:
                case kLocationBackplaneAlternate: return "Drive backplane temperature " + number;
                default: return "Temperature " + std::to_string(location) + "." + number;
            }
        case yat::kClassVoltage: return "Voltage " + number;
        case yat::kClassFan: return "Fan " + number;
        case yat::kClassPowerSupply: return "Power supply " + std::to_string(instance + 1);
        default: return "Node event";
    }
}

SensorLimits sensorLimits(int32_t sensorClass, double lowerSlot, double upperSlot) {
    SensorLimits limits;
    if (lowerSlot == 0 && upperSlot == 0) return limits;  // the SP gives none for this sensor
    switch (sensorClass) {
        case yat::kClassTemperature:
            limits.upperWarning = lowerSlot;
            limits.upperCritical = upperSlot;
            break;
        case yat::kClassVoltage:
            limits.lowerCritical = lowerSlot;
            limits.upperCritical = upperSlot;
            break;
        case yat::kClassFan: limits.lowerCritical = lowerSlot; break;
        default: break;
    }
    return limits;
}

int statusSeverity(int32_t sensorClass, int32_t status) {
    if (status == yat::kStatusWarning && sensorClass == yat::kClassTemperature) return 1;
    switch (status) {
        case yat::kStatusUnknown:
        case yat::kStatusNormal:
        case yat::kStatusProcessorNormal:
        case yat::kStatusNoNormals: return 0;
        case yat::kStatusCritical:
        case yat::kStatusVoltageLow:
        case yat::kStatusVoltageHigh:
        case yat::kStatusSupplyFailed:
        case yat::kStatusNotPresent:
        case yat::kStatusProcessorHot: return 2;
        default: return 1;  // a code without a word: worth a look
    }
}

std::string spTypeWord(int32_t type) {
    static constexpr const char* kWords[] = {
        "unknown", "Cobalt (fallback)",  "option card", "Cobalt",    "Beryl", "Beryl option card", "Opal",
        "Garnet",  "Garnet option card", "Opal SSL",    "Garnet SSL"};
    static_assert(std::size(kWords) == yat::kSpTypeGarnetSsl + 1);
    if (type < 0 || type > yat::kSpTypeGarnetSsl) return "type " + std::to_string(type);
    return kWords[type];
}

std::string portName(int32_t number) {
    static constexpr const char* kNames[] = {"HTTP", "HTTPS", "Telnet", "SSH", "SNMP agent", "SNMP traps"};
    static_assert(std::size(kNames) == kLastPortNumber - kFirstPortNumber + 1);
    if (number < kFirstPortNumber || number > kLastPortNumber) return "";
    return kNames[number - kFirstPortNumber];
}

std::string recipientTypeWord(int32_t type) {
    constexpr int32_t kUnused = 1;
    constexpr int32_t kConnectionTypeBase = 2;  // type = connection type + 2
    if (type == kUnused) return "unused";
    if (type < kConnectionTypeBase) return "type " + std::to_string(type);
    return "connection type " + std::to_string(type - kConnectionTypeBase);
}

std::string locatorWord(int32_t state) {
    if (state == yat::kLedOff) return "off";
    if (state == yat::kLedOn) return "on";
    char text[32];
    std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned>(state) & 0xFFu);
    return text;
}

}  // namespace yatctl
