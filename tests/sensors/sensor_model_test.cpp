// The sensor model: keys, records, the answer decoders, the commands on the wire and the status
// rules of each class.

#include <gtest/gtest.h>

#include <cstring>

#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "sensors/instance_map.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_decoders.h"
#include "sensor_sp.h"

namespace {

using sensortest::Bytes;
using sensortest::hundredths;
using sensortest::ScriptedSp;
using yattest::FakeComm;
using yattest::LogCapture;

std::vector<std::string> keysOf(std::initializer_list<std::pair<int, int>> keys) {
    cInstanceMap map;
    for (auto [node, sensor] : keys) map.Add(node, sensor, SensorRecord{});
    return map.keys();
}

TEST(InstanceMap, KeysSortAsByteStrings) {
    EXPECT_EQ(keysOf({{1, 2}, {2, 1}, {1, 10}, {10, 1}}),
              (std::vector<std::string>{"node10|sensor1", "node1|sensor10", "node1|sensor2", "node2|sensor1"}));
    EXPECT_EQ(cInstanceMap::makeKey(-3, 2147483647), "node-3|sensor2147483647");
}

TEST(InstanceMap, ReadAddAndOverwrite) {
    LogCapture log;
    cInstanceMap map;
    SensorRecord out;
    out.reading = 99;
    EXPECT_EQ(map.Read(1, 1, &out), 1);
    EXPECT_EQ(out.reading, 99);  // absent: nothing copied

    SensorRecord record;
    record.reading = 5;
    record.valid = 0;
    map.Add(1, 1, record);
    EXPECT_EQ(map.Read(1, 1, &out), 1);  // not valid, but copied
    EXPECT_EQ(out.reading, 5);

    record.reading = 6;
    record.valid = 1;
    map.Add(1, 1, record);
    EXPECT_EQ(map.Read(1, 1, &out), 0);
    EXPECT_EQ(out.reading, 6);
    EXPECT_EQ(map.size(), 1u);

    EXPECT_TRUE(log.has("cInstanceMap::Add", "adding generic sensor to map"));
    EXPECT_TRUE(log.has("cInstanceMap::Add", "The instance [node1|sensor1] was not found and was inserted"));
    EXPECT_TRUE(log.has("cInstanceMap::Add", "The instance [node1|sensor1] was found and is being updated"));
    EXPECT_TRUE(log.has("cInstanceMap::Read", "Getting Default reading for node [1] and sensor [1]"));
}

TEST(InstanceMap, RewriteAndUpdateTouchOnlyExistingRecords) {
    cInstanceMap map;
    SensorRecord record;
    record.node = 1;
    record.sensorNumber = 3;
    EXPECT_FALSE(map.rewrite(record));
    EXPECT_FALSE(map.update(1, 3, [](SensorRecord& r) { r.status = 9; }));
    EXPECT_EQ(map.size(), 0u);
    map.Add(1, 3, record);
    record.reading = 40;
    record.valid = 1;
    EXPECT_TRUE(map.rewrite(record));
    EXPECT_TRUE(map.update(1, 3, [](SensorRecord& r) { r.status = 9; }));
    std::vector<SensorRecord> all = map.snapshot();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].reading, 40);
    EXPECT_EQ(all[0].status, 9);
}

TEST(SensorInst, InsertInstanceCopiesTheFieldsOfItsClass) {
    LogCapture log;
    cTempInstance temps;
    SensorSource source;
    source.nodeIndex = 2;
    source.sensorClass = 1;
    source.location = 5;
    source.instanceNumber = 4;
    source.reading = 41;
    source.upperLimit = 70;
    source.lowerLimit = 60;
    source.sensorType = 4;
    source.voltReading = 1.5f;  // not a temperature field
    source.status = 1;
    source.normalsSupported = 0;
    temps.insertInstance(3, 7, &source, true);
    SensorRecord record;
    ASSERT_EQ(temps.instances().Read(3, 7, &record), 0);
    EXPECT_EQ(record.reading, 41);
    EXPECT_EQ(record.upperLimit, 70);
    EXPECT_EQ(record.lowerLimit, 60);
    EXPECT_EQ(record.voltReading, 0.0f);
    EXPECT_EQ(record.sensorNumber, 7);
    EXPECT_EQ(record.node, 3);
    EXPECT_EQ(record.nodeIndex, 2);
    EXPECT_EQ(record.instanceNumber, 4);
    EXPECT_EQ(record.location, 5);
    EXPECT_EQ(record.sensorType, 4);
    EXPECT_EQ(record.status, 1);
    EXPECT_EQ(record.normalsSupported, 1);
    EXPECT_EQ(record.secondPowerFlag, 1);
    EXPECT_TRUE(log.has("cSensorInst::insertInstance", "class [1] has postnumelemnts [1]"));

    // The same key again: one record, two counted.
    temps.insertInstance(3, 7, &source, false);
    EXPECT_EQ(temps.elementCount(), 2);
    EXPECT_EQ(temps.instances().size(), 1u);
    EXPECT_EQ(temps.getSensorReading(3, 7, &record.reading), ERR_INVALID_INDEX);
    temps.insertInstance(3, 8, nullptr, true);
    EXPECT_EQ(temps.elementCount(), 2);

    cVoltInstance volts;
    SensorSource voltSource;
    voltSource.sensorClass = 2;
    voltSource.reading = 12;
    voltSource.voltReading = 3.3f;
    voltSource.voltUpperLimit = 3.5f;
    voltSource.voltLowerLimit = 3.1f;
    voltSource.sensorType = 5;
    volts.insertInstance(1, 1, &voltSource, true);
    ASSERT_EQ(volts.instances().Read(1, 1, &record), 0);
    EXPECT_EQ(record.reading, 0);
    EXPECT_EQ(record.voltReading, 3.3f);
    EXPECT_EQ(record.voltUpperLimit, 3.5f);
    EXPECT_EQ(record.voltLowerLimit, 3.1f);
    EXPECT_EQ(record.sensorType, 5);

    cPowerInstance supplies;
    SensorSource powerSource;
    powerSource.sensorClass = 4;
    powerSource.reading = 5;
    powerSource.sensorType = 37;
    powerSource.normalsSupported = 0;
    powerSource.secondPowerFlag = 1;
    supplies.insertInstance(1, 1, &powerSource, true);
    ASSERT_EQ(supplies.instances().Read(1, 1, &record), 0);
    EXPECT_EQ(record.reading, 0);
    EXPECT_EQ(record.sensorType, 37);
    EXPECT_EQ(record.normalsSupported, 0);
    EXPECT_EQ(record.secondPowerFlag, 1);
}

TEST(SensorInst, ModelQueriesWriteNothingForMissingOrInvalidRecords) {
    LogCapture log;
    cFanInst fans;
    SensorSource source;
    source.sensorClass = 3;
    source.reading = 1200;
    fans.insertInstance(1, 1, &source, false);
    int32_t status = -1, reading = -1, lower = -1, upper = -1, value = -1;
    EXPECT_EQ(fans.getSensorStatus(1, 1, &status, &reading, &lower, &upper), ERR_INVALID_INDEX);
    EXPECT_EQ(fans.getSensorStatus(1, 2, &status, &reading, &lower, &upper), ERR_INVALID_INDEX);
    EXPECT_EQ(fans.getSensorType(1, 1, &value), ERR_INVALID_INDEX);
    EXPECT_EQ(fans.getSensorLimits(1, 1, &upper, &lower), ERR_INVALID_INDEX);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(reading, -1);
    EXPECT_EQ(value, -1);
    const std::string tag = "cSensorInst::getSensorStatus";
    EXPECT_EQ(log.texts(tag), (std::vector<std::string>{"attempting to get sensor [1]", "not a valid element",
                                                        "about to return from method", "attempting to get sensor [2]",
                                                        "could not find the element for node [1] sensor [2]",
                                                        "about to return from method"}));
}

TEST(SensorDecoders, ScaleReadingsPerClass) {
    int32_t value = 0;
    const uint8_t minus100[] = {0x9C, 0xFF};
    EXPECT_EQ(decodeSensorValue(1, minus100, 2, &value), 0);
    EXPECT_EQ(value, -1);
    const uint8_t tenThousand[] = {0x10, 0x27};
    EXPECT_EQ(decodeSensorValue(1, tenThousand, 2, &value), 0);
    EXPECT_EQ(value, 100);
    const uint8_t minus550[] = {0xDA, 0xFD};  // -5.50 truncates toward zero
    EXPECT_EQ(decodeSensorValue(1, minus550, 2, &value), 0);
    EXPECT_EQ(value, -5);

    float volts = 0;
    const uint8_t thousand[] = {0xE8, 0x03};
    EXPECT_EQ(decodeSensorValue(2, thousand, 2, &volts), 0);
    EXPECT_FLOAT_EQ(volts, 10.0f);
    const uint8_t minusThousand[] = {0x18, 0xFC};
    EXPECT_EQ(decodeSensorValue(2, minusThousand, 2, &volts), 0);
    EXPECT_FLOAT_EQ(volts, -10.0f);

    const uint8_t stopped[] = {255};
    EXPECT_EQ(decodeSensorValue(3, stopped, 1, &value), 0);
    EXPECT_EQ(value, 0);
    const uint8_t eleven[] = {11};
    EXPECT_EQ(decodeSensorValue(3, eleven, 1, &value), 0);
    EXPECT_EQ(value, 550);
}

TEST(SensorDecoders, RejectWrongLengthsAndClasses) {
    int32_t value = 77;
    const uint8_t three[] = {1, 2, 3};
    EXPECT_EQ(decodeSensorValue(1, three, 3, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(decodeSensorValue(1, three, 1, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(decodeSensorValue(2, three, 0, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(decodeSensorValue(3, three, 2, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(decodeSensorValue(4, three, 2, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(decodeSensorValue(1, nullptr, 2, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(value, 77);

    int32_t status = -1;
    uint8_t good = 0;
    const uint8_t one[] = {0x03};
    EXPECT_EQ(decodePowerStatus(nullptr, 0, 0, &status, &good), ERR_BAD_ANSWER);
    EXPECT_EQ(decodePowerStatus(one, 1, 0, &status, &good), ERR_BAD_ANSWER);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(decodeMultiNodeId(one, 1), -1);
    const uint8_t none[] = {0, 0, 255};
    EXPECT_EQ(decodeMultiNodeId(none, 3), -1);
    const uint8_t five[] = {0, 0, 5};
    EXPECT_EQ(decodeMultiNodeId(five, 3), 5);
}

class SensorCommands : public ::testing::Test {
protected:
    LogCapture log;
    FakeComm comm{1};
    ScriptedSp sp{comm};
    cTempInstance temps;
    cVoltInstance volts;
    cFanInst fans;
    cPowerInstance supplies;
};

TEST_F(SensorCommands, ReadingCommandsOnTheWire) {
    int32_t value = 0;
    sp.temp(2, 3, 45);
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 2, 3, &value, &comm), 0);
    EXPECT_EQ(value, 45);
    (void)fans.getSPSensorReading(0, 3, 0, 5, &value, &comm);
    (void)volts.getSPSensorReading(0, 2, 1, 20, &value, &comm);
    EXPECT_EQ(temps.getSPSensorReading(0, 4, 7, 1, &value, &comm), ERR_COMMAND_FAILED);  // nothing built
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"2.1.2.3", "2.3.5", "2.2.1.14"}));
    auto requests = comm.requests();
    EXPECT_EQ(requests[0].type, 2);
    EXPECT_TRUE(requests[0].data.empty());
    EXPECT_TRUE(log.has("cSensorInst::getSPSensorReading", "node [0] instanceClass [1] location [2] and offset [3]"));
    EXPECT_TRUE(log.has("cSPSensorMonCmd::buildCommand", "fan instType [3] location [0] instanceNum [5]"));
}

TEST_F(SensorCommands, ReadingFailures) {
    int32_t value = 1234;
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 1, &value, nullptr), ERR_NO_DEVICE);
    comm.fail("2.1.1.1", 31);
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 1, &value, &comm), ERR_COMMAND_FAILED);
    EXPECT_TRUE(log.has("cSensorInst::getSPSensorReading",
                        "command failed node [0] instanceClass [1] location [1] and offset [1] returnVal [31]"));
    comm.status("2.1.1.2", 7);
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 2, &value, &comm), ERR_BAD_ANSWER);
    comm.answer("2.1.1.3", {1, 2, 3});  // wrong data length
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 3, &value, &comm), ERR_BAD_ANSWER);
    comm.answer("2.1.1.4", {1, 2}).claimLength(4000);  // claims more than the buffer holds
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 4, &value, &comm), ERR_BAD_ANSWER);
    comm.answer("2.1.1.5", {1, 2}).echoLength(3);
    EXPECT_EQ(temps.getSPSensorReading(0, 1, 1, 5, &value, &comm), ERR_BAD_ANSWER);
    EXPECT_EQ(value, 1234);
    EXPECT_TRUE(log.has("cSPMonitorCmd::getCommandData", "error path-instType 1, command status [7]"));

    sp.fanUnavailable(2);
    EXPECT_EQ(fans.getSPSensorReading(0, 3, 0, 2, &value, &comm), ERR_DEVICE_UNAVAILABLE);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(log.has("cSPMonitorCmd::getCommandData", "error path-FAN DEVICE_UNAVAILABLE"));
}

// A refused build clears the object as every builder does: no earlier answer stays readable and
// nothing can be sent.
TEST_F(SensorCommands, RefusedBuildsLeaveNoEarlierAnswer) {
    sp.temp(2, 3, 45);
    cSPSensorLimitCmd command;
    ASSERT_NE(command.buildCommand(1, 2, 3), nullptr);
    ASSERT_EQ(command.send(&comm, 0), 0u);
    ASSERT_TRUE(command.answerOk());
    EXPECT_EQ(command.buildCommand(4, 0, 1), nullptr);  // power supplies have no reading command
    EXPECT_EQ(command.answerType(), 0);
    EXPECT_EQ(command.answerDataLength(), 0);
    EXPECT_EQ(command.send(&comm, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));

    ASSERT_NE(command.buildCommand(1, 2, 3), nullptr);
    ASSERT_EQ(command.send(&comm, 0), 0u);
    EXPECT_EQ(command.buildLimitCommand(1, 3, 1, 2), nullptr);  // location 3 has no limit command
    EXPECT_EQ(command.answerType(), 0);
    EXPECT_EQ(command.answerDataLength(), 0);
    EXPECT_EQ(command.send(&comm, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"2.1.2.3", "2.1.2.3"}));
}

TEST_F(SensorCommands, TemperatureLimitCommandsPerLocation) {
    int32_t upper = 0, lower = 0;
    (void)temps.getSPSensorLimits(0, 1, 1, 3, &upper, &lower, &comm);  // location 1, instance 3 -> target 9
    (void)temps.getSPSensorLimits(0, 1, 2, 4, &upper, &lower, &comm);  // CPU 4
    (void)temps.getSPSensorLimits(0, 1, 4, 9, &upper, &lower, &comm);  // DASD backplane
    (void)temps.getSPSensorLimits(0, 1, 5, 2, &upper, &lower, &comm);
    (void)temps.getSPSensorLimits(0, 1, 6, 2, &upper, &lower, &comm);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.2.1.9.3", "4.3.2.1.9.2", "4.3.2.1.9.1", "4.3.2.1.5.4.3",
                                                         "4.3.2.1.5.4.2", "4.3.2.1.5.4.1", "4.3.2.1.6.1.3",
                                                         "4.3.2.1.6.1.2", "4.3.2.1.6.1.1", "4.3.2.1.7.3", "4.3.2.1.7.2",
                                                         "4.3.2.1.7.1", "4.3.2.1.2.3", "4.3.2.1.2.2", "4.3.2.1.2.1"}));
    comm.clearRequests();
    upper = 5;
    lower = 6;
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 3, 1, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 1, 7, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 0, 1, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 1, 1, &upper, &lower, nullptr), ERR_NO_DEVICE);
    EXPECT_TRUE(comm.commands().empty());
    EXPECT_EQ(upper, 5);
    EXPECT_EQ(lower, 6);
}

TEST_F(SensorCommands, TemperatureLimitsUseTheAlternateUpperOnlyWhenNeeded) {
    comm.answer("4.3.2.1.1.3", hundredths(6000));
    comm.answer("4.3.2.1.1.2", hundredths(7000));
    int32_t upper = 0, lower = 0;
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 1, 1, &upper, &lower, &comm), 0);
    EXPECT_EQ(upper, 70);
    EXPECT_EQ(lower, 60);
    EXPECT_EQ(comm.count("4.3.2.1.1.1"), 0u);

    comm.fail("4.3.2.1.2.2", 21);
    EXPECT_EQ(temps.getSPSensorLimits(0, 1, 1, 2, &upper, &lower, &comm), 21);
    EXPECT_EQ(comm.count("4.3.2.1.2.1"), 0u);
}

TEST_F(SensorCommands, TemperatureStatus) {
    struct Case {
        int32_t degrees;
        int32_t expected;
    };
    for (Case c : {Case{70, 3}, Case{62, 2}, Case{60, 1}, Case{-5, 1}}) {
        comm.clearRules();
        sp.temp(5, 1, c.degrees, 65, 60);
        int32_t status = -1, reading = 0, upper = 0, lower = 0;
        EXPECT_EQ(temps.getSPSensorStatus(0, 1, 5, 1, &status, &reading, &upper, &lower, &comm), 0);
        EXPECT_EQ(status, c.expected) << c.degrees;
        EXPECT_EQ(reading, c.degrees);
        EXPECT_EQ(upper, 65);
        EXPECT_EQ(lower, 60);
    }
    EXPECT_TRUE(log.has(
        "cTempInstance::getSPSensorStatus",
        "got the reading and limits for sensor [1] reading [70] upperlim [65] lowerlim [60] status [3] retVal [0]"));

    // Known limits are not fetched again.
    comm.clearRequests();
    int32_t status = -1, reading = 0, upper = 80, lower = 75;
    EXPECT_EQ(temps.getSPSensorStatus(0, 1, 5, 1, &status, &reading, &upper, &lower, &comm), 0);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"2.1.5.1"}));
    EXPECT_EQ(status, 1);

    // No limits from the SP: status 0, result 7. Reading failure: status 0, result 2.
    comm.clearRules();
    sp.temp(5, 1, 30);
    upper = lower = 0;
    status = -1;
    EXPECT_EQ(temps.getSPSensorStatus(0, 1, 5, 1, &status, &reading, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(status, 0);
    status = -1;
    EXPECT_EQ(temps.getSPSensorStatus(0, 1, 5, 2, &status, &reading, &upper, &lower, &comm), ERR_BAD_ANSWER);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(temps.getSPSensorStatus(0, 1, 5, 2, &status, &reading, &upper, &lower, nullptr), ERR_NO_DEVICE);
}

// The status rule of each class with limits, at each limit and one step either side of it.
// Temperatures in degrees (warning limit 60, upper limit 65), voltages in hundredths of a volt
// (11.50 and 12.60), fans in units of 50 RPM (both limits 550 RPM).
TEST_F(SensorCommands, StatusAtEveryLimit) {
    struct Case {
        int32_t sensorClass;
        int32_t value;
        int32_t expected;
    };
    const Case cases[] = {
        {1, 59, 1},   {1, 60, 1},   {1, 61, 2},   {1, 64, 2},   {1, 65, 2}, {1, 66, 3}, {2, 1149, 6}, {2, 1150, 1},
        {2, 1151, 1}, {2, 1259, 1}, {2, 1260, 1}, {2, 1261, 9}, {3, 10, 3}, {3, 11, 1}, {3, 12, 1},
    };
    for (const Case& c : cases) {
        comm.clearRules();
        int32_t status = -1;
        int32_t result = -1;
        if (c.sensorClass == 1) {
            sp.temp(5, 1, c.value, 65, 60);
            int32_t reading = 0, upper = 0, lower = 0;
            result = temps.getSPSensorStatus(0, 1, 5, 1, &status, &reading, &upper, &lower, &comm);
        } else if (c.sensorClass == 2) {
            sp.volt(3, c.value, 1260, 1150);
            float reading = 0, upper = 0, lower = 0;
            result = volts.getSPSensorStatus(0, 2, 1, 3, &status, &reading, &upper, &lower, &comm);
        } else {
            sp.fan(1, static_cast<uint8_t>(c.value));
            int32_t reading = 0, upper = 0, lower = 0;
            result = fans.getSPSensorStatus(0, 3, 0, 1, &status, &reading, &upper, &lower, &comm);
        }
        EXPECT_EQ(result, ERR_SUCCESS) << "class " << c.sensorClass << " value " << c.value;
        EXPECT_EQ(status, c.expected) << "class " << c.sensorClass << " value " << c.value;
    }
}

TEST_F(SensorCommands, VoltageLimitsTryThreeSelectorsEach) {
    comm.answer("4.3.2.2.1.6", hundredths(0));
    comm.answer("4.3.2.2.1.7", hundredths(1150));
    comm.answer("4.3.2.2.1.2", hundredths(1260));
    float upper = 0, lower = 0;
    EXPECT_EQ(volts.getSPSensorLimits(0, 2, 1, 1, &upper, &lower, &comm), 0);
    EXPECT_FLOAT_EQ(lower, 11.5f);
    EXPECT_FLOAT_EQ(upper, 12.6f);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.2.2.1.6", "4.3.2.2.1.7", "4.3.2.2.1.2"}));

    comm.clearRequests();
    upper = lower = 0;
    EXPECT_EQ(volts.getSPSensorLimits(0, 2, 1, 14, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.2.2.0.6", "4.3.2.2.0.7", "4.3.2.2.0.8", "4.3.2.2.0.2",
                                                         "4.3.2.2.0.3", "4.3.2.2.0.4"}));
    comm.clearRequests();
    EXPECT_EQ(volts.getSPSensorLimits(0, 2, 1, 21, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_TRUE(comm.commands().empty());
}

TEST_F(SensorCommands, VoltageStatus) {
    sp.volt(3, 1140, 1260, 1150);
    int32_t status = -1;
    float reading = 0, upper = 0, lower = 0;
    EXPECT_EQ(volts.getSPSensorStatus(0, 2, 1, 3, &status, &reading, &upper, &lower, &comm), 0);
    EXPECT_EQ(status, 6);
    EXPECT_FLOAT_EQ(reading, 11.4f);

    // Both limits known: compared without fetching them again.
    comm.clearRequests();
    upper = 11.0f;
    lower = 10.0f;
    EXPECT_EQ(volts.getSPSensorStatus(0, 2, 1, 3, &status, &reading, &upper, &lower, &comm), 0);
    EXPECT_EQ(status, 9);
    upper = 12.0f;
    EXPECT_EQ(volts.getSPSensorStatus(0, 2, 1, 3, &status, &reading, &upper, &lower, &comm), 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"2.2.1.3", "2.2.1.3"}));

    // No limits anywhere: status 0, result 7.
    sp.volt(4, 330);
    upper = lower = 0;
    EXPECT_EQ(volts.getSPSensorStatus(0, 2, 1, 4, &status, &reading, &upper, &lower, &comm), ERR_INVALID_INDEX);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(volts.getSPSensorStatus(0, 2, 1, 5, &status, &reading, &upper, &lower, &comm), ERR_BAD_ANSWER);
}

TEST_F(SensorCommands, FanStatus) {
    sp.fan(1, 11);
    sp.fan(2, 255);
    sp.fan(3, 10);
    sp.fanUnavailable(4);
    struct Case {
        int32_t instance;
        int32_t result;
        int32_t status;
        int32_t reading;
    };
    for (Case c : {Case{1, 0, 1, 550}, Case{2, 0, 3, 0}, Case{3, 0, 3, 500}, Case{4, 14, 3, 0}, Case{5, 2, 0, -9}}) {
        int32_t status = -1, reading = -9, upper = 0, lower = 0;
        EXPECT_EQ(fans.getSPSensorStatus(0, 3, 0, c.instance, &status, &reading, &upper, &lower, &comm), c.result);
        EXPECT_EQ(status, c.status) << c.instance;
        EXPECT_EQ(reading, c.reading) << c.instance;
        if (c.result == 0) {
            EXPECT_EQ(upper, 550);
            EXPECT_EQ(lower, 550);
        }
    }
    EXPECT_TRUE(log.has(
        "cFanInstance::getSPSensorStatus",
        "fan reading succeeded for sensor [1] with reading of [550] lowerlim [550] upperlim [550] and status of [1]"));
    EXPECT_TRUE(log.has("cFanInstance::getSPSensorStatus", "fan reading failed for sensor [4]"));
    int32_t upper = 0, lower = 0;
    EXPECT_EQ(fans.getSPSensorLimits(0, 3, 0, 1, &upper, &lower, &comm), 0);
    EXPECT_EQ(upper, 550);
    int32_t status = 0, reading = 0;
    EXPECT_EQ(fans.getSPSensorStatus(0, 3, 0, 1, &status, &reading, &upper, &lower, nullptr), ERR_NO_DEVICE);
    EXPECT_TRUE(log.has("cFanInstance::getSPSensorStatus", "device equals NULL"));
}

TEST_F(SensorCommands, PowerStatus) {
    sp.power(0x03, 0x02);
    for (auto [instance, expected] : {std::pair{0, 1}, std::pair{1, 3}, std::pair{2, 3}, std::pair{9, 3}}) {
        int32_t status = -1;
        EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, instance, &status, nullptr, nullptr, nullptr, &comm), 0);
        EXPECT_EQ(status, expected) << instance;
    }
    EXPECT_TRUE(log.has("cPowerInstance::getSPSensorStatus", "the pwrBuffer 3 [0] 2 [1] instanceNum [0]"));
    EXPECT_EQ(comm.count("f.5.1"), 4u);
}

TEST_F(SensorCommands, PowerStatusFailures) {
    int32_t status = -1;
    // The SP keeps saying the device is unavailable: three tries, then status 47.
    comm.status("f.5.1", 7).times(3);
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, &comm), 0);
    EXPECT_EQ(status, 47);
    EXPECT_EQ(comm.count("f.5.1"), 3u);
    EXPECT_TRUE(
        log.has("cPowerInstance::getSPSensorStatus", "the power supply check returned retVal [0] and status [7]"));

    // A non-zero status is asked three times, then fails.
    comm.clearRequests();
    comm.status("f.5.1", 5).times(3);
    status = -1;
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, &comm), ERR_BAD_ANSWER);
    EXPECT_EQ(comm.count("f.5.1"), 3u);
    EXPECT_EQ(status, -1);

    // The third try succeeds.
    comm.clearRequests();
    comm.status("f.5.1", 5).times(2);
    comm.answer("f.5.1", {0x01, 0x00}).times(1);
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, &comm), 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(comm.count("f.5.1"), 3u);

    // An answer without the two status bytes, and a send failure.
    comm.answer("f.5.1", {}).times(1);
    status = -1;
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, &comm), ERR_BAD_ANSWER);
    EXPECT_EQ(status, -1);
    comm.fail("f.5.1", 19).times(1);
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, &comm), 19);
    EXPECT_EQ(supplies.getSPSensorStatus(0, 4, 0, 0, &status, nullptr, nullptr, nullptr, nullptr), ERR_NO_DEVICE);
}

TEST(SharedClassObjects, OneObjectPerClassWithAUseCount) {
    cFanInst* first = cFanInst::acquireInstance();
    cFanInst* second = cFanInst::acquireInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(SharedClassObject<cFanInst>::users(), 2);
    cFanInst::releaseInstance();
    EXPECT_EQ(SharedClassObject<cFanInst>::users(), 1);
    cFanInst::releaseInstance();
    EXPECT_EQ(SharedClassObject<cFanInst>::users(), 0);
}

}  // namespace
