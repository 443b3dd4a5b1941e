#include "sim/sections/sensors.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace yatsim {

namespace {

constexpr uint8_t kReadingCommand = 2;
constexpr uint8_t kClassTemperature = 1;
constexpr uint8_t kClassVoltage = 2;
constexpr uint8_t kRangeFlag = 0x80;
constexpr size_t kMaxSensors = 255;
constexpr size_t kMaxSupplies = 8;

// A value in units (degrees, volts) as signed hundredths.
int16_t hundredths(const Field& field, double fallback) {
    double value = field.number(-327.68, 327.67, fallback);
    return static_cast<int16_t>(std::lround(value * 100.0));
}

uint8_t byteField(const Field& field, uint64_t min, uint64_t fallback) {
    return static_cast<uint8_t>(field.integer(min, 255, fallback));
}

void loadTemperatures(const Field& list, SensorsSection& sensors) {
    if (list.size() > kMaxSensors) list.fail("expected at most 255 temperatures");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        entry.expectObject({"location", "instance", "reading", "upper", "lower", "upperAlternate", "unavailable"});
        SimTemperature temp;
        temp.location = byteField(entry["location"], 0, 1);
        temp.instance = byteField(entry["instance"], 0, 1);
        temp.reading = hundredths(entry["reading"], 0);
        temp.upper = hundredths(entry["upper"], 0);
        temp.lower = hundredths(entry["lower"], 0);
        temp.upperAlternate = hundredths(entry["upperAlternate"], 0);
        temp.unavailable = entry["unavailable"].flag(false);
        sensors.temperatures.push_back(temp);
    }
}

void loadVoltages(const Field& list, SensorsSection& sensors) {
    if (list.size() > kMaxSensors) list.fail("expected at most 255 voltages");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        entry.expectObject({"location", "instance", "reading", "upper", "lower", "unavailable"});
        SimVoltage volt;
        volt.location = byteField(entry["location"], 0, 1);
        volt.instance = byteField(entry["instance"], 0, 1);
        volt.reading = hundredths(entry["reading"], 0);
        volt.upper = hundredths(entry["upper"], 0);
        volt.lower = hundredths(entry["lower"], 0);
        volt.unavailable = entry["unavailable"].flag(false);
        sensors.voltages.push_back(volt);
    }
}

void loadFans(const Field& list, SensorsSection& sensors) {
    if (list.size() > kMaxSensors) list.fail("expected at most 255 fans");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        entry.expectObject({"instance", "rpm", "unavailable"});
        SimFan fan;
        fan.instance = byteField(entry["instance"], 1, i + 1);
        fan.rpm = static_cast<uint32_t>(entry["rpm"].integer(0, 100000, 0));
        fan.unavailable = entry["unavailable"].flag(false);
        sensors.fans.push_back(fan);
    }
}

void loadSupplies(const Field& list, SensorsSection& sensors) {
    if (list.size() > kMaxSupplies) list.fail("expected at most 8 power supplies");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        if (!entry.present()) continue;  // an empty bay
        entry.expectObject({"present", "failed"});
        auto bit = static_cast<uint8_t>(1u << i);
        if (entry["present"].flag(true)) sensors.presentSupplies |= bit;
        if (entry["failed"].flag(false)) sensors.failedSupplies |= bit;
    }
}

}  // namespace

Bytes SensorsSection::supportedCommands() const {
    // Instances per (class, location), in the order the scenario names them.
    std::vector<std::pair<std::pair<uint8_t, uint8_t>, std::vector<uint8_t>>> groups;
    auto add = [&groups](uint8_t sensorClass, uint8_t location, uint8_t instance) {
        auto key = std::make_pair(sensorClass, location);
        auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& group) { return group.first == key; });
        if (found == groups.end()) found = groups.insert(groups.end(), {key, {}});
        found->second.push_back(instance);
    };
    for (const SimTemperature& temp : temperatures) add(kClassTemperature, temp.location, temp.instance);
    for (const SimVoltage& volt : voltages) add(kClassVoltage, volt.location, volt.instance);

    Bytes list;
    for (auto& [key, instances] : groups) {
        std::sort(instances.begin(), instances.end());
        instances.erase(std::unique(instances.begin(), instances.end()), instances.end());
        bool oneToN = instances.size() >= 2 && instances.front() == 1 && instances.back() == instances.size();
        if (oneToN) {
            list.insert(list.end(), {static_cast<uint8_t>(4 | kRangeFlag), kReadingCommand, key.first, key.second,
                                     instances.back()});
            continue;
        }
        for (uint8_t instance : instances)
            list.insert(list.end(), {4, kReadingCommand, key.first, key.second, instance});
    }
    for (const Bytes& entry : supportedExtra) list.insert(list.end(), entry.begin(), entry.end());
    return list;
}

void SensorsSection::load(const Field& field, NodeState& node) {
    field.expectObject(
        {"temperatures", "voltages", "fans", "fuelGauge", "powerSupplies", "multiNodeId", "supportedExtra"});
    SensorsSection sensors;
    loadTemperatures(field["temperatures"], sensors);
    loadVoltages(field["voltages"], sensors);
    loadFans(field["fans"], sensors);
    sensors.fuelGauge = field["fuelGauge"].flag(true);
    loadSupplies(field["powerSupplies"], sensors);
    if (field["multiNodeId"].present()) sensors.multiNodeId = byteField(field["multiNodeId"], 0, 0);
    Field extra = field["supportedExtra"];
    for (size_t i = 0; i < extra.size(); ++i) {
        Bytes entry = extra.at(i).hex(128);
        if (entry.empty() || (entry[0] & 0x7F) + 1u != entry.size()) {
            extra.at(i).fail("expected one entry: a length byte and that many command bytes");
        }
        sensors.supportedExtra.push_back(entry);
    }
    node.install(sensors);
}

}  // namespace yatsim
