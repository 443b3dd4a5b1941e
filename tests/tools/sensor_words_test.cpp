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

}  // namespace
