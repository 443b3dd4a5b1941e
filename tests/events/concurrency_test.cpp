// Everything at once: two host threads query sensors while two event threads handle events and the
// polling thread rewrites the same records; ends with deregistration. Run under the tsan preset.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "event_test_kit.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "kit/scoped_settings.h"
#include "sensors/sensor_sp.h"
#include "yat/pfa_records.h"

namespace {

using eventtest::event;
using eventtest::eventually;
using sensortest::entry;
using sensortest::join;
using sensortest::ScriptedSp;

TEST(MonitorConcurrency, HostQueriesEventsAndPollingTogether) {
    yattest::LogCapture log;
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.sleepScale = 0.0005; });  // polling every 10 ms
    yattest::FakeComm comm(2);
    for (int32_t node = 0; node < 2; ++node) {
        ScriptedSp sp(comm, node);
        sp.supported(join({entry({2, 1, 5, 1}), entry({2, 2, 1, 3})}));
        sp.temp(5, 1, 40, 60, 50);
        sp.volt(3, 330, 350, 310);
        sp.fan(1, 30);
        sp.fan(2, 255);
        sp.power(0x03, 0x00);
        sp.powerVpd(1, "FRU1");
        sp.powerVpd(2, "FRU2");
    }
    comm.answer("2.7.3", eventtest::codes({0x05200001})).type(2);
    comm.answer("2.7.4", {}).type(2);
    yattest::RecordingSink sink;
    cLibYAT lib(&comm);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    uint32_t level = 0;
    lib.getMonitorPFAEventSupport(&level);
    ASSERT_EQ(level, 2u);
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);

    std::atomic<bool> done{false};
    auto query = [&] {
        while (!done.load()) {
            int32_t status = 0, reading = 0, low = 0, high = 0;
            float volts = 0;
            lib.getSensorStatus(3, 1, 1, &status, &reading, &low, &high);
            lib.getSensorStatus(4, 2, 1, &status, nullptr, nullptr, nullptr);
            lib.getSensorReading(2, 2, 1, &volts);
            lib.getSensorStatus(1, 1, 1, &status, &reading, &low, &high);
            PFAEventInfo info;
            if (lib.monitorPFAEvents(&info) == 0) {
                EXPECT_EQ(info.valid, 1);
            }
        }
    };
    std::thread host1(query);
    std::thread host2(query);
    for (int round = 0; round < 20; ++round) {
        for (uint32_t node = 0; node < 2; ++node) {
            comm.pushEvent(node, event(0x09));
            comm.pushEvent(node, event(0x0A, {static_cast<uint8_t>(1 + round % 2)}));
            comm.pushEvent(node, event(0x0B, {1, static_cast<uint8_t>(round)}));
            comm.pushEvent(node, eventtest::comprehensive(0x05200001, 1, '1', '2'));
            comm.pushEvent(node, event(0x02));
        }
    }
    EXPECT_TRUE(eventually([&] {
        size_t dasd = 0;
        for (const auto& r : sink.reports()) dasd += r.code == 37 ? 1 : 0;
        return dasd == 40;
    }));
    EXPECT_TRUE(eventually([&] { return log.countText("entering the routine") >= 3; }));
    done = true;
    host1.join();
    host2.join();
    lib.deRegisterForAsynchEvents();
    EXPECT_FALSE(comm.registered(0));
    EXPECT_FALSE(comm.registered(1));
}

}  // namespace
