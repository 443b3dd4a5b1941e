// The polling update: fans (with a fan coming back), temperatures and CPU indicators, voltages, power
// supplies, the stop flag and SP failures in the middle of a round.

#include <gtest/gtest.h>

#include <cstring>

#include "event_test_kit.h"
#include "events/polling_update.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"

namespace {

using eventtest::ClassObjects;
using eventtest::put;
using eventtest::recordOf;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;
using yattest::Report;

class Polling : public ::testing::Test {
protected:
    void round() {
        PolledClasses classes{objects.fans, objects.temps, objects.volts, objects.power};
        updateNonAsynchReadings(&comm, classes, &sink, stop);
    }

    LogCapture log;
    FakeComm comm{2};
    RecordingSink sink;
    ClassObjects objects;
    std::atomic<bool> stop{false};
};

SensorSource fan(int32_t instance, int32_t reading = 1500, int32_t status = 1) {
    SensorSource source;
    source.instanceNumber = instance;
    source.reading = reading;
    source.upperLimit = 550;
    source.lowerLimit = 550;
    source.status = status;
    source.sensorType = 32;
    return source;
}

TEST_F(Polling, FailedFanReadKeepsTheRecordUntilItReadsAgain) {
    put(objects.fans, 0, 1, fan(1, 1500));
    comm.fail("2.3.1").times(1);
    comm.answer("2.3.1", {8});  // 400 RPM: below 550
    round();
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_EQ(recordOf(objects.fans, 1, 1).reading, 1500);
    round();
    ASSERT_EQ(sink.reports().size(), 1u);
    Report report = sink.reports()[0];
    EXPECT_EQ(std::make_tuple(report.sensorClass, report.node, report.sensor, report.code),
              std::make_tuple(3, 1, 1, 3));
    EXPECT_EQ(report.first, 400);
    EXPECT_EQ(report.second, 550);
    EXPECT_EQ(report.third, 550);
    SensorRecord record = recordOf(objects.fans, 1, 1);
    EXPECT_EQ(record.reading, 400);
    EXPECT_EQ(record.status, 3);
}

TEST_F(Polling, FanStoredInvalidComesBackWithItsRegistryText) {
    put(objects.fans, 1, 2, fan(2, 0, 0), false);
    comm.answer("2.3.2", {24}).node(1);  // 1200 RPM
    round();
    SensorRecord record = recordOf(objects.fans, 2, 2);
    EXPECT_EQ(record.valid, 1);
    EXPECT_EQ(record.reading, 1200);
    EXPECT_EQ(record.status, 1);
    EXPECT_EQ(record.upperLimit, 550);
    EXPECT_EQ(record.sensorType, 32);
    ASSERT_EQ(sink.registryCalls().size(), 1u);
    EXPECT_EQ(sink.registryCalls()[0].keyPath, "SOFTWARE\\Zentro\\Vigilor\\SPfan");
    EXPECT_EQ(sink.registryCalls()[0].text, "node[1] sensor2\n\n");
    ASSERT_EQ(sink.reports().size(), 1u);
    Report back = sink.reports()[0];
    EXPECT_EQ(std::make_tuple(back.sensorClass, back.node, back.sensor, back.code), std::make_tuple(3, 2, 2, 46));
    EXPECT_EQ(back.first, 2);
    EXPECT_EQ(back.second, 1);
    EXPECT_FALSE(back.third.has_value());

    sink.clear();
    round();
    ASSERT_EQ(sink.reports().size(), 1u);
    EXPECT_EQ(sink.reports()[0].code, 1);
    EXPECT_EQ(sink.reports()[0].first, 1200);
    EXPECT_TRUE(sink.registryCalls().empty());
}

TEST_F(Polling, StoppedFanStaysInvalid) {
    put(objects.fans, 0, 1, fan(1, 0, 0), false);
    comm.answer("2.3.1", {255});
    round();
    EXPECT_EQ(recordOf(objects.fans, 1, 1).valid, 0);
    EXPECT_TRUE(sink.reports().empty());
}

TEST_F(Polling, TemperatureIsReadWithItsStoredLimits) {
    SensorSource source;
    source.location = 5;
    source.instanceNumber = 1;
    source.upperLimit = 60;
    source.lowerLimit = 50;
    source.status = 1;
    put(objects.temps, 0, 1, source);
    comm.answer("2.1.5.1", {0x20, 0x15});  // 54.40 degrees
    round();
    ASSERT_EQ(sink.reports().size(), 1u);
    EXPECT_EQ(sink.reports()[0].code, 2);
    EXPECT_EQ(sink.reports()[0].first, 54);
    EXPECT_EQ(comm.count("4.3.2.1.7.2"), 0u);  // known limits are not read again
    EXPECT_EQ(recordOf(objects.temps, 1, 1).status, 2);
}

SensorSource cpuPlaceholder(int32_t instance, int32_t status) {
    SensorSource source;
    source.location = 2;
    source.instanceNumber = instance;
    source.status = status;
    return source;
}

TEST_F(Polling, CpuIndicatorsKeepTheirStateWhenTheCodesCannotBeRead) {
    put(objects.temps, 0, 3, cpuPlaceholder(1, 51), false);
    comm.status("2.7.4", 2);
    round();
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_EQ(recordOf(objects.temps, 1, 3).status, 51);
}

TEST_F(Polling, VoltageReportCarriesTheFloatValues) {
    SensorSource source;
    source.location = 1;
    source.instanceNumber = 3;
    source.voltUpperLimit = 3.5f;
    source.voltLowerLimit = 3.1f;
    source.status = 1;
    put(objects.volts, 0, 1, source);
    comm.answer("2.2.1.3", {0x4A, 0x01});  // 3.30 V
    round();
    ASSERT_EQ(sink.reports().size(), 1u);
    auto asFloat = [](std::optional<int32_t> bits) {
        float value = 0;
        int32_t raw = bits.value_or(0);
        std::memcpy(&value, &raw, sizeof value);
        return value;
    };
    EXPECT_FLOAT_EQ(asFloat(sink.reports()[0].first), 3.3f);
    EXPECT_FLOAT_EQ(asFloat(sink.reports()[0].second), 3.5f);
    EXPECT_FLOAT_EQ(asFloat(sink.reports()[0].third), 3.1f);
    EXPECT_EQ(sink.reports()[0].code, 1);
    EXPECT_FLOAT_EQ(recordOf(objects.volts, 1, 1).voltReading, 3.3f);
}

SensorSource supply(int32_t instance, bool secondFlag) {
    SensorSource source;
    source.instanceNumber = instance;
    source.normalsSupported = 1;
    source.secondPowerFlag = secondFlag ? 1 : 0;
    source.sensorType = 37;
    return source;
}

TEST_F(Polling, SupplyAppearingMakesEverySupplyOfItsNodePolled) {
    put(objects.power, 0, 1, supply(0, false));
    put(objects.power, 0, 2, supply(1, false), false);
    put(objects.power, 0, 3, supply(2, false), false);  // after the one that appears: next round
    comm.answer("f.5.1", {0x03, 0x00}).node(0);
    round();
    EXPECT_EQ(comm.count("f.5.1"), 1u);  // the valid supply with one normal is not polled
    SensorRecord first = recordOf(objects.power, 1, 1);
    SensorRecord second = recordOf(objects.power, 1, 2);
    EXPECT_EQ(first.secondPowerFlag, 1);
    EXPECT_EQ(second.valid, 1);
    EXPECT_EQ(second.secondPowerFlag, 1);
    EXPECT_EQ(recordOf(objects.power, 1, 3).valid, 0);
    std::vector<int32_t> announced;
    for (const Report& r : sink.reports()) {
        EXPECT_EQ(r.code, 46);
        announced.push_back(r.sensor);
    }
    EXPECT_EQ(announced, (std::vector<int32_t>{1, 2}));

    sink.clear();
    comm.clearRequests();
    round();  // both supplies are polled now; supply 2 is not present
    EXPECT_EQ(comm.count("f.5.1"), 3u);
    EXPECT_EQ(sink.reports().size(), 2u);
}

TEST_F(Polling, StopFlagEndsTheRoundBeforeItStarts) {
    put(objects.fans, 0, 1, fan(1));
    stop = true;
    round();
    EXPECT_TRUE(comm.requests().empty());
    EXPECT_EQ(log.texts("updateNonAsynchReadings"), std::vector<std::string>{"entering the routine"});
}

// Fails the first n sends of a round, for every n (the failures add up): the round goes on and
// no record is lost or moved.
TEST_F(Polling, EverySendMayFail) {
    put(objects.fans, 0, 1, fan(1));
    put(objects.fans, 0, 2, fan(2, 0, 0), false);
    SensorSource temp;
    temp.location = 5;
    temp.instanceNumber = 1;
    temp.status = 1;
    put(objects.temps, 0, 1, temp);
    put(objects.temps, 0, 2, cpuPlaceholder(1, 51), false);
    put(objects.power, 0, 1, supply(0, true));
    put(objects.power, 0, 2, supply(1, true), false);
    comm.answer("2.3.1", {30});
    comm.answer("2.3.2", {30});
    comm.answer("2.1.5.1", {0x20, 0x15});
    comm.answer("4.3.2.1.7.2", {0x70, 0x17});
    comm.answer("4.3.2.1.7.3", {0x88, 0x13});
    comm.answer("2.7.4", {}).type(2);
    comm.answer("f.5.1", {0x01, 0x00});
    round();
    size_t sends = comm.requests().size();
    ASSERT_GT(sends, 5u);
    for (size_t n = 1; n <= sends; ++n) {
        comm.clearRequests();
        comm.failNth(static_cast<int>(n));
        round();
        EXPECT_EQ(recordOf(objects.fans, 1, 1).node, 1);
    }
}

}  // namespace
