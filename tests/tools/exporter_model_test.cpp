// The exporter's snapshot as metric families: state mapping, unknown values keeping their series,
// the prefix, and the counters.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <prometheus/text_serializer.h>

#include "yat/codes.h"
#include "yatctl/exporter_model.h"

namespace {

using namespace yatctl::exporter;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct StateCase {
    int32_t status;
    double state;  // NaN: unknown
};

class ExporterState : public ::testing::TestWithParam<StateCase> {};

TEST_P(ExporterState, MapsTheLibraryStatus) {
    double state = sensorState(GetParam().status);
    if (std::isnan(GetParam().state)) {
        EXPECT_TRUE(std::isnan(state)) << GetParam().status;
    } else {
        EXPECT_EQ(state, GetParam().state) << GetParam().status;
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, ExporterState,
                         ::testing::Values(StateCase{yat::kStatusNormal, 0}, StateCase{yat::kStatusProcessorNormal, 0},
                                           StateCase{yat::kStatusWarning, 1}, StateCase{yat::kStatusCritical, 2},
                                           StateCase{yat::kStatusVoltageLow, 2}, StateCase{yat::kStatusVoltageHigh, 2},
                                           StateCase{yat::kStatusSupplyFailed, 2},
                                           StateCase{yat::kStatusProcessorHot, 2}, StateCase{yat::kStatusUnknown, kNaN},
                                           StateCase{yat::kStatusNotPresent, kNaN},
                                           StateCase{yat::kStatusNoNormals, kNaN}, StateCase{12345, kNaN}));

std::string exposition(const Snapshot& snapshot, const std::string& prefix) {
    return prometheus::TextSerializer().Serialize(buildFamilies(snapshot, prefix));
}

Snapshot oneNode() {
    Snapshot s;
    s.sensors.push_back({0, yat::kClassTemperature, 3, 1, 2, 41, 0});
    s.sensors.push_back({0, yat::kClassFan, 7, 4, 1, kNaN, kNaN});  // unread
    s.sensors.push_back({0, yat::kClassPowerSupply, 1, 37, 1, kNaN, 2});
    s.nodes.push_back({0, true, 1, {300, 600, 120, 5}, 12, "2.41", "1.21", "8687", "K1ABC23"});
    return s;
}

TEST(ExporterFamilies, EverySensorHasItsValueAndStateEvenWhenUnknown) {
    std::string text = exposition(oneNode(), "yat");
    EXPECT_NE(text.find("yat_temperature_celsius{id=\"3\",name=\"Temperature 2\",node=\"0\",type=\"1\"} 41"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("yat_fan_speed_rpm{id=\"7\",name=\"Fan 1\",node=\"0\",type=\"4\"} Nan"), std::string::npos);
    EXPECT_NE(text.find("yat_fan_speed_state{id=\"7\",name=\"Fan 1\",node=\"0\",type=\"4\"} Nan"), std::string::npos);
    EXPECT_NE(text.find("yat_power_supply_state{id=\"1\",name=\"Power Supply 1\",node=\"0\",type=\"37\"} 2"),
              std::string::npos);
    EXPECT_EQ(text.find("power_supply_value"), std::string::npos);  // supplies have a state only
    EXPECT_NE(text.find("yat_bmc_info{firmware_revision=\"2.41\",machine_type=\"8687\",node=\"0\",serial=\"K1ABC23\","
                        "system_firmware_version=\"1.21\"} 1"),
              std::string::npos);
    EXPECT_NE(text.find("yat_watchdog_timeout_seconds{node=\"0\",timer=\"post\"} 300"), std::string::npos);
    EXPECT_NE(text.find("yat_sel_entries_count{node=\"0\"} 12"), std::string::npos);
    EXPECT_NE(text.find("yat_up{node=\"0\"} 1"), std::string::npos);
}

TEST(ExporterFamilies, PrefixStartsEveryFamily) {
    for (const auto& family : buildFamilies(oneNode(), "ipmi")) {
        EXPECT_EQ(family.name.rfind("ipmi_", 0), 0u) << family.name;
    }
}

struct FreshnessCase {
    bool lastRefreshRead;       // the node's last refresh read its system state
    double lastRefreshSeconds;  // its last successful refresh
    double staleAfterSeconds;
    bool sensorsShown;  // its sensor series are on the page
    bool up;            // yat_up
};

class ExporterFreshness : public ::testing::TestWithParam<FreshnessCase> {};

// Node 1 per the case, node 0 always fresh: only node 1's series leave, and only with a bound.
TEST_P(ExporterFreshness, StaleNodesLoseTheirSensorSeriesAndAreDown) {
    const FreshnessCase& c = GetParam();
    Snapshot s = oneNode();
    s.nodes[0].lastRefreshSeconds = 1000;
    s.sensors.push_back({1, yat::kClassTemperature, 3, 1, 2, 44, 0});
    s.nodes.push_back({1, c.lastRefreshRead, 1, {kNaN, kNaN, kNaN, kNaN}, kNaN, "", "", "", "", c.lastRefreshSeconds});
    s.nowSeconds = 1000;
    s.staleAfterSeconds = c.staleAfterSeconds;
    std::string text = exposition(s, "yat");
    EXPECT_NE(text.find("yat_temperature_celsius{id=\"3\",name=\"Temperature 2\",node=\"0\",type=\"1\"} 41"),
              std::string::npos);
    EXPECT_NE(text.find("yat_up{node=\"0\"} 1"), std::string::npos);
    bool present = text.find("node=\"1\",type=\"1\"} 44") != std::string::npos;
    EXPECT_EQ(present, c.sensorsShown) << text;
    EXPECT_NE(text.find(std::string("yat_up{node=\"1\"} ") + (c.up ? "1" : "0")), std::string::npos) << text;
    EXPECT_NE(text.find("yat_last_refresh_timestamp_seconds{node=\"1\"} "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Bounds, ExporterFreshness,
                         ::testing::Values(FreshnessCase{true, 1000, 0.15, true, true},     // just refreshed
                                           FreshnessCase{true, 999.9, 0.15, true, true},    // within the bound
                                           FreshnessCase{false, 999.9, 0.15, true, false},  // failed once: down, kept
                                           FreshnessCase{false, 999, 0.15, false, false},   // stale: dropped
                                           FreshnessCase{true, 999, 0.15, false, false},    // refresh hung: dropped
                                           FreshnessCase{false, 0, 0.15, false, false},     // never refreshed
                                           FreshnessCase{false, 0, 0, true, false}));       // no bound: kept

TEST(ExporterModel, CollectorsStartDownAndFollowTheirLastAttempt) {
    Model model(1);
    model.setCollectorUp("sensors", true);
    std::string text = exposition(model.snapshot(), "yat");
    for (const char* down : {"system", "sel", "monitoring"}) {
        EXPECT_NE(text.find(std::string("yat_collector_up{collector=\"") + down + "\"} 0"), std::string::npos) << text;
    }
    EXPECT_NE(text.find("yat_collector_up{collector=\"sensors\"} 1"), std::string::npos);
}

TEST(ExporterModel, CountsEventsFailuresAndRoundsAndKeepsTheLogCountAcrossRefreshes) {
    Model model;
    model.setSelEntries(1, 4);
    model.countEvent(1, "fan");
    model.countEvent(1, "fan");
    model.countPfa(0);
    model.countFailure("ERR_FAILED");
    Snapshot first = oneNode();
    first.nodes[0].node = 1;
    model.replaceReadings(first.sensors, first.nodes, 1000.5);
    model.replaceReadings(first.sensors, first.nodes, 1001.5);
    std::string text = exposition(model.snapshot(), "yat");
    EXPECT_NE(text.find("yat_events_total{kind=\"fan\",node=\"1\"} 2"), std::string::npos) << text;
    EXPECT_NE(text.find("yat_pfa_events_total{node=\"0\"} 1"), std::string::npos);
    EXPECT_NE(text.find("yat_pfa_events_total{node=\"1\"} 0"), std::string::npos);  // a node without one
    EXPECT_NE(text.find("yat_sp_command_failures_total{result=\"ERR_FAILED\"} 1"), std::string::npos);
    EXPECT_NE(text.find("yat_polling_rounds_total 2"), std::string::npos);
    EXPECT_NE(text.find("yat_sel_entries_count{node=\"1\"} 4"), std::string::npos);
    EXPECT_NE(text.find("yat_last_poll_timestamp_seconds 1001.5"), std::string::npos);
}

}  // namespace
