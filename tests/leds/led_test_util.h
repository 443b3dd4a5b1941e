#pragma once
// Helpers of the LED panel tests: a root folder holding the LED panel registry file, a panel
// description in the simulator's terms, and a LedPanel over a scripted comm device.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "leds/led_panel.h"
#include "sim/led_registry.h"
#include "sim/sections/leds.h"

namespace ledtest {

using yattest::Bytes;

// One group of LEDs at consecutive register addresses from firstRegaddr, each with the given sensors.
inline yatsim::SimLedGroup group(uint32_t busType, uint32_t ledCount, std::vector<uint32_t> masks = {0x01},
                                 uint32_t firstRegaddr = 1) {
    yatsim::SimLedGroup g;
    g.busType = busType;
    g.bus = 3;
    g.reg = 5;
    g.deviceType = 0x1234;
    for (uint32_t l = 0; l < ledCount; ++l) {
        yatsim::SimLed led;
        led.index = l;
        led.location = 10 + l;
        led.type = 20 + l;
        led.regaddr = firstRegaddr + l;
        for (size_t s = 0; s < masks.size(); ++s) {
            led.sensors.push_back({static_cast<uint32_t>(s), masks[s], static_cast<uint32_t>(30 + s)});
        }
        g.leds.push_back(led);
    }
    return g;
}

inline yatsim::LedsSection panel(std::vector<yatsim::SimLedGroup> groups, const std::string& dot = "d.1") {
    yatsim::LedsSection section;
    section.commands.push_back({dot, std::move(groups)});
    return section;
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest() {
        settings_.change([&](RuntimeSettings& s) { s.rootDir = root_.path() + pathSeparator(); });
    }

    // Writes the registry file below the root folder.
    void writeRegistry(const std::string& text) {
        std::filesystem::path path = std::filesystem::path(root_.path()) / "proddata" / "hwsupp";
        std::filesystem::create_directories(path);
        std::ofstream(path / "kdxreg.ini", std::ios::binary | std::ios::trunc) << text;
    }
    void writePanel(const yatsim::LedsSection& section) { writeRegistry(yatsim::ledRegistryText(section)); }
    void removeRegistry() { std::filesystem::remove_all(std::filesystem::path(root_.path()) / "proddata"); }

    // Builds the list and reads it; the states read come back in the returned list.
    GlintLEDList readAll(int32_t expected = 0) {
        EXPECT_EQ(panel_.initGlint(), 0);
        GlintLEDList host;
        EXPECT_EQ(panel_.getGlintStatus(&host), expected);
        return host;
    }

    yattest::SettingsScope settings_;
    yattest::LogCapture log_;
    yattest::TempDir root_;
    QV::Mutex mutex_;
    yattest::FakeComm comm_{2};
    LedPanel panel_{&comm_, mutex_};
};

}  // namespace ledtest
