// Class names, units, status words and sensor names.

#include "yatctl/sensor_words.h"

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

}  // namespace yatctl
