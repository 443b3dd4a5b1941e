// The sensor family: the supported-commands list "1.1", readings "2.<class>...", limits "4.3.2...",
// the power status "f.5.1" and the multi-node ID "14.1.3.2".

#include <algorithm>
#include <optional>

#include "sensors/sensor_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/sections/alerts.h"
#include "sim/sections/sensors.h"

namespace yatsim {

namespace {

constexpr uint8_t kFanStopped = sensorwire::kFanStopped;
constexpr uint32_t kRpmPerUnit = sensorwire::kFanRpmPerUnit;

// The limit channel of a sensor, as the library addresses it; none for a sensor without limits.
std::optional<Bytes> limitChannel(int32_t sensorClass, uint8_t location, uint8_t instance) {
    const sensorwire::LimitChannel channel = sensorwire::limitChannel(sensorClass, location, instance);
    if (channel.count == 0) return std::nullopt;
    return Bytes(channel.bytes, channel.bytes + channel.count);
}

Bytes hundredthsData(int16_t value) { return answers::le16(static_cast<uint16_t>(value)); }

Answer temperatureReading(const SensorsSection& sensors, uint8_t location, uint8_t instance) {
    for (const SimTemperature& temp : sensors.temperatures) {
        if (temp.location != location || temp.instance != instance) continue;
        if (temp.unavailable) return Answer::failure(spstatus::kUnavailable);
        return Answer::ok(hundredthsData(temp.reading));
    }
    return Answer::failure(spstatus::kNotPresent);
}

Answer voltageReading(const SensorsSection& sensors, uint8_t location, uint8_t instance) {
    for (const SimVoltage& volt : sensors.voltages) {
        if (volt.location != location || volt.instance != instance) continue;
        if (volt.unavailable) return Answer::failure(spstatus::kUnavailable);
        return Answer::ok(hundredthsData(volt.reading));
    }
    return Answer::failure(spstatus::kNotPresent);
}

Answer fanReading(const SensorsSection& sensors, uint8_t instance) {
    for (const SimFan& fan : sensors.fans) {
        if (fan.instance != instance) continue;
        if (fan.unavailable) return Answer::failure(spstatus::kUnavailable);
        if (fan.rpm == 0) return Answer::ok({kFanStopped});
        uint32_t units = std::min<uint32_t>((fan.rpm + kRpmPerUnit / 2) / kRpmPerUnit, kFanStopped - 1);
        return Answer::ok({static_cast<uint8_t>(units)});
    }
    return Answer::failure(spstatus::kNotPresent);
}

// "2.1.L.I", "2.2.L.I", "2.3.I".
Answer reading(NodeState& node, const Request& request) {
    if (request.type != wire::kGet || !request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
    const SensorsSection& sensors = node.section<SensorsSection>();
    const Bytes& c = request.command;
    if (c.size() == 4 && c[1] == 1) return temperatureReading(sensors, c[2], c[3]);
    if (c.size() == 4 && c[1] == 2) return voltageReading(sensors, c[2], c[3]);
    if (c.size() == 3 && c[1] == 3) return fanReading(sensors, c[2]);
    return Answer::failure(spstatus::kUnknownCommand);
}

// "4.3.2.1.<channel>.<selector>" and "4.3.2.2.<channel>.<selector>". A selector the sensor has no
// value for answers 0; a channel without a sensor answers "not present".
Answer limit(NodeState& node, const Request& request) {
    if (request.type != wire::kGet || !request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
    const SensorsSection& sensors = node.section<SensorsSection>();
    const Bytes& c = request.command;
    if (c.size() < 6) return Answer::failure(spstatus::kUnknownCommand);
    Bytes channel(c.begin() + 4, c.end() - 1);
    uint8_t selector = c.back();
    if (c[3] == 1) {
        for (const SimTemperature& temp : sensors.temperatures) {
            if (limitChannel(sensorwire::kClassTemperature, temp.location, temp.instance) != channel) continue;
            int16_t value = selector == 3   ? temp.lower
                            : selector == 2 ? temp.upper
                            : selector == 1 ? temp.upperAlternate
                                            : 0;
            return Answer::ok(hundredthsData(value));
        }
    } else if (c[3] == 2 && channel.size() == 1) {
        for (const SimVoltage& volt : sensors.voltages) {
            if (volt.location != 1 || limitChannel(sensorwire::kClassVoltage, 1, volt.instance) != channel) continue;
            int16_t value = selector == 6 ? volt.lower : selector == 2 ? volt.upper : 0;
            return Answer::ok(hundredthsData(value));
        }
    }
    return Answer::failure(spstatus::kNotPresent);
}

}  // namespace

void registerSensorHandlers(HandlerTable& table) {
    table.add("1.1", [](NodeState& node, const Request& request) {
        return answers::readWrite(request, [&] {
            // The sensor entries, then the alert and local-event elements.
            Bytes list = node.section<SensorsSection>().supportedCommands();
            if (node.has<AlertsSection>()) {
                Bytes alerts = node.section<AlertsSection>().supportedElements();
                list.insert(list.end(), alerts.begin(), alerts.end());
            }
            return Answer::ok(list);
        });
    });
    table.addFamily("2.1", reading);
    table.addFamily("2.2", reading);
    table.addFamily("2.3", reading);
    table.addFamily("4.3.2.1", limit);
    table.addFamily("4.3.2.2", limit);
    table.add("f.5.1", [](NodeState& node, const Request& request) {
        const SensorsSection& sensors = node.section<SensorsSection>();
        if (!sensors.fuelGauge) return Answer::failure(spstatus::kUnknownCommand);
        return answers::readWrite(request, [&] {
            return Answer::ok({sensors.presentSupplies, sensors.failedSupplies});
        });
    });
    // The multi-node ID read carries three request data bytes.
    table.add("14.1.3.2", [](NodeState& node, const Request& request) {
        const SensorsSection& sensors = node.section<SensorsSection>();
        if (!sensors.multiNodeId) return Answer::failure(spstatus::kUnknownCommand);
        if (request.type != wire::kGet) return Answer::failure(spstatus::kInvalidRequest);
        return Answer::ok({0, 0, *sensors.multiNodeId});
    });
}

}  // namespace yatsim
