// Scenario loading: the default scenario, inheritance between nodes, the text forms, and errors that
// name the file, the field and what was expected.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "sim/scenario.h"
#include "sim/sections/sp.h"
#include "sim/sections/system.h"

namespace {

using yatsim::Bytes;
using yatsim::ScenarioError;

// The error of parsing text as a scenario named "s.json".
ScenarioError errorOf(const std::string& text) {
    try {
        yatsim::parseScenario(text, "s.json");
    } catch (const ScenarioError& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << text;
    return ScenarioError("", "", "");
}

TEST(SimScenario, DefaultScenarioIsATwoNodeServer) {
    yatsim::Scenario scenario = yatsim::defaultScenario();
    ASSERT_EQ(scenario.nodes.size(), 2u);
    EXPECT_EQ(scenario.source, "(default scenario)");
    const auto& sp = scenario.nodes[1].section<yatsim::SpSection>();
    EXPECT_EQ(sp.summaryType, 3);  // inherited from node 0
    EXPECT_EQ(scenario.nodes[1].section<yatsim::SystemSection>().restartCount, 35);
    EXPECT_EQ(scenario.nodes[1].section<yatsim::SystemSection>().postWatchdog, 10);
    EXPECT_EQ(scenario.nodes[1].index(), 1u);
    EXPECT_EQ(scenario.nodes[0].vpdDevices().count("4.3.5.c.2"), 1u);
}

TEST(SimScenario, AbsentSectionsTakeTheirDefaults) {
    yatsim::Scenario scenario = yatsim::parseScenario(R"({"nodes": [{"sp": {"type": 5}}]})", "x");
    const auto& sp = scenario.nodes[0].section<yatsim::SpSection>();
    EXPECT_EQ(sp.probes, (std::vector<Bytes>{Bytes{4, 3, 5, 0x19, 1}}));  // the type's own probe
    EXPECT_EQ(scenario.nodes[0].section<yatsim::SystemSection>().state, 0);
    EXPECT_TRUE(scenario.nodes[0].vpdDevices().empty());
}

TEST(SimScenario, ErrorsNameTheFieldAndWhatWasExpected) {
    ScenarioError range = errorOf(R"({"nodes": [{"system": {"watchdogs": {"post": 256}}}]})");
    EXPECT_EQ(range.source(), "s.json");
    EXPECT_EQ(range.field(), "nodes[0].system.watchdogs.post");
    EXPECT_EQ(range.expected(), "expected an integer from 0 to 255, got 256");
    EXPECT_STREQ(range.what(), "s.json: nodes[0].system.watchdogs.post: expected an integer from 0 to 255, got 256");

    EXPECT_EQ(errorOf(R"({"nodes": [{}, {"sensorz": {}}]})").field(), "nodes[1].sensorz");
    EXPECT_EQ(errorOf(R"({"nodes": [{"sp": {"kind": 1}}]})").field(), "nodes[0].sp.kind");
    EXPECT_EQ(errorOf(R"({"nodes": []})").field(), "nodes");
    EXPECT_EQ(errorOf(R"({"nodes": [{"vpd": {"uuid": "0011"}}]})").field(), "nodes[0].vpd.uuid");
    EXPECT_EQ(errorOf(R"({"nodes": [{"vpd": {"uuid": "zz"}}]})").field(), "nodes[0].vpd.uuid");
    EXPECT_EQ(errorOf(R"({"nodes": [{"vpd": {"planar": {"partNumber": "1234567890123"}}}]})").field(),
              "nodes[0].vpd.planar.partNumber");
    EXPECT_EQ(errorOf(R"({"nodes": [{"vpd": {"devices": [{"command": "4.3.6"}]}}]})").field(),
              "nodes[0].vpd.devices[0].command");
    EXPECT_EQ(errorOf(R"({"nodes": [{"sp": {"probes": ["4.3.6"]}}]})").field(), "nodes[0].sp.probes[0]");
    EXPECT_EQ(errorOf(R"({"nodes": [{}, {"inherit": 1}]})").field(), "nodes[1].inherit");
    EXPECT_EQ(errorOf(R"({"nodes": [{}], "timeline": [{"at": 1, "node": 1, "event": "fan"}]})").field(),
              "timeline[0].node");
    EXPECT_EQ(errorOf(R"({"nodes": [{}], "timeline": [{"at": 1, "node": 0, "event": "smoke"}]})").field(),
              "timeline[0].event");
    EXPECT_EQ(errorOf(R"({"nodes": [{}], "faults": {"rules": [{"fault": "fire"}]}})").field(), "faults.rules[0].fault");
    EXPECT_EQ(errorOf(R"({"nodes": [{}], "faults": {"rules": [{"fault": "status", "rate": 2}]}})").field(),
              "faults.rules[0].rate");
    EXPECT_EQ(errorOf(R"({"nodes": [{"system": {"state": "4"}}]})").expected(),
              "expected an integer from 0 to 255 (a number, or a text \"0x...\"), got \"4\"");
    EXPECT_EQ(errorOf(R"({"nodes": [{"system": {"state": "0x1ff"}}]})").field(), "nodes[0].system.state");
    EXPECT_EQ(errorOf(R"([1, 2])").field(), "(document)");
}

TEST(SimScenario, FileErrors) {
    ScenarioError missing("", "", "");
    try {
        yatsim::loadScenarioFile("/nonexistent/scenario.json");
    } catch (const ScenarioError& error) {
        missing = error;
    }
    EXPECT_EQ(missing.source(), "/nonexistent/scenario.json");
    EXPECT_EQ(missing.expected(), "cannot open: No such file or directory");

    ScenarioError notJson = errorOf("{\"nodes\": [");
    EXPECT_EQ(notJson.source(), "s.json");
    EXPECT_EQ(notJson.field(), "");
    EXPECT_EQ(notJson.expected().rfind("not JSON: parse error at line 1", 0), 0u) << notJson.expected();
}

// Hostile documents and files: each is refused with a one-line printable message (and no crash, no
// unbounded memory). Nesting counts arrays and objects; the size cap counts bytes.
TEST(SimScenario, HostileInputsGiveAPrintableError) {
    std::string dir = ::testing::TempDir();
    auto fileOf = [&dir](const std::string& name, size_t bytes) {
        std::string path = dir + name;
        std::ofstream(path, std::ios::binary) << std::string(bytes, ' ');
        return path;
    };
    auto nested = [](size_t levels, bool closed) {
        return std::string(levels, '[') + (closed ? std::string(levels, ']') : "");
    };
    std::string folder = dir + "scenario-folder";
    std::filesystem::create_directories(folder);
    const size_t cap = yatsim::kMaxScenarioBytes;
    struct Case {
        const char* name;
        std::function<void()> load;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"64 levels", [&] { yatsim::parseScenario(nested(64, true), "s"); },
         "(document): expected a JSON object, got [[[["},
        {"65 levels", [&] { yatsim::parseScenario(nested(65, true), "s"); },
         "s: not JSON: nested deeper than 64 levels"},
        {"100000 levels", [&] { yatsim::parseScenario(nested(100000, false), "s"); }, "nested deeper than 64 levels"},
        {"deep value",
         [&] { yatsim::parseScenario(R"({"nodes": [{"sp": {"type": )" + nested(60, true) + "}}]}", "s"); },
         "nodes[0].sp.type: expected an integer from 0 to 255, got [[[["},
        {"number overflow", [&] { yatsim::parseScenario(R"({"nodes": [{"sp": {"type": 1e660}}]})", "s"); },
         "s: not JSON: number overflow parsing '1e660'"},
        {"binary", [&] { yatsim::parseScenario(std::string("\xff\x80\x01{\n\x1b[31m"), "s"); },
         "not JSON: parse error"},
        // Everything after a NUL byte would be ignored, and a repeated key would silently win.
        {"NUL byte", [&] { yatsim::parseScenario(std::string("{\"nodes\": [{}]}\0{\"x\": 1}", 25), "s"); },
         "s: not JSON: a NUL byte at offset 15"},
        {"duplicate key", [&] { yatsim::parseScenario(R"({"nodes": [{}], "nodes": [{}, {}]})", "s"); },
         "s: (document): duplicate key \"nodes\""},
        {"nested duplicate key",
         [&] { yatsim::parseScenario(R"({"nodes": [{}, {"system": {"state": 1, "state": 2}}]})", "s"); },
         "s: nodes[1].system: duplicate key \"state\""},
        {"duplicate key in a timeline entry",
         [&] {
             yatsim::parseScenario(R"({"nodes": [{}], "timeline": [{"at": 1, "node": 0, "event": "login"},
                                   {"at": 2, "at": 3, "node": 0, "event": "login"}]})",
                                   "s");
         },
         "s: timeline[1]: duplicate key \"at\""},
        {"timeline node checked once the nodes are known",
         [&] {
             yatsim::parseScenario(R"({"timeline": [{"at": 1, "node": 0, "event": "login"},
                                   {"at": 2, "node": 1, "event": "login"}], "nodes": [{}]})",
                                   "s");
         },
         "s: timeline[1].node: expected an integer from 0 to 0, got 1"},
        {"too many values",
         [&] {
             std::string many = R"({"nodes": [{}], "description": [)";
             for (size_t i = 0; i < yatsim::kMaxDocumentValues; ++i) many += "0,";
             yatsim::parseScenario(many + "0]}", "s");
         },
         "s: more than 1048576 values besides the timelines; not a scenario"},
        {"folder", [&] { yatsim::loadScenarioFile(folder); }, "is a folder"},
        {"at the cap", [&] { yatsim::loadScenarioFile(fileOf("cap.json", cap)); }, "unexpected end of input"},
        {"past the cap", [&] { yatsim::loadScenarioFile(fileOf("big.json", cap + 1)); }, "larger than 16 MiB"},
    };
    for (const Case& item : cases) {
        std::string message;
        try {
            item.load();
        } catch (const ScenarioError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find(item.expected), std::string::npos) << item.name << ": " << message;
        EXPECT_LE(message.size(), 300u) << item.name;
        for (char c : message) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << item.name << ": " << message;
    }
    std::filesystem::remove(dir + "cap.json");
    std::filesystem::remove(dir + "big.json");
}

TEST(SimScenario, DottedAndHexTexts) {
    EXPECT_EQ(yatsim::parseDotted("4.3.5.c.1"), (Bytes{4, 3, 5, 0x0C, 1}));
    EXPECT_EQ(yatsim::parseDotted("FF.12.5"), (Bytes{0xFF, 0x12, 5}));
    for (const char* bad : {"", "4..3", "4.", ".4", "4.100", "4.x.1", "4 .3"}) {
        EXPECT_FALSE(yatsim::parseDotted(bad)) << bad;
    }
    std::string longest = "1";
    for (int i = 1; i < 32; ++i) longest += ".1";
    EXPECT_TRUE(yatsim::parseDotted(longest));
    EXPECT_FALSE(yatsim::parseDotted(longest + ".1"));
    EXPECT_EQ(yatsim::dottedText(Bytes{4, 3, 5, 0x0C, 0xFF}), "4.3.5.c.ff");
    EXPECT_EQ(yatsim::parseHex("0a FF 10"), (Bytes{0x0A, 0xFF, 0x10}));
    EXPECT_FALSE(yatsim::parseHex("abc"));
    EXPECT_FALSE(yatsim::parseHex("0g"));
    EXPECT_EQ(yatsim::hexText(Bytes{0x0A, 0xFF}, true), "0a ff");
}

}  // namespace
