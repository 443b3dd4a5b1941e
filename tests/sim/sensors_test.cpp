// The simulator's sensor family, and discovery through it as a host sees it.

#include <gtest/gtest.h>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "sim/scenario.h"
#include "sim/sections/sensors.h"
#include "sim/sim_bus_comm.h"
#include "sim_test_util.h"

namespace {

using simtest::send;
using yatsim::Bytes;
using yatsim::SimBusComm;

Bytes le16(int value) {
    auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
    return {static_cast<uint8_t>(bits & 0xFF), static_cast<uint8_t>(bits >> 8)};
}

TEST(SimSensors, SupportedCommandsOfTheDefaultScenario) {
    SimBusComm comm;
    simtest::Reply reply = send(comm, "1.1");
    EXPECT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.echo(), 2);
    EXPECT_EQ(reply.data(), (Bytes{0x84, 2, 1, 1, 2,   // board temperatures 1-2
                                   0x84, 2, 1, 2, 2,   // CPU 1-2
                                   0x04, 2, 1, 4, 1,   // DASD backplane
                                   0x04, 2, 1, 5, 1,   // location 5
                                   0x84, 2, 2, 1, 10,  // voltages 1-10
                                   0x84, 4, 2, 1, 9,   // remote critical alerts 1-9
                                   0x84, 4, 2, 2, 7,   // remote non-critical alerts 1-7
                                   0x84, 4, 2, 3, 12,  // remote system alerts 1-12
                                   0x04, 4, 2, 3, 16,  // remote informational alert
                                   0x83, 5, 2, 16}));  // local events 1-16
    EXPECT_EQ(send(comm, "1.1", wire::kSet, {1}).status(), 1);
}

TEST(SimSensors, ReadingsAndLimits) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "2.1.2.1").data(), le16(4400));
    EXPECT_EQ(send(comm, "2.2.1.4").data(), le16(-1194));
    EXPECT_EQ(send(comm, "2.3.1").data(), (Bytes{87}));                     // 4350 RPM
    EXPECT_EQ(send(comm, "2.3.1", wire::kGet, {}, 1).data(), (Bytes{86}));  // node 1: 4300 RPM
    EXPECT_EQ(send(comm, "2.3.7").status(), 2);                             // no such fan
    EXPECT_EQ(send(comm, "2.1.3.1").status(), 2);                           // no such temperature
    EXPECT_EQ(send(comm, "4.3.2.1.5.1.3").data(), le16(8000));              // CPU 1 lower
    EXPECT_EQ(send(comm, "4.3.2.1.5.1.2").data(), le16(8500));              // CPU 1 upper
    EXPECT_EQ(send(comm, "4.3.2.1.1.2").data(), le16(4000));                // board 1 upper
    EXPECT_EQ(send(comm, "4.3.2.1.6.1.3").data(), le16(4500));              // DASD lower
    EXPECT_EQ(send(comm, "4.3.2.1.7.1").data(), le16(0));                   // no alternate upper
    EXPECT_EQ(send(comm, "4.3.2.2.3.6").data(), le16(1140));
    EXPECT_EQ(send(comm, "4.3.2.2.3.2").data(), le16(1260));
    EXPECT_EQ(send(comm, "4.3.2.2.3.7").data(), le16(0));
    EXPECT_EQ(send(comm, "4.3.2.2.b.6").status(), 2);
    EXPECT_EQ(send(comm, "f.5.1").data(), (Bytes{0x03, 0x00}));
    EXPECT_EQ(send(comm, "14.1.3.2", wire::kGet, {0, 0, 0}).status(), 0xFF);
}

TEST(SimSensors, ScenarioStates) {
    SimBusComm comm(yatsim::parseScenario(R"({"nodes": [{"sensors": {
        "temperatures": [{"location": 1, "instance": 3, "reading": -5.5, "unavailable": false},
                         {"location": 1, "instance": 5, "reading": 20, "unavailable": true}],
        "fans": [{"instance": 2, "rpm": 0}, {"instance": 3, "unavailable": true}, {"instance": 4, "rpm": 99999}],
        "fuelGauge": false,
        "powerSupplies": [null, {"present": true, "failed": true}],
        "multiNodeId": 5,
        "supportedExtra": ["04 05 02 02 09"]}}]})",
                                          "t.json"));
    EXPECT_EQ(send(comm, "1.1").data(), (Bytes{4, 2, 1, 1, 3, 4, 2, 1, 1, 5, 4, 5, 2, 2, 9}));
    EXPECT_EQ(send(comm, "2.1.1.3").data(), le16(-550));
    EXPECT_EQ(send(comm, "2.1.1.5").status(), 7);
    EXPECT_EQ(send(comm, "2.3.2").data(), (Bytes{255}));
    EXPECT_EQ(send(comm, "2.3.3").status(), 7);
    EXPECT_EQ(send(comm, "2.3.4").data(), (Bytes{254}));
    EXPECT_EQ(send(comm, "f.5.1").status(), 0xFF);
    EXPECT_EQ(send(comm, "14.1.3.2", wire::kGet, {0, 0, 0}).data(), (Bytes{0, 0, 5}));
    comm.withNode(0, [](yatsim::NodeState& node) {
        auto& sensors = node.section<yatsim::SensorsSection>();
        EXPECT_EQ(sensors.presentSupplies, 0x02);
        EXPECT_EQ(sensors.failedSupplies, 0x02);
        return 0;
    });
}

TEST(SimSensors, BadScenarioFieldsAreNamed) {
    auto error = [](const char* text) {
        try {
            yatsim::parseScenario(text, "s.json");
        } catch (const yatsim::ScenarioError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(
        error(R"({"nodes": [{"sensors": {"supportedExtra": ["05 02"]}}]})").find("nodes[0].sensors.supportedExtra[0]"),
        std::string::npos);
    EXPECT_NE(error(R"({"nodes": [{"sensors": {"fans": [{"speed": 3}]}}]})").find("nodes[0].sensors.fans[0]"),
              std::string::npos);
    EXPECT_NE(error(R"({"nodes": [{"sensors": {"temperatures": [{"reading": 400}]}}]})").find("reading"),
              std::string::npos);
    EXPECT_NE(error(R"({"nodes": [{"sensors": {"powerSupplies": [{}, {}, {}, {}, {}, {}, {}, {}, {}]}}]})")
                  .find("powerSupplies"),
              std::string::npos);
}

// Discovery over the default scenario: what a host sees per node.
TEST(SimSensors, DiscoveryOfTheDefaultScenario) {
    yattest::LogCapture log;
    SimBusComm comm;
    yattest::RecordingSink sink;
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    comm.clearHistory();
    ASSERT_EQ(lib->initSensors(&sink), ERR_SUCCESS);
    EXPECT_EQ(lib->getNumberSensors(1, 1), 12);
    EXPECT_EQ(lib->getNumberSensors(2, 1), 20);
    EXPECT_EQ(lib->getNumberSensors(3, 1), 12);
    EXPECT_EQ(lib->getNumberSensors(4, 1), 4);
    int32_t degrees = 0;
    EXPECT_EQ(lib->getSensorReading(1, 2, 3, &degrees), ERR_SUCCESS);  // node 1, CPU 1
    EXPECT_EQ(degrees, 44);
    float volts = 0;
    EXPECT_EQ(lib->getSensorReading(2, 1, 4, &volts), ERR_SUCCESS);
    EXPECT_FLOAT_EQ(volts, -11.94f);
    int32_t rpm = 0;
    EXPECT_EQ(lib->getSensorReading(3, 2, 6, &rpm), ERR_SUCCESS);
    EXPECT_EQ(rpm, 3800);
    int32_t status = -1;
    for (int32_t sensor = 1; sensor <= 6; ++sensor) {
        int32_t reading = 0, lower = 0, upper = 0;
        EXPECT_EQ(lib->getSensorStatus(1, 1, sensor, &status, &reading, &lower, &upper), ERR_SUCCESS) << sensor;
        EXPECT_EQ(status, 1) << sensor;
    }
    EXPECT_EQ(lib->getSensorStatus(4, 2, 2, &status, nullptr, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(status, 0);                    // supply with normals, not checked yet
    EXPECT_EQ(comm.history().size(), 192u);  // 96 commands per node
    closeLibrary();
}

}  // namespace
