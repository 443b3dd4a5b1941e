// Class names, units and status words.

#include "yatctl/sensor_words.h"

#include "yat/codes.h"

namespace yatctl {

namespace {

constexpr ClassInfo kClasses[] = {{yat::kClassTemperature, "temperature", "°C"},
                                  {yat::kClassVoltage, "voltage", "V"},
                                  {yat::kClassFan, "fan", "RPM"},
                                  {yat::kClassPowerSupply, "power", ""}};

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

}  // namespace yatctl
