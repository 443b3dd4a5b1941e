#pragma once
// Words for what the library reports: sensor class names and units, status codes as words, one node
// numbering for people and programs, and a stable name per sensor.

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

// Node numbering. Everything yatctl shows numbers nodes from 0, as --node does and as the library's
// node operations take them. The sensor operations and the sensor sink key sensors by node + 1 (the
// multi-node ID + 1 on systems of more than two nodes); these two convert at that one boundary.
constexpr int32_t shownNode(int32_t sensorKeyNode) { return sensorKeyNode - 1; }
constexpr int32_t sensorKeyNode(int32_t shownNode) { return shownNode + 1; }

// What a sensor measures, as one lower-case word usable as a label value: "board", "cpu",
// "drive_backplane", "temperature" (other temperature locations), "voltage", "fan", "power_supply".
std::string sensorKind(int32_t sensorClass, int32_t location);

// A name for a sensor that is unique on its node and stays the same across runs, built from its class,
// its SP location and its SP instance number: "CPU 1 temperature", "Board temperature 2",
// "Drive backplane temperature 1", "Voltage 3", "Fan 3", "Power supply 1". A supply's instance is its
// 0-based index; its name counts from 1, like its sensor number.
std::string sensorName(int32_t sensorClass, int32_t location, int32_t instance);

}  // namespace yatctl
