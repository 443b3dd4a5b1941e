// The simulated SP's side of monitoring: event enables, and the state changes events announce,
// visible to the reads that follow (injected, on the timeline, or played on request).

#include <gtest/gtest.h>

#include <thread>

#include "sim/scenario.h"
#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::send;
using yatsim::SimBusComm;

uint8_t fanUnits(SimBusComm& comm, int32_t node, const char* fan) {
    return send(comm, fan, wire::kGet, {}, node).data()[0];
}

TEST(SimMonitoring, EventEnablesAreAccepted) {
    SimBusComm comm;
    for (const char* command : {"5.2.a", "5.2.9", "5.2.6", "5.2.b", "5.2.d", "5.2.4", "5.2.80"}) {
        simtest::Reply reply = send(comm, command, wire::kSet, {1}, 1);
        EXPECT_EQ(reply.status(), 0) << command;
    }
    EXPECT_EQ(send(comm, "5.2.9", wire::kSet, {}).status(), 1);  // no data byte
}

TEST(SimMonitoring, InjectedEventsChangeTheState) {
    SimBusComm comm;
    yatsim::SimEvent fan = yatsim::makeEvent(0x09);
    fan.effects.push_back({yatsim::EventEffect::Kind::kFanRpm, 2, 0});
    ASSERT_TRUE(comm.injectEvent(0, fan));
    EXPECT_EQ(fanUnits(comm, 0, "2.3.2"), 255);  // stopped
    EXPECT_NE(fanUnits(comm, 1, "2.3.2"), 255);  // the other node's fan turns on

    yatsim::SimEvent supply = yatsim::makeEvent(0x0A, {2});
    supply.effects.push_back({yatsim::EventEffect::Kind::kSupplyState, 1, yatsim::kSupplyRemoved});
    comm.injectEvent(0, supply);
    EXPECT_EQ(send(comm, "f.5.1").data(), (Bytes{0x01, 0x00}));
}

TEST(SimMonitoring, TimelineNamesTheChanges) {
    yatsim::Scenario parsed = yatsim::parseScenario(R"({"nodes": [{"sensors": {
        "fans": [{"instance": 1, "rpm": 3000}], "powerSupplies": [{"present": true}, {"present": true}]}}],
      "timeline": [
        {"at": 60000, "node": 0, "event": "fan", "fan": 1},
        {"at": 120000, "node": 0, "event": "powerSupply", "supply": 2},
        {"at": 180000, "node": 0, "event": "change", "fan": 1, "rpm": 3000},
        {"at": 240000, "node": 0, "event": "change", "supply": 2, "supplyState": "good"}]})",
                                                    "test");
    SimBusComm comm(parsed);
    comm.setTimeScale(1.0);  // the clock stands far before the first entry whatever the test's scale
    comm.useManualClock();
    EXPECT_EQ(fanUnits(comm, 0, "2.3.1"), 60);
    comm.advanceTime(std::chrono::seconds(60));
    EXPECT_EQ(fanUnits(comm, 0, "2.3.1"), 255);
    comm.advanceTime(std::chrono::seconds(60));
    EXPECT_EQ(send(comm, "f.5.1").data(), (Bytes{0x03, 0x02}));
    comm.advanceTime(std::chrono::seconds(120));
    EXPECT_EQ(fanUnits(comm, 0, "2.3.1"), 60);
    EXPECT_EQ(send(comm, "f.5.1").data(), (Bytes{0x03, 0x00}));
    EXPECT_EQ(comm.pendingEvents(0), 2u);  // the changes are not delivered as events
}

TEST(SimMonitoring, DemoTimelinePlaysOnlyWhenAsked) {
    SimBusComm comm;
    comm.useManualClock();
    comm.advanceTime(std::chrono::hours(1));
    EXPECT_EQ(comm.pendingEvents(0), 0u);
    ASSERT_FALSE(comm.scenario().demoTimeline.empty());
    comm.playTimeline(comm.scenario().demoTimeline);
    comm.advanceTime(std::chrono::seconds(30));
    EXPECT_GT(comm.pendingEvents(0), 0u);
    EXPECT_GT(comm.pendingEvents(1), 0u);
    EXPECT_EQ(fanUnits(comm, 0, "2.3.3"), 255);
}

TEST(SimMonitoring, BadChangeIsNamed) {
    EXPECT_THROW(yatsim::parseScenario(R"({"nodes": [{}], "timeline": [
        {"at": 1, "node": 0, "event": "change", "supply": 1, "supplyState": "melted"}]})",
                                       "test"),
                 yatsim::ScenarioError);
}

}  // namespace

#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "platform/runtime.h"

namespace {

// The whole event path: a fan stops on node 1, the event reaches the host with the fan's status.
TEST(SimMonitoringLibrary, StoppedFanReachesTheHost) {
    yattest::LogCapture log;
    setSleepHook([](uint32_t) {});
    SimBusComm comm;
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), 0);
    yattest::RecordingSink sink;
    ASSERT_EQ(lib->initSensors(&sink), 0);
    sink.clear();
    ASSERT_EQ(lib->registerForAsynchEvents(&sink), 0);
    while (!comm.waiting(1)) std::this_thread::yield();
    yatsim::SimEvent fan = yatsim::makeEvent(0x09);
    fan.effects.push_back({yatsim::EventEffect::Kind::kFanRpm, 4, 0});
    comm.injectEvent(1, fan);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
        for (const yattest::Report& r : sink.reports()) seen = seen || (r.sensorClass == 3 && r.code == 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(seen);
    lib->deRegisterForAsynchEvents();
    closeLibrary();
    setSleepHook(nullptr);
    for (const yattest::Report& r : sink.reports()) {
        if (r.sensorClass == 3 && r.code == 3) {
            EXPECT_EQ(r.node, 2);
            EXPECT_EQ(r.first, 0);
        }
    }
}

}  // namespace

namespace {

// The last close stops monitoring a host left on: no thread is left waiting on the device.
TEST(SimMonitoringLibrary, CloseWhileMonitoringStopsEveryThread) {
    yattest::LogCapture log;
    setSleepHook([](uint32_t) {});
    SimBusComm comm;
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), 0);
    yattest::RecordingSink sink;
    ASSERT_EQ(lib->initSensors(&sink), 0);
    ASSERT_EQ(lib->registerForAsynchEvents(&sink), 0);
    while (!comm.waiting(0) || !comm.waiting(1)) std::this_thread::yield();
    EXPECT_EQ(closeLibrary(), 0);
    setSleepHook(nullptr);
    EXPECT_FALSE(comm.waiting(0));
    EXPECT_FALSE(comm.waiting(1));
    EXPECT_TRUE(log.has("cLibYAT::deRegisterForAsynchEvents", "called"));
}

}  // namespace

#include <nlohmann/json.hpp>

#include "kit/scoped_settings.h"

namespace {

// The default server without processor temperature sensors: discovery makes the processor-hot
// indicators instead.
yatsim::Scenario withoutCpuSensors() {
    nlohmann::json doc = nlohmann::json::parse(yatsim::defaultScenarioText());
    nlohmann::json& temps = doc["nodes"][0]["sensors"]["temperatures"];
    nlohmann::json kept = nlohmann::json::array();
    for (const auto& temp : temps) {
        if (temp.value("location", 1) != 2) kept.push_back(temp);
    }
    temps = kept;
    return yatsim::parseScenario(doc.dump(), "test");
}

// A processor runs hot and cools down again: the polling update reports it both ways.
TEST(SimMonitoringLibrary, ProcessorHotComesAndGoes) {
    yattest::LogCapture log;
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.sleepScale = 0.001; });  // polling every 20 ms
    SimBusComm comm(withoutCpuSensors());
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), 0);
    yattest::RecordingSink sink;
    ASSERT_EQ(lib->initSensors(&sink), 0);
    ASSERT_EQ(lib->registerForAsynchEvents(&sink), 0);
    auto seen = [&](int32_t code) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const yattest::Report& r : sink.reports()) {
                if (r.sensorClass == 5 && r.code == code && r.node == 1) return r.sensor;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    };
    yatsim::SimEvent hot;
    hot.deliver = false;
    hot.effects.push_back({yatsim::EventEffect::Kind::kCpuHot, 1, 1});
    comm.injectEvent(0, hot);
    EXPECT_EQ(seen(50), 1);
    yatsim::SimEvent cool = hot;
    cool.effects[0].value = 0;
    comm.injectEvent(0, cool);
    EXPECT_EQ(seen(51), 1);
    lib->deRegisterForAsynchEvents();
    closeLibrary();
}

}  // namespace
