// The exporter's snapshot as metric families: state mapping, unknown values keeping their series,
// limits, the prefix, and the counters; and the sink telling the SPs' events from the polling.

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#include <limits>
#include <prometheus/text_serializer.h>

#include "yat/codes.h"
#include "yatctl/exporter_model.h"
#include "yatctl/exporter_sink.h"

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
    s.sensors.push_back({0, yat::kClassTemperature, 3, "CPU 2 temperature", "cpu", 41, 0, {85, 80, kNoLimit}});
    s.sensors.push_back({0, yat::kClassFan, 7, "Fan 1", "fan", kNaN, kNaN});  // unread
    s.sensors.push_back({0, yat::kClassPowerSupply, 1, "Power supply 1", "power_supply", kNaN, 2});
    s.sensors.push_back({0, yat::kClassVoltage, 2, "Voltage 2", "voltage", 3.31, 0, {3.47, kNoLimit, 3.14}});
    s.nodes.push_back({0, true, 1, {300, 600, 120, 5}, 12, "2.41", "1.21", "8687", "K1ABC23"});
    return s;
}

TEST(ExporterFamilies, EverySensorHasItsValueAndStateEvenWhenUnknown) {
    std::string text = exposition(oneNode(), "yat");
    const std::string cpu = "{id=\"3\",name=\"CPU 2 temperature\",node=\"0\",type=\"cpu\"} ";
    EXPECT_NE(text.find("yat_temperature_celsius" + cpu + "41"), std::string::npos) << text;
    EXPECT_NE(text.find("yat_fan_speed_rpm{id=\"7\",name=\"Fan 1\",node=\"0\",type=\"fan\"} Nan"), std::string::npos);
    EXPECT_NE(text.find("yat_fan_speed_state{id=\"7\",name=\"Fan 1\",node=\"0\",type=\"fan\"} Nan"), std::string::npos);
    EXPECT_NE(text.find("yat_power_supply_state{id=\"1\",name=\"Power supply 1\",node=\"0\",type=\"power_supply\"} 2"),
              std::string::npos);
    // Limits the SP states have their series; those it does not state have none.
    EXPECT_NE(text.find("yat_temperature_upper_critical_celsius" + cpu + "85"), std::string::npos);
    EXPECT_NE(text.find("yat_temperature_upper_warning_celsius" + cpu + "80"), std::string::npos);
    const std::string volts = "{id=\"2\",name=\"Voltage 2\",node=\"0\",type=\"voltage\"} ";
    EXPECT_NE(text.find("yat_voltage_volts" + volts + "3.31\n"), std::string::npos);
    EXPECT_NE(text.find("yat_voltage_upper_critical_volts" + volts + "3.47\n"), std::string::npos);
    EXPECT_NE(text.find("yat_voltage_lower_critical_volts" + volts + "3.14\n"), std::string::npos);
    EXPECT_EQ(text.find("yat_fan_speed_lower_critical_rpm{"), std::string::npos);
    EXPECT_NE(text.find("yat_build_info{version=\""), std::string::npos);
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
    s.sensors.push_back({1, yat::kClassTemperature, 3, "CPU 2 temperature", "cpu", 44, 0});
    s.nodes.push_back({1, c.lastRefreshRead, 1, {kNaN, kNaN, kNaN, kNaN}, kNaN, "", "", "", "", c.lastRefreshSeconds});
    s.nowSeconds = 1000;
    s.staleAfterSeconds = c.staleAfterSeconds;
    std::string text = exposition(s, "yat");
    EXPECT_NE(text.find("yat_temperature_celsius{id=\"3\",name=\"CPU 2 temperature\",node=\"0\",type=\"cpu\"} 41"),
              std::string::npos);
    EXPECT_NE(text.find("yat_up{node=\"0\"} 1"), std::string::npos);
    bool present = text.find("node=\"1\",type=\"cpu\"} 44") != std::string::npos;
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
    model.countFailure(1, "system_state");
    model.countFailure(kAllNodes, "discovery");
    Snapshot first = oneNode();
    first.nodes[0].node = 1;
    model.replaceReadings(first.sensors, first.nodes, 1000.5);
    model.replaceReadings(first.sensors, first.nodes, 1001.5);
    std::string text = exposition(model.snapshot(), "yat");
    EXPECT_NE(text.find("yat_events_total{kind=\"fan\",node=\"1\"} 2"), std::string::npos) << text;
    EXPECT_NE(text.find("yat_pfa_events_total{node=\"0\"} 1"), std::string::npos);
    EXPECT_NE(text.find("yat_pfa_events_total{node=\"1\"} 0"), std::string::npos);  // a node without one
    EXPECT_NE(text.find("yat_events_total{kind=\"pfa\",node=\"1\"} 0"), std::string::npos);
    EXPECT_NE(text.find("yat_sp_command_failures_total{node=\"1\",operation=\"system_state\"} 1"), std::string::npos);
    EXPECT_NE(text.find("yat_sp_command_failures_total{node=\"1\",operation=\"event_log\"} 0"), std::string::npos);
    EXPECT_NE(text.find("yat_sp_command_failures_total{operation=\"discovery\"} 1"), std::string::npos);
    EXPECT_NE(text.find("yat_polling_rounds_total 2"), std::string::npos);
    EXPECT_NE(text.find("yat_sel_entries_count{node=\"1\"} 4"), std::string::npos);
    EXPECT_NE(text.find("yat_last_poll_timestamp_seconds 1001.5"), std::string::npos);
}

// What the sink hears, each report on the polling thread or on a node's event thread, and what it
// counts as the SPs' events after two refreshes (settles).
struct Report {
    int thread;  // 0: the polling thread; 1, 2: event threads
    int32_t sensorClass, node, code;
};

struct EventCase {
    const char* name;
    std::vector<Report> reports;
    std::vector<std::string> counted;  // "kind,node" per count, by node, then kind
};

class ExporterEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(ExporterEvents, CountsOnlyWhatTheSpsSent) {
    Model model;
    ExporterSink sink(model);
    int32_t number = 1;
    sink.reportSensor(yat::kClassFan, 1, 1, &number, nullptr, nullptr, yat::kReportDiscovered, nullptr);
    sink.startMonitoring();
    // Three threads take the reports in turn, each its own, in the table's order.
    const std::vector<Report>& reports = GetParam().reports;
    std::mutex mutex;
    std::condition_variable turn;
    size_t next = 0;
    std::vector<std::thread> threads;
    for (int me = 0; me < 3; ++me) {
        threads.emplace_back([&, me] {
            std::unique_lock lock(mutex);
            while (next < reports.size()) {
                if (reports[next].thread != me) {
                    turn.wait(lock);
                    continue;
                }
                const Report& r = reports[next];
                int32_t zero[3] = {0, 0, 0};
                sink.reportSensor(r.sensorClass, r.node, 1, &zero[0], &zero[1], &zero[2], r.code, nullptr);
                ++next;
                turn.notify_all();
            }
        });
    }
    for (std::thread& t : threads) t.join();
    sink.settle();
    EXPECT_TRUE(model.snapshot().events.empty() || reports.back().sensorClass == yat::kClassNodeEvent);
    sink.settle();
    std::vector<std::string> counted;
    for (const auto& [key, count] : model.snapshot().events) {
        for (uint64_t i = 0; i < count; ++i)
            counted.push_back(std::get<1>(key) + "," + std::to_string(std::get<0>(key)));
    }
    EXPECT_EQ(counted, GetParam().counted);
    EXPECT_EQ(sink.sensors().size(), 1u);  // discovery's announcement only
}

constexpr int32_t kFan = yat::kClassFan, kTemp = yat::kClassTemperature, kSupply = yat::kClassPowerSupply,
                  kNodeEvent = yat::kClassNodeEvent;
constexpr int32_t kCritical = yat::kStatusCritical, kNormal = yat::kStatusNormal;

INSTANTIATE_TEST_SUITE_P(
    Sources, ExporterEvents,
    ::testing::Values(
        // A polling round: fans first (before the thread is known as the poller), then temperatures.
        EventCase{"PollingRound", {{0, kFan, 1, kNormal}, {0, kFan, 1, kCritical}, {0, kTemp, 1, kNormal}}, {}},
        // A round over two nodes' fans marks the poller before any temperature.
        EventCase{"PollingTwoNodes", {{0, kFan, 1, kNormal}, {0, kFan, 2, kNormal}, {0, kSupply, 2, kNormal}}, {}},
        EventCase{"ProcessorIndicators", {{0, kNodeEvent, 1, yat::kStatusProcessorHot}, {0, kFan, 1, kNormal}}, {}},
        // Event threads: a stopped fan, a failed supply, the node events.
        EventCase{"StoppedFanAndFailedSupply",
                  {{0, kTemp, 1, kNormal}, {1, kFan, 1, kCritical}, {2, kSupply, 2, yat::kStatusSupplyFailed}},
                  {"fan,0", "power_supply,1"}},
        EventCase{"NodeEvents",
                  {{1, kNodeEvent, 1, yat::kReportPfaEvent},
                   {2, kNodeEvent, 2, yat::kReportDasdEvent},
                   {1, kNodeEvent, 1, yat::kReportVoltageEvent},
                   {1, kNodeEvent, 1, yat::kReportFanEvent}},
                  {"fan,0", "pfa,0", "voltage,0", "drive,1"}}),
    [](const ::testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

TEST(ExporterEvents, PfaEventsAreCountedOnTheirOwnToo) {
    Model model;
    ExporterSink sink(model);
    sink.startMonitoring();
    int32_t zero[3] = {0, 0, 0};
    sink.reportSensor(kNodeEvent, 2, 0, &zero[0], &zero[1], &zero[2], yat::kReportPfaEvent, nullptr);
    EXPECT_EQ(model.snapshot().pfaEvents.at(1), 1u);
}

}  // namespace
