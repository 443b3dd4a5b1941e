#pragma once
// Words for what the library reports: sensor class names and units, status codes as words, one node
// numbering for people and programs, and a stable name per sensor.

#include <cstdint>
#include <optional>
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

// The limits of a sensor as a sensor tool shows them, from the two values getSensorStatus gives
// (its lower and upper slots). A temperature's two are both upper limits: the lower slot is where
// the SP starts warning, the upper one where it turns critical. A voltage has a lower and an upper
// critical limit; a fan a lower critical one (its minimum speed, in both slots). Location 3
// temperatures and voltages off location 1 have none (both slots 0). Empty: the class has no such
// limit.
struct SensorLimits {
    std::optional<double> lowerCritical, lowerWarning, upperWarning, upperCritical;
};
SensorLimits sensorLimits(int32_t sensorClass, double lowerSlot, double upperSlot);

// How serious a status is: 0 nothing to see (normal, good, not checked), 1 warning, 2 critical
// (critical, low, high, failed, unavailable, processor hot).
int statusSeverity(int32_t sensorClass, int32_t status);

// Words for the other codes a host reads.
std::string spTypeWord(int32_t type);  // "Garnet", "Opal SSL", ... (yat/codes.h)
// The service a TCP port number of getNetworkPort serves ("HTTP", "SNMP traps"), or "" past them.
std::string portName(int32_t number);
inline constexpr int32_t kFirstPortNumber = 1;
inline constexpr int32_t kLastPortNumber = 6;
// An alert recipient's type (getOOBAlertConfiguration): "unused" for 1, else the SP's connection
// type it stands for ("connection type 6" for type 8).
std::string recipientTypeWord(int32_t type);
// The locator light's state byte: "off", "on", or "byte 0xNN" for another byte.
std::string locatorWord(int32_t state);

}  // namespace yatctl
