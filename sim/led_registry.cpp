#include "sim/led_registry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "leds/glint_registry.h"

namespace yatsim {

namespace {

std::string dword(const char* name, uint32_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name, value);
    return line;
}

}  // namespace

std::string ledRegistryText(const LedsSection& panel) {
    const std::string base = std::string("[HKEY_LOCAL_MACHINE\\") + glintreg::kBaseKey;
    std::ostringstream out;
    out << "Windows Registry Editor Version 5.00\n\n" << base << "]\n";
    out << dword("numberofcmds", static_cast<uint32_t>(panel.commands.size()));
    for (size_t c = 0; c < panel.commands.size(); ++c) {
        const SimLedCommand& command = panel.commands[c];
        out << "\"ledGrp" << c << "DotCmd\"=\"" << command.dotCommand << "\"\n";
        out << dword(("numberofcmd" + std::to_string(c) + "groups").c_str(),
                     static_cast<uint32_t>(command.groups.size()));
    }
    for (size_t c = 0; c < panel.commands.size(); ++c) {
        const SimLedCommand& command = panel.commands[c];
        for (size_t g = 0; g < command.groups.size(); ++g) {
            const SimLedGroup& group = command.groups[g];
            const std::string groupKey = base + "\\cmd" + std::to_string(c) + "\\grp" + std::to_string(g);
            out << '\n'
                << groupKey << "]\n"
                << dword("ledbus", group.bus) << dword("ledbustype", group.busType)
                << dword("leddevicetype", group.deviceType) << dword("ledregister", group.reg);
            for (size_t l = 0; l < group.leds.size(); ++l) {
                const SimLed& led = group.leds[l];
                const std::string ledKey = groupKey + "\\led" + std::to_string(l);
                out << '\n'
                    << ledKey << "]\n"
                    << dword("type", led.type) << dword("regaddr", led.regaddr) << dword("location", led.location)
                    << dword("index", led.index);
                for (size_t s = 0; s < led.sensors.size(); ++s) {
                    const SimLedSensor& sensor = led.sensors[s];
                    out << '\n'
                        << ledKey << "\\sensor" << s << "]\n"
                        << dword("index", sensor.index) << dword("mask", sensor.mask)
                        << dword("location", sensor.location);
                }
            }
        }
    }
    return out.str();
}

std::string writeLedRegistry(const Scenario& scenario, const std::string& rootDir) {
    LedsSection panel;
    for (const NodeState& node : scenario.nodes) {
        if (node.has<LedsSection>() && !node.section<LedsSection>().commands.empty()) {
            panel = node.section<LedsSection>();
            break;
        }
    }
    std::string relative = glintreg::kFileBelowRoot;
    for (char& c : relative) c = c == '\\' ? '/' : c;
    std::filesystem::path path = std::filesystem::path(rootDir) / relative;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << (panel.commands.empty() ? std::string("Windows Registry Editor Version 5.00\n") : ledRegistryText(panel));
    if (!file) throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

}  // namespace yatsim
