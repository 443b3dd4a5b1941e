// The host's sensor queries, from the model discovery built.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "kit/scoped_settings.h"
#include "sensor_sp.h"
#include "sensors/sensor_classes.h"

namespace {

using sensortest::entry;
using sensortest::join;
using sensortest::Peek;
using sensortest::ScriptedSp;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;

TEST(SensorQueries, AbsentObjects) {
    LogCapture log;
    FakeComm comm(1);
    cLibYAT lib(&comm);
    int32_t value = -1, other = -1;
    for (int32_t sensorClass = 1; sensorClass <= 4; ++sensorClass) {
        EXPECT_EQ(lib.getNumberSensors(sensorClass, 1), 0);
        EXPECT_EQ(lib.getSensorReading(sensorClass, 1, 1, &value), ERR_FAILED);
        EXPECT_EQ(lib.getSensorLimits(sensorClass, 1, 1, &value, &other), ERR_FAILED);
        EXPECT_EQ(lib.getSensorStatus(sensorClass, 1, 1, &value, &other, &other, &other), ERR_INVALID_INDEX);
        EXPECT_EQ(lib.getSensorType(sensorClass, 1, 1, &value), ERR_INVALID_INDEX);
        EXPECT_EQ(lib.getSensorLocation(sensorClass, 1, 1, &value), ERR_INVALID_INDEX);
        EXPECT_EQ(lib.getSensorInstance(sensorClass, 1, 1, &value), ERR_BAD_ANSWER);
    }
    EXPECT_EQ(value, -1);
    EXPECT_EQ(log.texts("cLibYAT::getNumberSensors"),
              (std::vector<std::string>{
                  "getting number of sensorsers", "getting number TEMP of sensors", "TEMP is NULL",
                  "getting number TEMP of sensors", "getting number of sensorsers", "getting number VOLTAGE of sensors",
                  "VOLTAGE is NULL", "getting number of sensorsers", "getting number FAN of sensors", "FAN is NULL",
                  "getting number of sensorsers", "getting number PS of sensors", "POWER is NULL"}));
    EXPECT_EQ(log.texts("cLibYAT::getSensorStatus"),
              (std::vector<std::string>{"getting sensor status", "about to return from getSensorStatus",
                                        "getting sensor status", "about to return from getSensorStatus",
                                        "getting sensor status", "about to return from getSensorStatus",
                                        "getting sensor status", "about to return from getSensorStatus"}));
}

class SensorQueriesAfterDiscovery : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedSp sp(comm);
        sp.supported(join({entry({2, 1, 5, 1}), entry({2, 1, 2, 1}), entry({2, 2, 1, 3})}));
        sp.temp(5, 1, -5, 60, 50);
        sp.temp(2, 1, 45, 90, 80);
        sp.volt(3, 330, 350, 310);
        sp.fan(1, 30);
        sp.power(0x03, 0x00);
        for (int32_t supply = 1; supply <= 8; ++supply) sp.noPowerVpd(supply);
        ASSERT_EQ(lib.initSensors(&sink), 0);
    }

    LogCapture log;
    FakeComm comm{1};
    RecordingSink sink;
    cLibYAT lib{&comm};
};

TEST_F(SensorQueriesAfterDiscovery, ValuesTravelInTheirSlots) {
    int32_t reading = 0;
    EXPECT_EQ(lib.getSensorReading(1, 1, 1, &reading), 0);
    EXPECT_EQ(reading, -5);
    EXPECT_TRUE(log.has("cLibYAT::getSensorReading", "got the temp reading for node [1] sensor [1] and it is [-5]"));

    float volts = 0;
    EXPECT_EQ(lib.getSensorReading(2, 1, 1, &volts), 0);
    float expected = 3.3f;
    EXPECT_EQ(std::memcmp(&volts, &expected, sizeof volts), 0);
    float upper = 0, lower = 0;
    EXPECT_EQ(lib.getSensorLimits(2, 1, 1, &upper, &lower), 0);
    EXPECT_FLOAT_EQ(upper, 3.5f);
    EXPECT_FLOAT_EQ(lower, 3.1f);

    int32_t status = 0, value = 0, low = 0, high = 0;
    EXPECT_EQ(lib.getSensorStatus(1, 1, 2, &status, &value, &low, &high), 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(value, 45);
    EXPECT_EQ(low, 80);
    EXPECT_EQ(high, 90);
    EXPECT_EQ(lib.getSensorReading(3, 1, 1, &value), 0);
    EXPECT_EQ(value, 1500);
    EXPECT_TRUE(log.has("cLibYAT::getSensorReading", "got the fan reading for node [1] sensor [1] and it is [1500]"));

    EXPECT_EQ(lib.getSensorType(1, 1, 2, &value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(lib.getSensorLocation(1, 1, 2, &value), 0);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(lib.getSensorInstance(2, 1, 1, &value), 0);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(lib.getSensorType(3, 1, 1, &value), 0);
    EXPECT_EQ(value, 32);
    EXPECT_EQ(lib.getSensorLocation(4, 1, 2, &value), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(lib.getSensorInstance(4, 1, 2, &value), 0);
    EXPECT_EQ(value, 1);
}

TEST_F(SensorQueriesAfterDiscovery, OtherClassesAndMissingSensors) {
    int32_t value = -1, other = -1;
    EXPECT_EQ(lib.getSensorReading(4, 1, 1, &value), ERR_FAILED);  // supplies have no reading
    EXPECT_EQ(lib.getSensorLimits(4, 1, 1, &value, &other), ERR_FAILED);
    EXPECT_EQ(lib.getSensorInstance(5, 1, 1, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(lib.getSensorType(5, 1, 1, &value), ERR_INVALID_INDEX);
    EXPECT_EQ(lib.getSensorLimits(5, 1, 1, &value, &other), ERR_FAILED);
    EXPECT_EQ(lib.getSensorReading(0, 1, 1, &value), ERR_FAILED);
    EXPECT_EQ(lib.getSensorStatus(5, 1, 1, &value, &other, &other, &other), ERR_INVALID_INDEX);
    EXPECT_EQ(lib.getNumberSensors(5, 1), 0);
    EXPECT_EQ(lib.getSensorReading(1, 1, 9, &value), ERR_INVALID_INDEX);
    EXPECT_EQ(lib.getSensorReading(1, 2, 1, &value), ERR_INVALID_INDEX);
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(log.has("cLibYAT::getSensorReading", "could not get the temp reading for node [1] sensor [9]"));
    // Supply status from discovery (normals supported: 0).
    value = -1;
    EXPECT_EQ(lib.getSensorStatus(4, 1, 1, &value, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(lib.getNumberSensors(4, 1), 2);
    EXPECT_EQ(lib.getNumberSensors(1, 7), 2);  // the node argument is not used
}

// Two host threads query one record while a third rewrites it; every answer must come from one
// whole record (reading and both limits are written together).
TEST_F(SensorQueriesAfterDiscovery, ReadersNeverSeeATornRecord) {
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.logEnabled = false; });
    Peek<cTempInstance> temps;
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> answered{0};
    auto write = [&temps](int32_t k) {
        (void)temps->instances().update(1, 1, [k](SensorRecord& record) {
            record.reading = record.lowerLimit = record.upperLimit = k;
            record.status = k % 3;
        });
    };
    write(0);
    auto reader = [&] {
        while (!stop.load()) {
            int32_t status = 0, reading = 0, lower = 0, upper = 0;
            if (lib.getSensorStatus(1, 1, 1, &status, &reading, &lower, &upper) == 0) {
                if (reading != lower || reading != upper || status != reading % 3) ++torn;
                ++answered;
            }
            int32_t alone = 0;
            lib.getSensorReading(1, 1, 1, &alone);
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    // Keep writing until both readers have had their turn (bounded, in case they never get one).
    for (int32_t k = 1; k <= 20000 || (answered.load() < 2000 && k < 50000000); ++k) write(k);
    stop.store(true);
    first.join();
    second.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(answered.load(), 0);
}

// Host threads query while discovery runs again (and, on the first run, publishes the objects).
TEST(SensorQueriesDuringDiscovery, QueriesRunWhileDiscoveryRewritesTheModel) {
    LogCapture log;
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.logEnabled = false; });
    FakeComm comm(1);
    ScriptedSp sp(comm);
    sp.supported(join({entry({2, 1, 2, 1}), entry({2, 2, 1, 1})}));
    sp.temp(2, 1, 45, 90, 80);
    sp.volt(1, 330, 350, 310);
    sp.fan(1, 30);
    sp.power(0x03, 0x00);
    for (int32_t supply = 1; supply <= 8; ++supply) sp.noPowerVpd(supply);
    cLibYAT lib(&comm);
    RecordingSink sink;
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    auto reader = [&] {
        while (!stop.load()) {
            int32_t reading = 0;
            int32_t result = lib.getSensorReading(1, 1, 1, &reading);
            if (result == 0 && reading != 45) ++wrong;
            if (result != 0 && result != ERR_FAILED) ++wrong;  // absent object until the first run is done
            int32_t status = 0;
            lib.getSensorStatus(4, 1, 1, &status, nullptr, nullptr, nullptr);
            lib.getNumberSensors(3, 1);
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    for (int run = 0; run < 5; ++run) EXPECT_EQ(lib.initSensors(&sink), 0);
    stop.store(true);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(lib.getNumberSensors(1, 1), 5);
}

}  // namespace
