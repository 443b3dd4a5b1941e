// Monitoring through the library object: registration, the event threads, deregistration, polling
// again after a new registration, PFA support and monitorPFAEvents.

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <set>

#include "event_test_kit.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "sensors/sensor_sp.h"
#include "yat/pfa_records.h"

namespace {

using eventtest::Bytes;
using eventtest::codes;
using eventtest::event;
using eventtest::eventually;
using eventtest::scriptNode;
using sensortest::entry;
using sensortest::join;
using sensortest::ScriptedSp;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;

// Records the order of deRegisterForEvents calls.
class RecordingComm : public FakeComm {
public:
    using FakeComm::FakeComm;
    uint32_t deRegisterForEvents(uint32_t node) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            deregistered_.push_back(node);
        }
        return FakeComm::deRegisterForEvents(node);
    }
    std::vector<uint32_t> deregistered() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return deregistered_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<uint32_t> deregistered_;
};

class Monitor : public ::testing::Test {
protected:
    explicit Monitor(uint32_t nodes = 2) : comm(nodes) {}
    void discover() {
        for (uint32_t node = 0; node < comm.getNodeCount(); ++node) scriptNode(comm, static_cast<int32_t>(node));
        ASSERT_EQ(lib.initSensors(&sink), 0);
        sink.clear();
    }
    bool allWaiting() {
        for (uint32_t node = 0; node < comm.getNodeCount(); ++node) {
            if (!comm.registered(node)) return false;
        }
        return true;
    }
    size_t reportsWithCode(int32_t code) {
        size_t n = 0;
        for (const auto& r : sink.reports()) n += r.code == code ? 1 : 0;
        return n;
    }

    LogCapture log;
    eventtest::RecordedSleeps sleeps;
    RecordingComm comm;
    RecordingSink sink;
    cLibYAT lib{&comm};
};

TEST_F(Monitor, RefusedWithoutSensorsOrSink) {
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 5);  // discovery has not run
    discover();
    EXPECT_EQ(lib.registerForAsynchEvents(nullptr), 5);
    EXPECT_TRUE(comm.commands().empty() || comm.count("5.2.a") == 0);
    comm.setNodeCount(0);
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 9);
    comm.setNodeCount(2);
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 0);
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 1);
    ASSERT_TRUE(eventually([&] { return allWaiting(); }));
    EXPECT_EQ(comm.count("5.2.a"), 2u);  // one set of threads
    lib.deRegisterForAsynchEvents();
}

TEST(MonitorWithoutDevice, AnswersNine) {
    LogCapture log;
    FakeComm other(1, 42);  // not the SP device: the library keeps no comm device
    cLibYAT lib(&other);
    RecordingSink sink;
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 9);
    lib.deRegisterForAsynchEvents();
    uint32_t level = 7;
    lib.getMonitorPFAEventSupport(&level);
    EXPECT_EQ(level, 7u);
    PFAEventInfo info;
    EXPECT_EQ(lib.monitorPFAEvents(&info), 1);
}

TEST_F(Monitor, EachNodeIsAskedForSevenEventsInOrder) {
    discover();
    comm.clearRequests();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return allWaiting(); }));
    for (int32_t node = 0; node < 2; ++node) {
        std::vector<std::string> sent;
        for (const auto& request : comm.requests()) {
            if (request.node != node || request.command.rfind("5.2.", 0) != 0) continue;
            sent.push_back(request.command);
            EXPECT_EQ(request.type, 0);
            EXPECT_EQ(request.data, Bytes{1});
        }
        EXPECT_EQ(sent, (std::vector<std::string>{"5.2.a", "5.2.9", "5.2.6", "5.2.b", "5.2.d", "5.2.4", "5.2.80"}))
            << "node " << node;
    }
    EXPECT_TRUE(log.has("MonitorAsnycEvents", "about to register for Zentro Comprehensive"));
    lib.deRegisterForAsynchEvents();
}

TEST_F(Monitor, PowerDownEndsOneThreadOnly) {
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return allWaiting(); }));
    comm.pushEvent(0, event(0x04));
    ASSERT_TRUE(eventually(
        [&] { return log.has("cSP::SPAsyncEvents", "power down event for node [0]; the event thread ends"); }));
    comm.pushEvent(0, event(0x0D));
    comm.pushEvent(1, event(0x0D));
    ASSERT_TRUE(eventually([&] { return reportsWithCode(41) == 1; }));
    for (const auto& r : sink.reports()) {
        if (r.code == 41) {
            EXPECT_EQ(r.node, 2);
        }
    }
    EXPECT_FALSE(comm.registered(0));
    lib.deRegisterForAsynchEvents();  // joins the ended thread too
    EXPECT_EQ(reportsWithCode(41), 1u);
}

TEST_F(Monitor, DeregistrationStopsEveryNodeThenWaits) {
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return allWaiting(); }));
    lib.deRegisterForAsynchEvents();
    EXPECT_EQ(comm.deregistered(), (std::vector<uint32_t>{0, 1}));
    EXPECT_FALSE(comm.registered(0));
    EXPECT_FALSE(comm.registered(1));
    ASSERT_FALSE(sleeps.taken().empty());
    EXPECT_EQ(sleeps.taken().back(), 2000u);
    // Off again: a second deregistration changes nothing.
    lib.deRegisterForAsynchEvents();
    EXPECT_EQ(comm.deregistered().size(), 2u);
}

TEST_F(Monitor, NewRegistrationPollsAgain) {
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return log.countText("entering the routine") >= 1; }));
    lib.deRegisterForAsynchEvents();
    log.clear();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    EXPECT_TRUE(eventually([&] { return log.countText("entering the routine") >= 1; }));
    lib.deRegisterForAsynchEvents();
}

TEST_F(Monitor, EventsFromBothNodesAreReported) {
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    comm.pushEvent(0, event(0x0B, {1, 3}));
    comm.pushEvent(1, event(0x0B, {1, 4}));
    ASSERT_TRUE(eventually([&] { return reportsWithCode(37) == 2; }));
    std::set<std::pair<int32_t, int32_t>> seen;
    for (const auto& r : sink.reports()) {
        if (r.code == 37) seen.insert({r.node, r.sensor});
    }
    EXPECT_EQ(seen, (std::set<std::pair<int32_t, int32_t>>{{1, 3}, {2, 4}}));
    lib.deRegisterForAsynchEvents();
}

// A comm device whose wait for events keeps failing: the thread pauses between tries.
class FailingWaitComm : public FakeComm {
public:
    using FakeComm::FakeComm;
    uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override {
        if (stopped_.load()) return FakeComm::registerForEvents(node, buffer);
        ++calls_;
        return 1;
    }
    uint32_t deRegisterForEvents(uint32_t node) override {
        stopped_ = true;
        return FakeComm::deRegisterForEvents(node);
    }
    std::atomic<int> calls_{0};
    std::atomic<bool> stopped_{false};
};

TEST(MonitorFailingDevice, FailedWaitsPauseInsteadOfSpinning) {
    LogCapture log;
    eventtest::RecordedSleeps sleeps;
    FailingWaitComm comm(1);
    cLibYAT lib(&comm);
    RecordingSink sink;
    scriptNode(comm, 0);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.calls_.load() >= 3; }));
    lib.deRegisterForAsynchEvents();
    size_t pauses = 0;
    for (uint32_t ms : sleeps.taken()) pauses += ms == 1000 ? 1 : 0;
    EXPECT_GE(pauses + 1, static_cast<size_t>(comm.calls_.load()));
    EXPECT_TRUE(log.has("cSP::SPAsyncEvents", "could not compare events"));
}

// The firmware check each event thread makes first picks the wait before a fan event is examined:
// 10 s for the firmware families listed, 2 s for any other, and 10 s when the query fails.
struct FirmwareCase {
    const char* name;
    std::function<void(FakeComm&)> script;
    uint32_t delay;
};

class FanDelay : public Monitor, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(FanDelay, ChosenByTheFirmwareCheck) {
    GetParam().script(comm);
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return allWaiting(); }));
    comm.pushEvent(1, event(0x09));
    ASSERT_TRUE(eventually([&] { return log.has("cSP::SPAsnycEvents", "there are some fan instances"); }));
    std::vector<uint32_t> delays;
    for (uint32_t ms : sleeps.taken()) {
        if (ms == 2000 || ms == 10000) delays.push_back(ms);
    }
    EXPECT_EQ(delays, std::vector<uint32_t>{GetParam().delay});
    lib.deRegisterForAsynchEvents();
}

INSTANTIATE_TEST_SUITE_P(Firmware, FanDelay,
                         ::testing::Values(FirmwareCase{"ListedFamily",
                                                        [](FakeComm& c) {
                                                            c.answer("4.3.5.6.1", {'G', 'R', 'E', 'T', '2', '1'});
                                                        },
                                                        10000},
                                           FirmwareCase{"OtherFamily",
                                                        [](FakeComm& c) {
                                                            c.answer("4.3.5.6.1", {'Z', 'Q', 'E', 'T', '2', '1'});
                                                        },
                                                        2000},
                                           FirmwareCase{"QueryFails", [](FakeComm& c) { c.fail("4.3.5.6.1"); }, 10000}),
                         [](const auto& info) { return std::string(info.param.name); });

// With more than two nodes the node numbers come from the multi-node IDs, so node index and node
// number differ: events are taken from each node by its index, node-level reports carry the index + 1
// and sensor reports the record's node number.
TEST(MonitorThreeNodes, NodeIndexAndNodeNumberStayApart) {
    LogCapture log;
    eventtest::RecordedSleeps sleeps;
    FakeComm comm(3);
    for (int32_t node = 0; node < 3; ++node) {
        ScriptedSp sp(comm, node);
        sp.multiNodeId(static_cast<uint8_t>(10 * (node + 1)));  // node numbers 11, 21, 31
        sp.supported(join({entry({2, 1, 5, 1})}));
        sp.temp(5, 1, 40, 60, 50);
        sp.power(0x03, 0x00);
        sp.powerVpd(1, "PS1");
        sp.powerVpd(2, "PS2");
    }
    RecordingSink sink;
    cLibYAT lib(&comm);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.registered(0) && comm.registered(1) && comm.registered(2); }));
    comm.pushEvent(2, event(0x0A, {2}));     // supply 2 of node index 2 fails
    comm.pushEvent(1, event(0x0B, {0, 4}));  // a DASD alert on node index 1
    auto find = [&](int32_t sensorClass, int32_t code) -> std::optional<yattest::Report> {
        for (const auto& r : sink.reports()) {
            if (r.sensorClass == sensorClass && r.code == code) return r;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(eventually([&] { return find(4, 3).has_value() && find(5, 37).has_value(); }));
    EXPECT_EQ(std::make_pair(find(4, 3)->node, find(4, 3)->sensor), std::make_pair(31, 2));
    EXPECT_EQ(std::make_pair(find(5, 37)->node, find(5, 37)->sensor), std::make_pair(2, 4));
    lib.deRegisterForAsynchEvents();
}

struct SupportCase {
    const char* name;
    std::function<void(FakeComm&)> script;
    uint32_t level;
    size_t requests;  // "2.7.3" requests sent
};

class PfaSupport : public Monitor, public ::testing::WithParamInterface<SupportCase> {};

TEST_P(PfaSupport, Level) {
    GetParam().script(comm);
    uint32_t level = 99;
    lib.getMonitorPFAEventSupport(&level);
    EXPECT_EQ(level, GetParam().level);
    EXPECT_EQ(comm.count("2.7.3"), GetParam().requests);
    PFAEventInfo info;
    EXPECT_EQ(lib.monitorPFAEvents(&info), GetParam().level == 2 ? 11 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, PfaSupport,
    ::testing::Values(SupportCase{"FirstGroup",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0x01000001, 0x05200001})).type(2);
                                  },
                                  2, 1},
                      SupportCase{"LaterGroup",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0x01000001})).type(2);
                                      c.answer("2.7.3", codes({0x02000001})).type(3).times(1);
                                      c.answer("2.7.3", codes({0x03000001, 0x05200001})).type(3).times(1);
                                  },
                                  2, 3},
                      SupportCase{"ListEnds",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0x01000001})).type(2);
                                      c.answer("2.7.3", codes({0x02000001})).type(3).times(1);
                                      c.status("2.7.3", 7).type(3);
                                  },
                                  0, 3},
                      SupportCase{"ZeroEndsGroup",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0, 0x05200001})).type(2);
                                      c.status("2.7.3", 7).type(3);
                                  },
                                  0, 2},
                      SupportCase{"OddLength",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", {0x05, 0x20, 0x00}).type(2);
                                      c.status("2.7.3", 7).type(3);
                                  },
                                  0, 2},
                      SupportCase{"ClaimedPastAnswer",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0x01000001})).type(2).claimLength(0xFFFF);
                                      c.status("2.7.3", 7).type(3);
                                  },
                                  0, 2},
                      SupportCase{"EmptyGroup",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", {}).type(2);
                                      c.status("2.7.3", 7).type(3);
                                  },
                                  0, 2},
                      SupportCase{"FirstSendFails", [](FakeComm& c) { c.fail("2.7.3"); }, 0, 1},
                      SupportCase{"NextSendFails",
                                  [](FakeComm& c) {
                                      c.answer("2.7.3", codes({0x01000001})).type(2);
                                      c.answer("2.7.3", codes({0x02000001})).type(3).times(1);
                                      c.fail("2.7.3").type(3);
                                  },
                                  0, 3},
                      SupportCase{"EndlessList", [](FakeComm& c) { c.answer("2.7.3", codes({0x01000001})); }, 0, 256}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Monitor, PfaEventsReachTheHostNewestFirst) {
    comm.answer("2.7.3", codes({0x05200001})).type(2);
    uint32_t level = 0;
    lib.getMonitorPFAEventSupport(&level);
    ASSERT_EQ(level, 2u);
    discover();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    comm.pushEvent(1, eventtest::comprehensive(0x05200001, 1, '2', '5'));
    comm.pushEvent(1, eventtest::comprehensive(0x05200001, 1, '3', '1'));
    comm.pushEvent(1, event(0x0D));  // after both records
    ASSERT_TRUE(eventually([&] { return reportsWithCode(41) == 1; }));
    PFAEventInfo info;
    ASSERT_EQ(lib.monitorPFAEvents(&info), 0);
    EXPECT_EQ(std::make_tuple(info.memoryCard, info.dimm, info.condition, info.node, info.valid),
              std::make_tuple(3, 1, 1, 1, 1));
    ASSERT_EQ(lib.monitorPFAEvents(&info), 0);
    EXPECT_EQ(std::make_tuple(info.memoryCard, info.dimm, info.condition, info.node, info.valid),
              std::make_tuple(2, 5, 1, 1, 1));
    EXPECT_EQ(lib.monitorPFAEvents(nullptr), 12);
    EXPECT_EQ(lib.monitorPFAEvents(&info), 11);
    EXPECT_EQ(sleeps.taken().back(), 30000u);
    EXPECT_TRUE(log.has("cLibYAT::monitorPFAEvents", "getPFAStackElement failed"));
    lib.deRegisterForAsynchEvents();
}

}  // namespace
