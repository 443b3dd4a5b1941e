// The bounded walk over the supported-commands list.

#include <gtest/gtest.h>

#include <vector>

#include "sensor_sp.h"
#include "sensors/supported_commands.h"

namespace {

using sensortest::Bytes;
using sensortest::entry;
using sensortest::join;

std::vector<size_t> offsetsOf(const Bytes& data, size_t length, bool* truncated = nullptr) {
    SupportedCommandWalk walk(data.data(), length);
    std::vector<size_t> offsets;
    SupportedCommandEntry e;
    while (walk.next(&e)) offsets.push_back(e.offset);
    if (truncated != nullptr) *truncated = walk.truncated();
    return offsets;
}

TEST(SupportedCommands, RangeAndSingleEntries) {
    Bytes data = join({entry({2, 1, 1, 4}, true), entry({2, 1, 1, 4}), entry({2, 2, 1, 1, 30}, true)});
    SupportedCommandWalk walk(data.data(), data.size());
    SupportedCommandEntry e;
    SensorReadingEntry sensor;

    ASSERT_TRUE(walk.next(&e));
    EXPECT_EQ(e.bytes[0], 0x84);
    ASSERT_TRUE(sensorReadingEntry(e, &sensor));
    EXPECT_EQ(sensor.sensorClass, 1);
    EXPECT_EQ(sensor.location, 1);
    EXPECT_EQ(sensor.first, 1);
    EXPECT_EQ(sensor.last, 4);

    ASSERT_TRUE(walk.next(&e));
    EXPECT_EQ(e.offset, 5u);
    ASSERT_TRUE(sensorReadingEntry(e, &sensor));
    EXPECT_EQ(sensor.first, 4);
    EXPECT_EQ(sensor.last, 4);

    // With the range flag the last number is the entry's last byte.
    ASSERT_TRUE(walk.next(&e));
    ASSERT_TRUE(sensorReadingEntry(e, &sensor));
    EXPECT_EQ(sensor.sensorClass, 2);
    EXPECT_EQ(sensor.instanceByte, 1);
    EXPECT_EQ(sensor.first, 1);
    EXPECT_EQ(sensor.last, 30);
    EXPECT_FALSE(walk.next(&e));
    EXPECT_FALSE(walk.truncated());
}

TEST(SupportedCommands, OnlySensorReadingEntriesAreSensors) {
    Bytes data = join({entry({4, 2, 1}), entry({2}), entry({2, 1}), entry({2, 1, 5})});
    SupportedCommandWalk walk(data.data(), data.size());
    SupportedCommandEntry e;
    SensorReadingEntry sensor;
    std::vector<bool> used;
    while (walk.next(&e)) used.push_back(sensorReadingEntry(e, &sensor));
    EXPECT_EQ(used, (std::vector<bool>{false, false, true, true}));
    // A short entry reads no bytes of the next one: location and instance are 0.
    EXPECT_EQ(sensor.location, 5);
    EXPECT_EQ(sensor.instanceByte, 0);
}

TEST(SupportedCommands, WalkStopsBeforeAnEntryRunningPastTheData) {
    Bytes data = join({entry({2, 1, 1, 1}), entry({2, 2, 1, 1})});
    bool truncated = true;
    EXPECT_EQ(offsetsOf(data, data.size(), &truncated), (std::vector<size_t>{0, 5}));
    EXPECT_FALSE(truncated);
    // Cut the second entry by one byte: it is not handed out.
    EXPECT_EQ(offsetsOf(data, data.size() - 1, &truncated), (std::vector<size_t>{0}));
    EXPECT_TRUE(truncated);
    // An entry claiming 127 bytes in a 3-byte list.
    Bytes bogus = {0x7F, 2, 1};
    EXPECT_TRUE(offsetsOf(bogus, bogus.size(), &truncated).empty());
    EXPECT_TRUE(truncated);
    // Zero-length entries advance one byte each.
    Bytes zeros = {0, 0, 0x80};
    EXPECT_EQ(offsetsOf(zeros, zeros.size()), (std::vector<size_t>{0, 1, 2}));
    EXPECT_TRUE(offsetsOf({}, 0).empty());
    SupportedCommandWalk none(nullptr, 100);
    SupportedCommandEntry e;
    EXPECT_FALSE(none.next(&e));
}

TEST(SupportedCommands, RangeUpTo255) {
    Bytes data = entry({2, 1, 1, 255}, true);
    SupportedCommandWalk walk(data.data(), data.size());
    SupportedCommandEntry e;
    SensorReadingEntry sensor;
    ASSERT_TRUE(walk.next(&e));
    ASSERT_TRUE(sensorReadingEntry(e, &sensor));
    EXPECT_EQ(sensor.first, 1);
    EXPECT_EQ(sensor.last, 255);
    EXPECT_EQ(e.firstCovered(), 1);
    EXPECT_EQ(e.lastCovered(), 255);
}

}  // namespace
