// Event configuration: the supported alert walk, the alert table, initEvents and both forms of
// getEventConfiguration against a scripted SP.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "events/alert_table.h"
#include "events/event_configuration.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "yat/result_codes.h"

namespace {

using yattest::Bytes;
using yattest::FakeComm;
using yattest::LogCapture;

std::vector<int32_t> range(int32_t first, int32_t last) {
    std::vector<int32_t> rows;
    for (int32_t i = first; i <= last; ++i) rows.push_back(i);
    return rows;
}

struct WalkCase {
    const char* name;
    Bytes data;
    std::vector<int32_t> rows;
};

class SupportedEventWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(SupportedEventWalk, NamesTheTableRows) {
    const WalkCase& c = GetParam();
    EXPECT_EQ(supportedEventRows(c.data.data(), c.data.size()), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, SupportedEventWalk,
    ::testing::Values(WalkCase{"CriticalRange", {0x84, 4, 2, 1, 9}, range(0, 8)},
                      WalkCase{"LocalRangeSkipsMissingNumbers", {0x83, 5, 2, 16}, range(28, 42)},
                      WalkCase{"SingleWithoutRow", {0x04, 4, 2, 2, 5}, {}},
                      WalkCase{"SingleWithRow", {0x04, 4, 2, 2, 6}, {13}},
                      WalkCase{"SystemRangeTo16", {0x84, 4, 2, 3, 16}, range(15, 27)},
                      WalkCase{"RangeEndingAt255DoesNotWrap", {0x83, 5, 2, 0xFF}, range(28, 42)},
                      WalkCase{"Single255AddsNothing", {0x03, 5, 2, 0xFF}, {}},
                      WalkCase{"RangeEndingAt0AddsNothing", {0x84, 4, 2, 1, 0}, {}},
                      WalkCase{"GroupFourInRemoteFormIgnored", {0x84, 4, 2, 4, 9}, {}},
                      WalkCase{"WrongLengthIgnored", {0x85, 4, 2, 1, 9, 0, 0x03, 5, 2, 1}, {28}},
                      WalkCase{"SensorEntriesSkipped", {0x84, 2, 1, 1, 4, 0x04, 4, 2, 2, 1}, {9}},
                      WalkCase{"ElementRunningPastTheDataStopsTheWalk", {0x04, 4, 2, 2, 1, 0x84, 4, 2, 1}, {9}},
                      WalkCase{"ElementLengthPastTheDataStopsTheWalk", {0x7F, 4, 2, 1, 9}, {}}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

TEST(AlertTable, LookupStopsAtTheFirstLargerRow) {
    EXPECT_EQ(findAlertRow(1, 1), 0);
    EXPECT_EQ(findAlertRow(2, 6), 13);
    EXPECT_EQ(findAlertRow(3, 16), 27);
    EXPECT_EQ(findAlertRow(4, 16), 42);
    EXPECT_FALSE(findAlertRow(4, 5).has_value());
    EXPECT_FALSE(findAlertRow(3, 13).has_value());
    EXPECT_FALSE(findAlertRow(0, 1).has_value());
    EXPECT_FALSE(findAlertRow(5, 1).has_value());
    EXPECT_EQ(alertRow(43), nullptr);
    EXPECT_EQ(alertRow(-1), nullptr);
}

class EventConfig : public ::testing::Test {
protected:
    void SetUp() override { open(2); }

    void open(uint32_t nodes, int32_t id = 99) {
        lib.reset();
        comm = std::make_unique<FakeComm>(nodes, id);
        lib = std::make_unique<cLibYAT>(comm.get());
        comm->clearRequests();
    }

    // Node 0 lists the local events (out of table order) and the critical alerts 1 to 9; node 1 lists
    // only a temperature sensor.
    void scriptDefault() {
        comm->answer("1.1", {0x83, 5, 2, 16, 0x84, 2, 1, 1, 4, 0x84, 4, 2, 1, 9}).node(0);
        comm->answer("1.1", {0x84, 2, 1, 1, 4}).node(1);
    }

    LogCapture log;
    std::unique_ptr<FakeComm> comm;
    std::unique_ptr<cLibYAT> lib;
};

TEST_F(EventConfig, BuildsSortedListsPerNode) {
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);

    // 9 critical alerts then 15 local events, sorted by table position.
    int32_t type = 0;
    char description[64] = {};
    ASSERT_EQ(lib->getEventConfiguration(0, 0, &type, description, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(type, 15);
    EXPECT_STREQ(description, "Remote Critical Temperature Threshold Exceeded");
    ASSERT_EQ(lib->getEventConfiguration(0, 23, &type, description, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(type, 14);
    EXPECT_STREQ(description, "Local SP Unavailable");
    EXPECT_EQ(lib->getEventConfiguration(0, 24, &type, nullptr, nullptr, nullptr), ERR_INVALID_INDEX);
    EXPECT_TRUE(log.has("cLibYAT::getEventConfiguration", "invalid event instance"));

    // Node 1 supports nothing: its list is empty. No node 2 was walked.
    EXPECT_EQ(lib->getEventConfiguration(1, 0, &type, nullptr, nullptr, nullptr), ERR_INVALID_INDEX);
    EXPECT_EQ(lib->getEventConfiguration(2, 0, &type, nullptr, nullptr, nullptr), ERR_NO_DEVICE);
    EXPECT_TRUE(log.has("cLibYAT::getEventConfiguration", "invalid node"));
}

// Every node the walk reaches gets a list, empty when none of its elements names a table row: its
// queries answer "invalid event instance" (7) rather than "invalid node" (9), and a second initEvents
// leaves the lists alone instead of asking every node again.
TEST_F(EventConfig, NodesWithoutMatchingRowsGetEmptyLists) {
    comm->answer("1.1", {0x04, 4, 2, 2, 5}).node(0);  // group 2 has no number 5
    comm->answer("1.1", {0x84, 2, 1, 1, 4}).node(1);  // no alert element at all
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    int32_t type = 0;
    for (uint32_t node = 0; node < 2; ++node) {
        EXPECT_EQ(lib->getEventConfiguration(node, 0, &type, nullptr, nullptr, nullptr), ERR_INVALID_INDEX) << node;
    }
    EXPECT_EQ(log.countText("invalid event instance"), 2u);
    EXPECT_EQ(lib->getEventConfiguration(2, 0, &type, nullptr, nullptr, nullptr), ERR_NO_DEVICE);
    comm->clearRequests();
    EXPECT_EQ(lib->initEvents(), ERR_SUCCESS);
    EXPECT_EQ(comm->count("1.1"), 0u);
    EXPECT_TRUE(log.has("cLibYAT::initEvents", "already initialized"));
}

TEST_F(EventConfig, SecondInitLeavesTheListsAlone) {
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    comm->clearRequests();
    EXPECT_EQ(lib->initEvents(), ERR_SUCCESS);
    EXPECT_EQ(comm->count("1.1"), 0u);
    EXPECT_TRUE(log.has("cLibYAT::initEvents", "already initialized"));
}

TEST_F(EventConfig, FailedInitPublishesNothingAndCanBeRetried) {
    comm->answer("1.1", {0x84, 4, 2, 1, 9}).node(0);
    comm->fail("1.1", 5).node(1).times(1);
    comm->status("1.1", 3).node(1).times(1);
    comm->answer("1.1", {0x04, 4, 2, 2, 6}).node(1);

    EXPECT_EQ(lib->initEvents(), 5);
    EXPECT_EQ(lib->getEventConfiguration(0, 0, nullptr, nullptr, nullptr, nullptr), ERR_NO_DEVICE);
    EXPECT_EQ(lib->initEvents(), ERR_BAD_ANSWER);
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    int32_t type = 0;
    EXPECT_EQ(lib->getEventConfiguration(1, 0, &type, nullptr, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(type, 28);
}

TEST_F(EventConfig, MalformedSupportedCommandsAnswer) {
    comm->raw("1.1", {0x84, 4, 2, 1, 9}, [](uint8_t* buffer) { buffer[7] = 2; });
    EXPECT_EQ(lib->initEvents(), ERR_BAD_ANSWER);
}

TEST_F(EventConfig, TableOutputsDoNotTalkToTheSp) {
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    comm->clearRequests();
    int32_t type = 0;
    int32_t size = 0;
    char description[64];
    std::memset(description, 'x', sizeof description);
    EXPECT_EQ(lib->getEventConfiguration(0, 8, &type, description, &size, nullptr), ERR_SUCCESS);
    EXPECT_EQ(type, 23);
    EXPECT_STREQ(description, "Remote Incompatible Hardware Configuration");
    EXPECT_EQ(size, 64);
    EXPECT_EQ(lib->getEventConfiguration(0, 8, nullptr, nullptr, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_TRUE(comm->requests().empty());
}

TEST_F(EventConfig, EnableStateIsReadFromTheGroupCommand) {
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    comm->clearRequests();
    comm->answer("4.2.1.3", {0x05});
    comm->answer("5.2.10", {0x00});
    comm->status("4.2.1.4", 2);

    uint8_t enabled = 9;
    ASSERT_EQ(lib->getEventConfiguration(0, 2, nullptr, nullptr, nullptr, &enabled), ERR_SUCCESS);
    EXPECT_EQ(enabled, 1);
    // Local event 16 ("Local SP Unavailable") is the last entry: 5.2.x with x = 16.
    ASSERT_EQ(lib->getEventConfiguration(0, 23, nullptr, nullptr, nullptr, &enabled), ERR_SUCCESS);
    EXPECT_EQ(enabled, 0);
    enabled = 9;
    EXPECT_EQ(lib->getEventConfiguration(0, 3, nullptr, nullptr, nullptr, &enabled), ERR_BAD_ANSWER);
    EXPECT_EQ(enabled, 9);

    std::vector<yattest::Request> requests = comm->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].command, "4.2.1.3");
    EXPECT_EQ(requests[0].type, 2);
    EXPECT_TRUE(requests[0].data.empty());
    EXPECT_EQ(requests[1].command, "5.2.10");
}

TEST_F(EventConfig, HostThreadsInitAndReadAtOnce) {
    scriptDefault();
    comm->answer("4.2.1.1", {1});
    std::vector<std::thread> threads;
    std::vector<int32_t> results(4, -1);
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            int32_t result = lib->initEvents();
            for (int i = 0; i < 50 && result == ERR_SUCCESS; ++i) {
                int32_t type = 0;
                uint8_t enabled = 0;
                result = lib->getEventConfiguration(0, 0, &type, nullptr, nullptr, &enabled);
                if (result == ERR_SUCCESS && (type != 15 || enabled != 1)) result = -2;
            }
            results[t] = result;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(results, std::vector<int32_t>(4, ERR_SUCCESS));
}

struct SetCase {
    const char* name;
    uint32_t instance;  // in node 0's list of scriptDefault
    uint8_t value;
    uint8_t status;  // the SP's answer status
    int32_t result;
    const char* command;  // the set sent, or null for none
    uint8_t sent;
};

class EventConfigSet : public EventConfig, public ::testing::WithParamInterface<SetCase> {};

TEST_P(EventConfigSet, WritesTheEnableState) {
    const SetCase& c = GetParam();
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    comm->clearRequests();
    comm->status("4.2.1.2", c.status);
    uint8_t value = c.value;
    EXPECT_EQ(lib->getEventConfiguration(0, c.instance, &value), c.result);
    std::vector<yattest::Request> requests = comm->requests();
    if (c.command == nullptr) {
        EXPECT_TRUE(requests.empty());
        return;
    }
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].command, c.command);
    EXPECT_EQ(requests[0].type, 0);
    EXPECT_EQ(requests[0].data, Bytes{c.sent});
}

INSTANTIATE_TEST_SUITE_P(Cases, EventConfigSet,
                         ::testing::Values(SetCase{"NonZeroSendsOne", 1, 0x40, 0, ERR_SUCCESS, "4.2.1.2", 1},
                                           SetCase{"ZeroSendsZero", 1, 0, 0, ERR_SUCCESS, "4.2.1.2", 0},
                                           SetCase{"SpRefusal", 1, 1, 2, ERR_BAD_ANSWER, "4.2.1.2", 1},
                                           SetCase{"LocalEventSendsNothing", 12, 1, 0, ERR_SUCCESS, nullptr, 0}),
                         [](const ::testing::TestParamInfo<SetCase>& info) { return info.param.name; });

TEST_F(EventConfig, NullEnableDoesNothing) {
    scriptDefault();
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    comm->clearRequests();
    EXPECT_EQ(lib->getEventConfiguration(0, 0, nullptr), ERR_SUCCESS);
    EXPECT_EQ(lib->getEventConfiguration(0, 99, nullptr), ERR_INVALID_INDEX);
    EXPECT_TRUE(comm->requests().empty());
}

TEST_F(EventConfig, WithoutCommDevice) {
    open(1, 42);
    int32_t value = 5;
    uint8_t enable = 1;
    EXPECT_EQ(lib->initEvents(), ERR_DEVICE_NOT_OPEN);
    EXPECT_TRUE(log.has("cLibYAT::initEvents", "device not open"));
    EXPECT_EQ(lib->getEventConfiguration(0, 0, &value, nullptr, nullptr, nullptr), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(lib->getEventConfiguration(0, 0, &enable), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(lib->checkSystemHealth(0, &value, 1, 2), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(value, 5);
}

TEST(EventConfigEntry, OperationsWithoutRowOrOutput) {
    LogCapture log;
    cEventConfig none;
    cEventConfig row(0);
    int32_t value = 0;
    char text[64];
    uint8_t flag = 0;
    EXPECT_EQ(none.getType(&value), ERR_INVALID_INDEX);
    EXPECT_EQ(none.getDescription(text), ERR_INVALID_INDEX);
    EXPECT_EQ(none.getEnabled(nullptr, 0, &flag), ERR_INVALID_INDEX);
    EXPECT_EQ(none.setEnabled(nullptr, 0, 1), ERR_INVALID_INDEX);
    EXPECT_TRUE(log.has("cEventConfig::getType", "invalid index"));
    EXPECT_EQ(none.getDescMaxSize(&value), ERR_SUCCESS);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(row.getType(nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(row.getDescription(nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(row.getDescMaxSize(nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(row.getEnabled(nullptr, 0, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(log.has("cEventConfig::getDescription", "invalid parameter"));
}

}  // namespace
