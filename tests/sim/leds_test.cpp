// The simulated LED panel: passthru answers of the four bus types, the locator light, the scenario
// checks, and the library reading a panel through the registry file the simulator writes.

#include <gtest/gtest.h>

#include <filesystem>

#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "leds/led_panel.h"
#include "sim/led_registry.h"
#include "sim/scenario.h"
#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::send;
using yatsim::SimBusComm;

// One node whose panel has one group of busType with LEDs at regaddr 1 (lit, mask 0x06), 2 (dark,
// mask 0x01) and 3 (dark, mask 0).
std::string scenarioText(const std::string& busType, const std::string& extra = "") {
    return R"({"nodes": [{"leds": {"locator": 3, "commands": [{"dotCommand": "d.1", "groups": [
        {"busType": ")" +
           busType + R"(", "bus": 3, "register": 5, "deviceType": "0x1234", "leds": [
          {"index": 0, "regaddr": 1, "lit": true, "sensors": [{"index": 0, "mask": 6}]},
          {"index": 1, "regaddr": 2, "sensors": [{"index": 0, "mask": 1}]},
          {"index": 2, "regaddr": 3, "sensors": [{"index": 0, "mask": 0}]})" +
           extra + R"(
        ]}]}]}}]})";
}

SimBusComm simulator(const std::string& busType) {
    return SimBusComm(yatsim::parseScenario(scenarioText(busType), "t"));
}

struct AnswerCase {
    const char* busType;
    uint8_t type;
    Bytes request;
    uint8_t status;
    Bytes data;
};

class SimLedAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(SimLedAnswers, DeviceAnswersItsBytes) {
    const AnswerCase& c = GetParam();
    SimBusComm comm = simulator(c.busType);
    simtest::Reply reply = send(comm, "d.1", c.type, c.request);
    ASSERT_EQ(reply.result, 0u);
    EXPECT_EQ(reply.status(), c.status);
    EXPECT_EQ(reply.data(), c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimLedAnswers,
    ::testing::Values(AnswerCase{"i2c", wire::kGet, {3, 1, 0x34, 0x12, 5, 1}, 0, {0x06}},
                      AnswerCase{"i2c", wire::kGet, {3, 2, 0x34, 0x12, 5, 1}, 0, {0x00}},
                      AnswerCase{"i2c", wire::kGet, {3, 3, 0x34, 0x12, 5, 1}, 0, {0xFF}},
                      AnswerCase{"i2c", wire::kGet, {4, 1, 0x34, 0x12, 5, 1}, 2, {}},  // no device on bus 4
                      AnswerCase{"i2c", wire::kSet, {3, 1, 0x34, 0x12, 5, 1}, 1, {}},
                      AnswerCase{"dmc", wire::kSet, {3, 2, 5, 0xFB}, 0, {0x00, 0x06, 0x00, 0xFF}},
                      AnswerCase{"dmc", wire::kSet, {3, 2, 5, 0xFA}, 1, {}},  // wrong check byte
                      AnswerCase{"dmc", wire::kSet, {3, 2, 6, 0xFA}, 2, {}},
                      AnswerCase{"h8", wire::kSet, {2, 5, 0xFB}, 0, {0x00, 0x06, 0x00, 0xFF}},
                      AnswerCase{"ipmi", wire::kSet, {0x3A, 0x0A}, 0, {0x00, 0x06, 0x00, 0xFF}},
                      AnswerCase{"ipmi", wire::kSet, {3, 2, 5, 0xFB}, 2, {}}));  // DMC read of an IPMI panel

TEST(SimLeds, UnknownPassthruCommandAndLocatorLight) {
    SimBusComm comm = simulator("dmc");
    EXPECT_EQ(send(comm, "d.9", wire::kSet, {0x3A, 0x0A}).status(), 0xFF);
    EXPECT_EQ(send(comm, "d.7").data(), (Bytes{3}));
    EXPECT_EQ(send(comm, "d.7", wire::kSet, {0x80}).status(), 0);
    EXPECT_EQ(send(comm, "d.7").data(), (Bytes{0x80}));
    EXPECT_EQ(send(comm, "d.7", wire::kSet, {1, 2}).status(), 1);
}

TEST(SimLeds, ScenarioRefusesCommandsOutsideTheFamilyAndUnknownBusTypes) {
    for (const char* text :
         {R"({"nodes": [{"leds": {"commands": [{"dotCommand": "4.1"}]}}]})",
          R"({"nodes": [{"leds": {"commands": [{"dotCommand": "d.7"}]}}]})",
          R"({"nodes": [{"leds": {"commands": [{"dotCommand": "d.1", "groups": [{"busType": "usb"}]}]}}]})"}) {
        EXPECT_THROW(yatsim::parseScenario(text, "t"), yatsim::ScenarioError) << text;
    }
}

// The library reads each bus type's panel, described to it by the registry file the simulator writes.
class SimLedPanel : public ::testing::TestWithParam<const char*> {};

TEST_P(SimLedPanel, LibraryReadsTheLitFlagsOfTheScenario) {
    yattest::SettingsScope settings;
    yattest::LogCapture log;
    yattest::TempDir root;
    settings.change([&](RuntimeSettings& s) { s.rootDir = root.path() + "/"; });
    SimBusComm comm(yatsim::parseScenario(scenarioText(GetParam()), "t"));
    yatsim::writeLedRegistry(comm.scenario(), root.path());
    QV::Mutex mutex;
    LedPanel panel(&comm, mutex);
    ASSERT_EQ(panel.initGlint(), 0);
    GlintLEDList leds;
    testing::internal::CaptureStdout();
    int32_t result = panel.getGlintStatus(&leds);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 0);
    ASSERT_EQ(leds.size(), 3u);
    EXPECT_EQ(leds[0].state, 1);
    EXPECT_EQ(leds[1].state, 0);
    EXPECT_EQ(leds[2].state, 0);
}

INSTANTIATE_TEST_SUITE_P(Sim, SimLedPanel, ::testing::Values("i2c", "dmc", "ipmi", "h8"));

TEST(SimLeds, DefaultScenarioHasAPanelOnEveryNodeAndItsRegistryFile) {
    yatsim::Scenario scenario = yatsim::defaultScenario();
    for (const yatsim::NodeState& node : scenario.nodes) {
        EXPECT_EQ(node.section<yatsim::LedsSection>().commands.at(0).groups.at(0).leds.size(), 4u);
    }
    yattest::TempDir root;
    std::string path = yatsim::writeLedRegistry(scenario, root.path());
    // The same file as the library's rootFilePath names, whichever separators each uses.
    EXPECT_EQ(std::filesystem::path(path).lexically_normal(),
              std::filesystem::path(root.path()) / "proddata" / "hwsupp" / "kdxreg.ini");
    EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
