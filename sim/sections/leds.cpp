#include "sim/sections/leds.h"

#include <nlohmann/json.hpp>

#include "leds/led_wire.h"

namespace yatsim {

namespace {

constexpr size_t kMaxCommands = 16;
constexpr size_t kMaxGroups = 16;
constexpr size_t kMaxLeds = 64;
constexpr size_t kMaxPanelSensors = 16;
constexpr uint8_t kLedFamily = 0x0D;  // passthru commands share the first byte of "d.7"

uint32_t u32(const Field& field) { return static_cast<uint32_t>(field.integer(0, UINT32_MAX, 0)); }

// "i2c", "dmc", "ipmi", "h8", or a number.
uint32_t busType(const Field& field) {
    if (field.present() && field.json()->is_string()) {
        const std::string name = field.json()->get<std::string>();
        if (name == "i2c") return 1;
        if (name == "dmc") return 2;
        if (name == "ipmi") return 3;
        if (name == "h8") return 4;
        if (name.rfind("0x", 0) != 0) field.fail("expected \"i2c\", \"dmc\", \"ipmi\", \"h8\" or a number");
    }
    return static_cast<uint32_t>(field.integer(0, UINT32_MAX, 1));
}

SimLed loadLed(const Field& entry) {
    entry.expectObject({"type", "regaddr", "location", "index", "lit", "sensors"});
    SimLed led;
    led.type = u32(entry["type"]);
    led.regaddr = static_cast<uint32_t>(entry["regaddr"].integer(0, 255, 0));
    led.location = u32(entry["location"]);
    led.index = u32(entry["index"]);
    led.lit = entry["lit"].flag(false);
    Field sensors = entry["sensors"];
    if (sensors.size() > kMaxPanelSensors) sensors.fail("expected at most 16 sensors");
    for (size_t s = 0; s < sensors.size(); ++s) {
        Field sensor = sensors.at(s);
        sensor.expectObject({"index", "mask", "location"});
        led.sensors.push_back(
            {u32(sensor["index"]), static_cast<uint32_t>(sensor["mask"].integer(0, 255, 0)), u32(sensor["location"])});
    }
    return led;
}

SimLedGroup loadGroup(const Field& entry) {
    entry.expectObject({"busType", "bus", "register", "deviceType", "leds"});
    SimLedGroup group;
    group.busType = busType(entry["busType"]);
    group.bus = static_cast<uint32_t>(entry["bus"].integer(0, 255, 0));
    group.reg = static_cast<uint32_t>(entry["register"].integer(0, 255, 0));
    group.deviceType = static_cast<uint32_t>(entry["deviceType"].integer(0, UINT16_MAX, 0));
    Field leds = entry["leds"];
    if (leds.size() > kMaxLeds) leds.fail("expected at most 64 LEDs");
    for (size_t l = 0; l < leds.size(); ++l) group.leds.push_back(loadLed(leds.at(l)));
    return group;
}

}  // namespace

uint8_t SimLedGroup::byteAt(uint32_t regaddr) const {
    uint8_t value = 0;
    bool anyLit = false;
    bool maskZero = false;
    for (const SimLed& led : leds) {
        if (led.regaddr != regaddr) continue;
        for (const SimLedSensor& sensor : led.sensors) {
            if (led.lit) value = static_cast<uint8_t>(value | sensor.mask);
            if (sensor.mask == 0) maskZero = true;
        }
        anyLit = anyLit || led.lit;
    }
    if (!anyLit && maskZero) return ledwire::kAllOff;
    return value;
}

void LedsSection::load(const Field& field, NodeState& node) {
    field.expectObject({"locator", "commands"});
    LedsSection section;
    section.locator = static_cast<uint8_t>(field["locator"].integer(0, 255, 0));
    Field commands = field["commands"];
    if (commands.size() > kMaxCommands) commands.fail("expected at most 16 commands");
    for (size_t c = 0; c < commands.size(); ++c) {
        Field entry = commands.at(c);
        entry.expectObject({"dotCommand", "groups"});
        SimLedCommand command;
        Bytes bytes = entry["dotCommand"].dotted();
        if (bytes.size() < 2 || bytes[0] != kLedFamily || dottedText(bytes) == ledwire::kBlueLightCommand) {
            entry["dotCommand"].fail("expected a command of the \"d\" family other than \"d.7\"");
        }
        command.dotCommand = dottedText(bytes);
        Field groups = entry["groups"];
        if (groups.size() > kMaxGroups) groups.fail("expected at most 16 groups");
        for (size_t g = 0; g < groups.size(); ++g) command.groups.push_back(loadGroup(groups.at(g)));
        section.commands.push_back(std::move(command));
    }
    node.install(section);
}

}  // namespace yatsim
