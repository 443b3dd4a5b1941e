// Sensor names and node numbering as people and programs see them.

#include <gtest/gtest.h>

#include <set>

#include "yat/codes.h"
#include "yatctl/sensor_words.h"

namespace {

TEST(SensorWords, NamesAreUniqueOnANodeAndReadable) {
    std::set<std::string> names;
    size_t sensors = 0;
    // Every location discovery stores (4 and its alternate 6 never both hold one instance), every
    // instance an SP can list.
    for (int32_t location : {1, 2, 3, 4, 5}) {
        for (int32_t instance = 0; instance < 32; ++instance, ++sensors) {
            names.insert(yatctl::sensorName(yat::kClassTemperature, location, instance));
        }
    }
    for (int32_t instance = 0; instance < 32; ++instance, sensors += 3) {
        names.insert(yatctl::sensorName(yat::kClassVoltage, 1, instance));
        names.insert(yatctl::sensorName(yat::kClassFan, 0, instance));
        names.insert(yatctl::sensorName(yat::kClassPowerSupply, 7, instance));
    }
    EXPECT_EQ(names.size(), sensors);

    EXPECT_EQ(yatctl::sensorName(yat::kClassTemperature, 2, 1), "CPU 1 temperature");
    EXPECT_EQ(yatctl::sensorName(yat::kClassTemperature, 6, 1), "Drive backplane temperature 1");
    EXPECT_EQ(yatctl::sensorName(yat::kClassFan, 0, 3), "Fan 3");
    EXPECT_EQ(yatctl::sensorName(yat::kClassPowerSupply, 7, 0), "Power supply 1");  // sensor number 1
    EXPECT_EQ(yatctl::sensorKind(yat::kClassTemperature, 4), "drive_backplane");
    EXPECT_EQ(yatctl::shownNode(1), 0);
    EXPECT_EQ(yatctl::sensorKeyNode(yatctl::shownNode(3)), 3);
}

// Which slot is which limit, per class: a temperature's two slots are both upper limits.
TEST(SensorWords, LimitsFollowTheClass) {
    using L = yatctl::SensorLimits;
    auto same = [](const L& a, const L& b) {
        return a.lowerCritical == b.lowerCritical && a.lowerWarning == b.lowerWarning &&
               a.upperWarning == b.upperWarning && a.upperCritical == b.upperCritical;
    };
    struct Case {
        int32_t sensorClass;
        double lower, upper;
        L expected;
    };
    const Case cases[] = {{yat::kClassTemperature, 80, 85, {std::nullopt, std::nullopt, 80.0, 85.0}},
                          {yat::kClassVoltage, -12.6, -11.4, {-12.6, std::nullopt, std::nullopt, -11.4}},
                          {yat::kClassFan, 550, 550, {550.0, std::nullopt, std::nullopt, std::nullopt}},
                          {yat::kClassTemperature, 0, 0, {}},  // location 3: none
                          {yat::kClassPowerSupply, 1, 2, {}}};
    for (const Case& c : cases) {
        EXPECT_TRUE(same(yatctl::sensorLimits(c.sensorClass, c.lower, c.upper), c.expected)) << c.sensorClass;
    }
}

TEST(SensorWords, SeverityAndWordsForCodes) {
    EXPECT_EQ(yatctl::statusSeverity(yat::kClassTemperature, yat::kStatusWarning), 1);
    EXPECT_EQ(yatctl::statusSeverity(yat::kClassFan, yat::kStatusCritical), 2);
    EXPECT_EQ(yatctl::statusSeverity(yat::kClassPowerSupply, yat::kStatusSupplyFailed), 2);
    EXPECT_EQ(yatctl::statusSeverity(yat::kClassPowerSupply, yat::kStatusUnknown), 0);  // not checked yet
    EXPECT_EQ(yatctl::statusSeverity(yat::kClassVoltage, yat::kStatusVoltageLow), 2);
    EXPECT_EQ(yatctl::spTypeWord(yat::kSpTypeGarnet), "Garnet");
    EXPECT_EQ(yatctl::spTypeWord(yat::kSpTypeGarnetSsl), "Garnet SSL");
    EXPECT_EQ(yatctl::spTypeWord(99), "type 99");
    EXPECT_EQ(yatctl::portName(1), "HTTP");
    EXPECT_EQ(yatctl::portName(6), "SNMP traps");
    EXPECT_EQ(yatctl::portName(7), "");
    EXPECT_EQ(yatctl::locatorWord(0x2A), "byte 0x2A");
}

}  // namespace
