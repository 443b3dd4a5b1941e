// Result codes every operation shares, checked across the whole interface over the default scenario:
// a null host pointer where a record or output is required, a sensor class that does not exist, and a
// library object without a comm device (as the constructor leaves it when it refuses a device).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "sim/sim_bus_comm.h"
#include "yat/result_codes.h"

namespace {

using Call = std::function<int32_t(cLibYAT&)>;

struct Row {
    const char* operation;
    Call call;
    int32_t expected;
};

void checkRows(cLibYAT& lib, const std::vector<Row>& rows) {
    for (const Row& row : rows) EXPECT_EQ(row.call(lib), row.expected) << row.operation;
}

class SharedResults : public ::testing::Test {
protected:
    yattest::LogCapture log;
    yatsim::SimBusComm comm;
    cLibYAT lib{&comm};
};

TEST_F(SharedResults, NullOutputsAreRefusedWithoutWritingThrough) {
    int32_t value = 0;
    checkRows(
        lib,
        {
            {"getSystemState", [](cLibYAT& l) { return l.getSystemState(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getFirmwareData", [](cLibYAT& l) { return l.getFirmwareData(0, 1, nullptr, 0); }, ERR_INVALID_PARAMETER},
            {"getVPDData", [](cLibYAT& l) { return l.getVPDData(0, 7, 1, nullptr); }, ERR_INVALID_PARAMETER},
            {"getMachineVPD", [](cLibYAT& l) { return l.getMachineVPD(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getPostBiosVPD", [](cLibYAT& l) { return l.getPostBiosVPD(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getFirstLogEntry", [](cLibYAT& l) { return l.getFirstLogEntry(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getNextLogEntry", [](cLibYAT& l) { return l.getNextLogEntry(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getDHCPEnable", [](cLibYAT& l) { return l.getDHCPEnable(0, 1, nullptr); }, ERR_INVALID_PARAMETER},
            {"getIPConfigString", [](cLibYAT& l) { return l.getIPConfigString(0, 1, nullptr, 64); },
             ERR_INVALID_PARAMETER},
            {"getNetworkPort", [](cLibYAT& l) { return l.getNetworkPort(0, 1, nullptr); }, ERR_INVALID_PARAMETER},
            // Both outputs are optional: nothing asked, nothing sent.
            {"getSMTPConfiguration", [](cLibYAT& l) { return l.getSMTPConfiguration(0, 0, nullptr, nullptr); },
             ERR_SUCCESS},
            {"getLoginPolicyValue", [](cLibYAT& l) { return l.getLoginPolicyValue(0, nullptr); },
             ERR_INVALID_PARAMETER},
            {"getBluelightStatus", [](cLibYAT& l) { return l.getBluelightStatus(0, nullptr); }, ERR_INVALID_PARAMETER},
            {"getGlintStatus", [](cLibYAT& l) { return l.getGlintStatus(nullptr); }, ERR_INVALID_PARAMETER},
            {"checkSystemHealth", [](cLibYAT& l) { return l.checkSystemHealth(0, nullptr, 1, 2); },
             ERR_INVALID_PARAMETER},
            // The address list read answers a missing buffer as "not provided".
            {"getSNMPCommunityIP", [&](cLibYAT& l) { return l.getSNMPCommunityIP(0, 0, 0, nullptr, &value); },
             ERR_FAILED},
        });
}

TEST_F(SharedResults, UnknownSensorClasses) {
    ASSERT_EQ(lib.initSensors(nullptr), ERR_SUCCESS);
    int32_t value = 0;
    for (int32_t sensorClass : {0, 5, -1, 0x7FFFFFFF}) {
        SCOPED_TRACE(sensorClass);
        checkRows(lib,
                  {
                      {"getNumberSensors", [&](cLibYAT& l) { return l.getNumberSensors(sensorClass, 1); }, 0},
                      {"getSensorReading", [&](cLibYAT& l) { return l.getSensorReading(sensorClass, 1, 1, &value); },
                       ERR_FAILED},
                      {"getSensorLimits",
                       [&](cLibYAT& l) { return l.getSensorLimits(sensorClass, 1, 1, &value, &value); }, ERR_FAILED},
                      {"getSensorStatus",
                       [&](cLibYAT& l) { return l.getSensorStatus(sensorClass, 1, 1, &value, &value, &value, &value); },
                       ERR_INVALID_INDEX},
                      {"getSensorType", [&](cLibYAT& l) { return l.getSensorType(sensorClass, 1, 1, &value); },
                       ERR_INVALID_INDEX},
                      {"getSensorLocation", [&](cLibYAT& l) { return l.getSensorLocation(sensorClass, 1, 1, &value); },
                       ERR_INVALID_INDEX},
                      {"getSensorInstance", [&](cLibYAT& l) { return l.getSensorInstance(sensorClass, 1, 1, &value); },
                       ERR_BAD_ANSWER},
                  });
    }
}

TEST(SharedResultsWithoutDevice, EveryOperationAnswersWithoutSending) {
    yattest::LogCapture log;
    cLibYAT lib(nullptr);
    ASSERT_FALSE(lib.libOk());
    char text[64] = {};
    int32_t value = 0;
    uint32_t count = 64;
    uint8_t byte = 0;
    checkRows(
        lib,
        {
            {"getNodeCount", [](cLibYAT& l) { return static_cast<int32_t>(l.getNodeCount()); }, 0},
            {"initSensors", [](cLibYAT& l) { return l.initSensors(nullptr); }, ERR_NO_DEVICE},
            {"getSystemState",
             [](cLibYAT& l) {
                 SystemStateInfo* none = nullptr;
                 return l.getSystemState(0, none);
             },
             ERR_FAILED},
            {"registerForAsynchEvents", [](cLibYAT& l) { return l.registerForAsynchEvents(nullptr); }, ERR_NO_DEVICE},
            {"initEvents", [](cLibYAT& l) { return l.initEvents(); }, ERR_DEVICE_NOT_OPEN},
            {"eraseLog", [](cLibYAT& l) { return l.eraseLog(0); }, ERR_DEVICE_NOT_OPEN},
            {"getDHCPEnable", [&](cLibYAT& l) { return l.getDHCPEnable(0, 1, &value); }, ERR_FAILED},
            {"getNetworkPort", [&](cLibYAT& l) { return l.getNetworkPort(0, 1, &value); }, ERR_DEVICE_NOT_OPEN},
            {"getSMTPConfiguration", [&](cLibYAT& l) { return l.getSMTPConfiguration(0, 0, text, &count); },
             ERR_DEVICE_NOT_OPEN},
            {"getLoginPolicyValue", [&](cLibYAT& l) { return l.getLoginPolicyValue(0, &value); }, ERR_DEVICE_NOT_OPEN},
            {"getPasswordInformation",
             [&](cLibYAT& l) { return l.getPasswordInformation(0, &byte, &value, &value, &byte); },
             ERR_DEVICE_NOT_OPEN},
            {"initGlint", [](cLibYAT& l) { return l.initGlint(); }, ERR_NO_DEVICE},
            {"getBluelightStatus", [&](cLibYAT& l) { return l.getBluelightStatus(0, &value); }, ERR_FAILED},
            {"checkSystemHealth", [&](cLibYAT& l) { return l.checkSystemHealth(0, &value, 1, 2); },
             ERR_DEVICE_NOT_OPEN},
        });
}

}  // namespace
