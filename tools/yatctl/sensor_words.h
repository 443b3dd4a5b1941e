#pragma once
// Words for what the library reports: sensor class names and units, and status codes as words.

#include <cstdint>
#include <string>

namespace yatctl {

struct ClassInfo {
    int32_t code;
    const char* name;
    const char* unit;
};

// Classes 1 to 4 (temperature, voltage, fan, power); class 5 (a node event) and others as "node".
const ClassInfo& classInfo(int32_t sensorClass);

// A status code of a class as a word ("normal", "critical", "processor hot", ...).
std::string statusWord(int32_t sensorClass, int32_t status);

}  // namespace yatctl
