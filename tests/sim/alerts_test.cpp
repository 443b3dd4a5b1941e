// The simulated SP's alert family: enable states, the available and active event-code lists, and the
// library's event configuration and system health over the default scenario.

#include <gtest/gtest.h>

#include "events/event_config_wire.h"
#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "sim/scenario.h"
#include "sim/sections/alerts.h"
#include "sim_test_util.h"
#include "yat/result_codes.h"

namespace {

using simtest::send;
using yatsim::Bytes;
using yatsim::NodeState;
using yatsim::SimBusComm;

Bytes be32(std::initializer_list<uint32_t> codes) {
    Bytes bytes;
    for (uint32_t code : codes) eventwire::appendCode(bytes, code);
    return bytes;
}

TEST(SimAlerts, EnableStatesAreKeptPerNode) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "4.2.1.1").data(), Bytes{1});
    EXPECT_EQ(send(comm, "4.2.1.3").data(), Bytes{0});  // disabled by the scenario
    EXPECT_EQ(send(comm, "4.2.1.1", wire::kSet, {0}).status(), 0);
    EXPECT_EQ(send(comm, "4.2.1.1").data(), Bytes{0});
    EXPECT_EQ(send(comm, "4.2.1.1", wire::kGet, {}, 1).data(), Bytes{1});
    EXPECT_EQ(send(comm, "4.2.3.a").data(), Bytes{0});   // number 10, disabled
    EXPECT_EQ(send(comm, "4.2.3.10").data(), Bytes{0});  // number 16, disabled
    EXPECT_EQ(send(comm, "4.2.2.14").status(), 2);       // not supported
    EXPECT_EQ(send(comm, "4.2.2.14", wire::kSet, {1}).status(), 2);
    EXPECT_EQ(send(comm, "4.2.1.1", wire::kSet, {1, 1}).status(), 1);  // one byte only
    // Local events: the event registrations set any number, and the state reads back.
    EXPECT_EQ(send(comm, "5.2.80", wire::kSet, {1}).status(), 0);
    EXPECT_EQ(send(comm, "5.2.80").data(), Bytes{1});
    EXPECT_EQ(send(comm, "5.2.10").data(), Bytes{1});
}

TEST(SimAlerts, AvailableCodesComeInGroups) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "2.7.3").data(), be32({0x0421C701, 0x0421C702, 113, 107}));
    EXPECT_EQ(send(comm, "2.7.3", wire::kGetNext).data(), be32({0x05100001, 0x05200001, 0x06014000}));
    EXPECT_EQ(send(comm, "2.7.3", wire::kGetNext).status(), 7);
    // A new get starts over.
    EXPECT_EQ(send(comm, "2.7.3").data(), be32({0x0421C701, 0x0421C702, 113, 107}));
}

TEST(SimAlerts, ActiveCodesComeAndGo) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "2.7.4").status(), 7);
    comm.withNode(0, [](NodeState& node) {
        for (uint32_t cpu = 1; cpu <= 9; ++cpu) EXPECT_TRUE(yatsim::addActiveCode(node, 0x0421C700 + cpu));
        EXPECT_FALSE(yatsim::addActiveCode(node, 0x0421C701));
        return 0;
    });
    EXPECT_EQ(send(comm, "2.7.4").data().size(), 32u);
    EXPECT_EQ(send(comm, "2.7.4", wire::kGetNext).data(), be32({0x0421C709}));
    EXPECT_EQ(send(comm, "2.7.4", wire::kGetNext).status(), 7);
    EXPECT_EQ(send(comm, "2.7.4", wire::kGet, {}, 1).status(), 7);  // node 1 unchanged

    comm.withNode(0, [](NodeState& node) {
        for (uint32_t cpu = 2; cpu <= 9; ++cpu) EXPECT_TRUE(yatsim::removeActiveCode(node, 0x0421C700 + cpu));
        EXPECT_FALSE(yatsim::removeActiveCode(node, 0x0421C702));
        return 0;
    });
    EXPECT_EQ(send(comm, "2.7.4").data(), be32({0x0421C701}));
}

TEST(SimAlerts, ScenarioErrors) {
    EXPECT_THROW(yatsim::parseScenario(R"({"nodes": [{"alerts": {"supported": [{"group": 1}]}}]})", "t"),
                 yatsim::ScenarioError);
    EXPECT_THROW(yatsim::parseScenario(R"({"nodes": [{"alerts": {"supported": [{"group": 5, "upTo": 2}]}}]})", "t"),
                 yatsim::ScenarioError);
    EXPECT_THROW(
        yatsim::parseScenario(
            R"({"nodes": [{"alerts": {"supported": [{"group": 1, "upTo": 2}], "disabled": [{"group": 1, "number": 3}]}}]})",
            "t"),
        yatsim::ScenarioError);
    // Without the section: no elements, the standard available codes, nothing active.
    SimBusComm comm(yatsim::parseScenario(R"({"nodes": [{}]})", "t"));
    EXPECT_EQ(send(comm, "2.7.3").data(), be32({0x0421C701, 0x0421C702, 0x0421C703, 0x0421C704, 113, 107}));
    EXPECT_EQ(send(comm, "2.7.3", wire::kGetNext).data(), be32({0x05100001, 0x05200001, 0x06014000}));
    EXPECT_EQ(send(comm, "2.7.4").status(), 7);
}

class SimEventConfig : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS); }
    void TearDown() override { closeLibrary(); }

    yattest::LogCapture log;
    SimBusComm comm;
    cLibYAT* lib = nullptr;
};

TEST_F(SimEventConfig, DefaultScenarioSupportsTheWholeTable) {
    ASSERT_EQ(lib->initEvents(), ERR_SUCCESS);
    for (uint32_t node = 0; node < 2; ++node) {
        int32_t type = 0;
        EXPECT_EQ(lib->getEventConfiguration(node, 42, &type, nullptr, nullptr, nullptr), ERR_SUCCESS);
        EXPECT_EQ(type, 14);
        EXPECT_EQ(lib->getEventConfiguration(node, 43, &type, nullptr, nullptr, nullptr), ERR_INVALID_INDEX);
    }
    // Instance 2 is "Remote Tamper Alarm", disabled on the SP; enabling it on node 1 leaves node 0.
    uint8_t enabled = 9;
    ASSERT_EQ(lib->getEventConfiguration(1, 2, nullptr, nullptr, nullptr, &enabled), ERR_SUCCESS);
    EXPECT_EQ(enabled, 0);
    uint8_t on = 1;
    ASSERT_EQ(lib->getEventConfiguration(1, 2, &on), ERR_SUCCESS);
    ASSERT_EQ(lib->getEventConfiguration(1, 2, nullptr, nullptr, nullptr, &enabled), ERR_SUCCESS);
    EXPECT_EQ(enabled, 1);
    ASSERT_EQ(lib->getEventConfiguration(0, 2, nullptr, nullptr, nullptr, &enabled), ERR_SUCCESS);
    EXPECT_EQ(enabled, 0);
}

TEST_F(SimEventConfig, HealthFollowsTheActiveCodes) {
    int32_t value = -1;
    ASSERT_EQ(lib->checkSystemHealth(0, &value, 3, 4), ERR_SUCCESS);
    EXPECT_EQ(value, 0);
    comm.withNode(0, [](NodeState& node) { return yatsim::addActiveCode(node, 113); });
    ASSERT_EQ(lib->checkSystemHealth(0, &value, 3, 4), ERR_SUCCESS);
    EXPECT_EQ(value, 3);
    comm.withNode(0, [](NodeState& node) { return yatsim::addActiveCode(node, 107); });
    ASSERT_EQ(lib->checkSystemHealth(0, &value, 3, 4), ERR_SUCCESS);
    EXPECT_EQ(value, 4);
    ASSERT_EQ(lib->checkSystemHealth(1, &value, 3, 4), ERR_SUCCESS);
    EXPECT_EQ(value, 0);
}

}  // namespace
