// getGlintStatus and the passthru classes: the data bytes on the wire, the mask rule, one request per
// sensor (I2C) or per node (DMC, H8, IPMI), failures, and the locator light.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "leds/passthru.h"
#include "led_test_util.h"
#include "yat/result_codes.h"

namespace {

using ledtest::Bytes;
using ledtest::PanelTest;

struct MaskCase {
    uint32_t mask;
    uint8_t data;
    int32_t status;
};

class MaskRule : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskRule, DataByteDecidesTheSensor) {
    const MaskCase& c = GetParam();
    cGlintSensor sensor;
    sensor.mask = c.mask;
    int32_t status = -1;
    EXPECT_EQ(cSPPassthru::setPassthruLEDStatus(sensor, c.data, &status), ERR_SUCCESS);
    EXPECT_EQ(status, c.status);
}

INSTANTIATE_TEST_SUITE_P(Passthru, MaskRule,
                         ::testing::Values(MaskCase{0x06, 0x07, 1}, MaskCase{0x06, 0x05, 0}, MaskCase{0x06, 0xFF, 0},
                                           MaskCase{0x00, 0xFF, 0}, MaskCase{0x00, 0x00, 1}, MaskCase{0x00, 0x42, 1},
                                           MaskCase{0x80, 0x80, 1}, MaskCase{0xFF, 0xFF, 0},
                                           MaskCase{0x106, 0x06, 0}));  // mask bits above the byte never match

TEST(Passthru, MaskRuleLogsTheByteAndTheDecision) {
    yattest::LogCapture log;
    cGlintSensor sensor;
    sensor.mask = 6;
    cSPPassthru::setPassthruLEDStatus(sensor, 7, nullptr);
    EXPECT_EQ(log.texts("setPassthruLEDStatus"),
              (std::vector<std::string>{"The data is [7], mask is [6]", "The LED is on"}));
}

struct DataCase {
    uint32_t busType;
    uint32_t ledregister;
    uint8_t commandType;
    Bytes data;
};

class DataBytes : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataBytes, BuilderWritesTheBusTypesLayout) {
    const DataCase& c = GetParam();
    cGlintLED led;
    std::strcpy(led.dotCommand, "d.1");
    led.ledbus = 0x103;  // only the low byte goes on the wire
    led.leddevicetype = 0x1234;
    led.ledregister = c.ledregister;
    cGlintSensor sensor;
    sensor.regaddr = 0x50;
    std::unique_ptr<cSPPassthru> passthru = makePassthru(c.busType);
    ASSERT_NE(passthru, nullptr);
    testing::internal::CaptureStdout();
    ASSERT_NE(passthru->getGlintInfo(c.commandType, led, sensor), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    const uint8_t* buffer = passthru->buffer();
    EXPECT_EQ(buffer[0], c.commandType);
    EXPECT_EQ(buffer[1], 2);
    ASSERT_EQ(buffer[2], c.data.size());
    EXPECT_EQ(Bytes(buffer + 8, buffer + 8 + c.data.size()), c.data);
    char line[160];
    std::snprintf(
        line, sizeof line,
        "getGlintInfo -- in routine\ngetGlintInfo -- Building passthru data with [%x,%x] and LEDCommand [d.1]\n",
        c.data[0], c.data[1]);
    EXPECT_EQ(out, line);
}

INSTANTIATE_TEST_SUITE_P(Passthru, DataBytes,
                         ::testing::Values(DataCase{kGlintBusI2C, 7, 2, {3, 0x50, 0x34, 0x12, 7, 1}},
                                           DataCase{kGlintBusDMC, 5, 0, {3, 2, 5, 0xFB}},
                                           DataCase{kGlintBusH8, 5, 0, {2, 5, 0xFB}},
                                           DataCase{kGlintBusH8, 0, 0, {2, 0, 0}},
                                           DataCase{kGlintBusIPMI, 5, 0, {0x3A, 0x0A}}));

TEST(Passthru, OnlyBusTypes1To4HaveAClass) {
    EXPECT_EQ(makePassthru(0), nullptr);
    EXPECT_EQ(makePassthru(5), nullptr);
}

// The answer to an I2C request: the byte for its register address from bytes (0 when absent).
std::function<void(uint8_t*)> i2cDevice(std::map<uint8_t, uint8_t> bytes) {
    return [bytes](uint8_t* buffer) {
        uint8_t regaddr = buffer[wire::kHeaderSize + 2 + ledwire::kI2CRegAddr];
        auto it = bytes.find(regaddr);
        const uint8_t command[] = {0x0D, 0x01};
        yattest::writeAnswer(buffer, command, 2, 0, {it == bytes.end() ? uint8_t{0} : it->second});
    };
}

std::vector<int32_t> states(const GlintLEDList& leds) {
    std::vector<int32_t> result;
    for (const cGlintLED& led : leds) result.push_back(led.state);
    return result;
}

TEST_F(PanelTest, I2CReadsEverySensorOnTheLedsOwnNode) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 2, {0x01, 0x02})}));
    comm_.handle("d.1", i2cDevice({{1, 0x02}, {2, 0x00}})).node(0);
    comm_.handle("d.1", i2cDevice({{1, 0x00}, {2, 0x03}})).node(1);
    GlintLEDList host = readAll();
    EXPECT_EQ(states(host), (std::vector<int32_t>{1, 0, 0, 1}));
    EXPECT_EQ(host[0].sensors[0].status, 0);
    EXPECT_EQ(host[0].sensors[1].status, 1);
    EXPECT_EQ(host[3].sensors[0].status, 1);
    std::vector<yattest::Request> requests = comm_.requests();
    ASSERT_EQ(requests.size(), 8u);  // one per sensor
    const int32_t nodes[] = {0, 0, 0, 0, 1, 1, 1, 1};
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].node, nodes[i]);
        EXPECT_EQ(requests[i].type, wire::kGet);
    }
    EXPECT_EQ(states(panel_.leds()), states(host));  // the library keeps what it read
}

TEST_F(PanelTest, I2CSendFailureEndsThatLedsSensorsOnly) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 2, {0x01, 0x01})}));
    comm_.handle("d.1", i2cDevice({{1, 0x01}, {2, 0x01}}));
    comm_.failNth(1, 5);
    GlintLEDList host = readAll();
    EXPECT_EQ(states(host), (std::vector<int32_t>{0, 1, 1, 1}));
    EXPECT_EQ(comm_.requests().size(), 7u);  // the second sensor of the first LED is not asked
}

TEST_F(PanelTest, I2CRefusedOrEmptyAnswerReadsNothing) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1, {0x01})}));
    comm_.handle("d.1", i2cDevice({{1, 0x01}}));
    readAll();
    comm_.clearRules();
    comm_.status("d.1", 7).node(0);
    comm_.answer("d.1", {}).node(1);
    GlintLEDList host;
    EXPECT_EQ(panel_.getGlintStatus(&host), ERR_SUCCESS);
    // Refused: the sensor keeps its status but lights nothing; empty: the sensor is off.
    EXPECT_EQ(host[0].sensors[0].status, 1);
    EXPECT_EQ(host[0].state, 0);
    EXPECT_EQ(host[1].sensors[0].status, 0);
    EXPECT_TRUE(log_.has("cI2CPassThru::setGlintStatus",
                         "the answer for sensor [0] of LED [0] holds no data byte; sensor counted as off"));
}

TEST_F(PanelTest, NodeClassesSendOneRequestPerNodeAndReadBytesAtRegaddr) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 2, {0x06})}));
    comm_.answer("d.1", {0x00, 0x07, 0x05}).node(0);
    comm_.answer("d.1", {0x00, 0xFF, 0x06}).node(1);
    GlintLEDList host = readAll();
    EXPECT_EQ(states(host), (std::vector<int32_t>{1, 0, 0, 1}));
    std::vector<yattest::Request> requests = comm_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].node, 0);
    EXPECT_EQ(requests[1].node, 1);
    EXPECT_EQ(requests[0].type, wire::kSet);
    EXPECT_EQ(requests[0].data, (Bytes{3, 2, 5, 0xFB}));
}

TEST_F(PanelTest, RegaddrPastTheAnswerCountsAsOff) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusH8, 2, {0x00}, 2)}));
    comm_.answer("d.1", {0x00, 0x00, 0x00});  // bytes 0..2: the second LED's regaddr 3 is past them
    GlintLEDList host = readAll();
    EXPECT_EQ(states(host), (std::vector<int32_t>{1, 0, 1, 0}));
    EXPECT_TRUE(log_.has("cNodePassThru::setGlintStatus",
                         "regaddr [3] of LED [1] lies beyond the [3] answer data bytes; sensor counted as off"));
}

TEST_F(PanelTest, IpmiNeedsCompletionCode0AndPrintsItsProgress) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusIPMI, 1, {0x01})}));
    comm_.answer("d.1", {0x00, 0x01}).node(0);
    comm_.answer("d.1", {0xC1, 0x01}).node(1);
    testing::internal::CaptureStdout();
    GlintLEDList host = readAll();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(states(host), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(comm_.requests()[0].data, (Bytes{0x3A, 0x0A}));
    for (const char* line :
         {"cIPMIPassThru::setGlintStatus - in the routine\n",
          "cIPMIPassThru::setGlintStatus - currNode [99] (*ledIterator).getNodeNumber() [0]\n",
          "cIPMIPassThru::setGlintStatus - about to call sendcommand with node number [1]\n",
          "cIPMIPassThru::setGlintStatus - sendcommand succeeded currentStatus [0], IPMI status [0]\n",
          "cIPMIPassThru::setGlintStatus - command succeeded\n",
          "cIPMIPassThru::setGlintStatus - sendcommand failed currentStatus [0]\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line;
    }
}

TEST_F(PanelTest, BadAnswerSkipsTheLedAndKeepsItsState) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 2, {0x01})}));
    comm_.answer("d.1", {0x00, 0x01, 0x01});
    readAll();
    comm_.clearRules();
    comm_.clearRequests();
    comm_.answer("d.1", {0x00, 0x00, 0x00}).node(0);
    comm_.status("d.1", 2).node(1);
    GlintLEDList host;
    EXPECT_EQ(panel_.getGlintStatus(&host), ERR_SUCCESS);
    EXPECT_EQ(states(host), (std::vector<int32_t>{0, 0, 1, 1}));
    EXPECT_EQ(comm_.requests().size(), 3u);  // node 1 is asked again for its second LED
}

TEST_F(PanelTest, NodeClassSendFailureEndsTheRoutineWithItsResult) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 1, {0x01})}));
    comm_.answer("d.1", {0x00, 0x01}).node(0);
    comm_.fail("d.1", 6).node(1);
    GlintLEDList host = readAll(6);
    EXPECT_EQ(states(host), (std::vector<int32_t>{1, 0}));
}

TEST(Passthru, RefusalIsNeverReadAsTheEarlierNodesAnswer) {
    yattest::LogCapture log;
    yattest::FakeComm comm(2);
    comm.answer("d.1", {0x00, 0x01}).node(0);
    comm.status("d.1", 2).node(1);
    GlintLEDList leds(3);
    for (size_t i = 0; i < leds.size(); ++i) {
        std::strcpy(leds[i].dotCommand, "d.1");
        leds[i].node = i == 1 ? 1 : 0;
        leds[i].sensors.push_back(cGlintSensor{0, 1, 0x01, 0, 0});
    }
    cDMCPassThru dmc;
    EXPECT_EQ(dmc.setGlintStatus(leds, &comm), ERR_SUCCESS);
    EXPECT_EQ(states(leds), (std::vector<int32_t>{1, 0, 1}));
    EXPECT_EQ(comm.count("d.1"), 3u);
}

TEST_F(PanelTest, EveryLedIsReadWithTheFirstLedsClass) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1), ledtest::group(kGlintBusDMC, 1)}));
    comm_.handle("d.1", i2cDevice({{1, 0x01}}));
    readAll();
    std::vector<yattest::Request> requests = comm_.requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const yattest::Request& request : requests) {
        EXPECT_EQ(request.type, wire::kGet);
        EXPECT_EQ(request.data.size(), 6u);
    }
}

TEST_F(PanelTest, LedWithoutSensorsIsDark) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 1, {})}));
    comm_.answer("d.1", {0x00, 0x00});
    EXPECT_EQ(states(readAll()), (std::vector<int32_t>{0, 0}));
}

TEST_F(PanelTest, GlintStatusResults) {
    GlintLEDList host(1);
    LedPanel noDevice(nullptr, mutex_);
    EXPECT_EQ(noDevice.getGlintStatus(&host), ERR_NO_DEVICE);
    EXPECT_EQ(host.size(), 1u);  // untouched
    EXPECT_EQ(panel_.getGlintStatus(nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(panel_.getGlintStatus(&host), ERR_FAILED);  // empty list, copied
    EXPECT_TRUE(host.empty());
    writePanel(ledtest::panel({ledtest::group(9, 1)}));
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    EXPECT_EQ(panel_.getGlintStatus(&host), ERR_BAD_ANSWER);
    EXPECT_EQ(host.size(), 2u);
    EXPECT_TRUE(comm_.requests().empty());
}

TEST_F(PanelTest, ConcurrentReadsAndBuildNeverSeeAHalfList) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 3, {0x01})}));
    comm_.answer("d.1", {0x00, 0x01, 0x00, 0x01});
    std::vector<std::thread> threads;
    std::atomic<int> bad{0};
    testing::internal::CaptureStdout();
    threads.emplace_back([&] { EXPECT_EQ(panel_.initGlint(), ERR_SUCCESS); });
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                GlintLEDList host;
                int32_t result = panel_.getGlintStatus(&host);
                bool whole = (result == ERR_FAILED && host.empty()) ||
                             (result == ERR_SUCCESS && states(host) == std::vector<int32_t>{1, 0, 1, 1, 0, 1});
                if (!whole) ++bad;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    GlintLEDList host;
    EXPECT_EQ(panel_.getGlintStatus(&host), ERR_SUCCESS);  // the build may have ended after every read
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(states(panel_.leds()), (std::vector<int32_t>{1, 0, 1, 1, 0, 1}));
}

struct LightCase {
    const char* name;
    std::function<void(yattest::FakeComm&)> script;
    int32_t result;
    int32_t state;
};

class BlueLight : public ::testing::TestWithParam<LightCase> {};

TEST_P(BlueLight, GetAnswersTheStateByte) {
    const LightCase& c = GetParam();
    yattest::LogCapture log;
    QV::Mutex mutex;
    yattest::FakeComm comm(1);
    c.script(comm);
    LedPanel panel(&comm, mutex);
    int32_t state = -1;
    EXPECT_EQ(panel.getBluelightStatus(0, &state), c.result);
    EXPECT_EQ(state, c.state);
    EXPECT_EQ(comm.requests().at(0).type, wire::kGet);
}

INSTANTIATE_TEST_SUITE_P(
    Leds, BlueLight,
    ::testing::Values(LightCase{"On", [](yattest::FakeComm& comm) { comm.answer("d.7", {0x01}); }, ERR_SUCCESS, 1},
                      LightCase{"Byte",
                                [](yattest::FakeComm& comm) {
                                    comm.answer("d.7", {0xA5, 0x00});
                                },
                                ERR_SUCCESS, 0xA5},
                      LightCase{"Refused", [](yattest::FakeComm& comm) { comm.status("d.7", 3, {0x01}); }, ERR_FAILED,
                                -1},
                      LightCase{"SendFails", [](yattest::FakeComm& comm) { comm.fail("d.7", 4); }, 4, -1},
                      LightCase{"WrongEcho", [](yattest::FakeComm& comm) { comm.answer("d.7", {0x01}).echoLength(3); },
                                ERR_BAD_ANSWER, -1},
                      LightCase{"WrongType", [](yattest::FakeComm& comm) { comm.answer("d.7", {0x01}).answerType(2); },
                                ERR_BAD_ANSWER, -1},
                      LightCase{"NoData", [](yattest::FakeComm& comm) { comm.answer("d.7", {}); }, ERR_BAD_ANSWER, -1}),
    [](const ::testing::TestParamInfo<LightCase>& info) { return std::string(info.param.name); });

TEST(BlueLightSteps, GetLogsItsStepsAndRefusesMissingPieces) {
    yattest::LogCapture log;
    QV::Mutex mutex;
    yattest::FakeComm comm(1);
    comm.answer("d.7", {0x01});
    LedPanel panel(&comm, mutex);
    int32_t state = 0;
    ASSERT_EQ(panel.getBluelightStatus(0, &state), ERR_SUCCESS);
    EXPECT_EQ(log.texts("cLibYAT::getBluelightStatus"),
              (std::vector<std::string>{"in the method", "device is not NULL", "state not NULL",
                                        "command succeeded and getting state"}));
    log.clear();
    EXPECT_EQ(panel.getBluelightStatus(0, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(log.texts("cLibYAT::getBluelightStatus"),
              (std::vector<std::string>{"in the method", "device is not NULL", "state is NULL"}));
    LedPanel noDevice(nullptr, mutex);
    EXPECT_EQ(noDevice.getBluelightStatus(0, &state), ERR_FAILED);
    EXPECT_EQ(noDevice.setBluelightStatus(0, 1), ERR_FAILED);
}

TEST(BlueLightSteps, SetSendsTheLowByteAndReportsTheStatus) {
    yattest::LogCapture log;
    QV::Mutex mutex;
    yattest::FakeComm comm(2);
    comm.answer("d.7", {}).node(0);
    comm.status("d.7", 1).node(1);
    LedPanel panel(&comm, mutex);
    EXPECT_EQ(panel.setBluelightStatus(0, 0x1FE), ERR_SUCCESS);
    EXPECT_EQ(panel.setBluelightStatus(1, 1), ERR_FAILED);
    comm.fail("d.7", 8).node(2);
    EXPECT_EQ(panel.setBluelightStatus(2, 1), 8);
    yattest::Request request = comm.requests().at(0);
    EXPECT_EQ(request.type, wire::kSet);
    EXPECT_EQ(request.command, "d.7");
    EXPECT_EQ(request.data, (Bytes{0xFE}));
}

}  // namespace
