// Monitoring a host can leave running for months: close and deregistration while events are handled
// or a thread is still starting, comm devices that do not honour a stop, a sink that calls back into
// the library, and registration again after a node powered down. Every close and deregistration must
// return within its bound, and nothing may reach the sink once it has returned.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "event_test_kit.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "kit/scoped_settings.h"
#include "platform/thread_lib.h"
#include "sensors/sensor_sp.h"
#include "yat/command_buffer.h"
#include "yat/pfa_records.h"
#include "yat/result_codes.h"
#include "yat/system_info_records.h"

namespace {

using eventtest::codes;
using eventtest::event;
using eventtest::eventually;
using eventtest::returnsWithin;
using eventtest::scriptNode;
using sensortest::entry;
using sensortest::join;
using sensortest::ScriptedSp;
using yattest::Bytes;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;

// Far beyond the bound of a close or a deregistration: only a failing run waits this long.
constexpr std::chrono::milliseconds kHang{10000};
constexpr int32_t kDasdCode = 37;

void scriptNodes(FakeComm& comm) {
    for (uint32_t node = 0; node < comm.getNodeCount(); ++node) scriptNode(comm, static_cast<int32_t>(node));
    comm.answer("2.7.3", codes({0x05200001})).type(2);
}

// Every library thread has ended (those left behind included).
bool threadsEnded() {
    return eventually([] { return cThreadLib::runningThreads() == 0; });
}

bool allWaiting(const FakeComm& comm, uint32_t nodes) {
    for (uint32_t node = 0; node < nodes; ++node) {
        if (!comm.registered(node)) return false;
    }
    return true;
}

// A sink that records every call and runs the test's callback, on the calling library thread, for
// each DASD report. A report made after the test marked the sink closed is counted.
class CallbackSink : public RecordingSink {
public:
    using Callback = std::function<void(int32_t node, int32_t sensor)>;

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override {
        if (closed.load()) lateReports.fetch_add(1);
        RecordingSink::reportSensor(sensorClass, node, sensor, first, second, third, code, text);
        Callback callback;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            callback = onDasd_;
        }
        if (code == kDasdCode && callback) callback(node, sensor);
        return 0;
    }
    void onDasd(Callback callback) {
        std::lock_guard<std::mutex> guard(mutex_);
        onDasd_ = std::move(callback);
    }
    size_t count(int32_t code) const {
        size_t n = 0;
        for (const auto& report : reports()) n += report.code == code ? 1 : 0;
        return n;
    }

    std::atomic<bool> closed{false};
    std::atomic<int> lateReports{0};

private:
    std::mutex mutex_;
    Callback onDasd_;
};

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override { scriptNodes(comm); }
    void start(cDeviceLib& lib) {
        ASSERT_EQ(lib.initSensors(&sink), 0);
        sink.clear();
        ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
        ASSERT_TRUE(eventually([&] { return allWaiting(comm, 2); }));
    }

    LogCapture log;
    FakeComm comm{2};
    CallbackSink sink;
};

// The last close used to hold the library mutex while it waited for the event threads: a sink that
// took that mutex (getSPType) from its callback, or an event thread pushing a PFA record, waited for
// the close and the close for it.
TEST_F(Lifecycle, CloseReturnsWhileTheSinkCallsBackIntoTheLibrary) {
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    uint32_t level = 0;
    lib->getMonitorPFAEventSupport(&level);
    ASSERT_EQ(level, 2u);
    start(*lib);
    std::atomic<bool> inCallback{false};
    std::atomic<int32_t> typeResult{-1};
    std::atomic<int32_t> pfaResult{-1};
    std::atomic<int32_t> openResult{-1};
    std::atomic<cLibYAT*> opened{lib};
    sink.onDasd([&](int32_t, int32_t) {
        inCallback = true;
        // Calls back in once the last close is under way.
        eventually([&] { return log.has("cLibYAT::~cLibYAT", "destructor called"); });
        int32_t type = 0;
        typeResult = lib->getSPType(&type);
        PFAEventInfo info{};
        pfaResult = lib->monitorPFAEvents(&info);
        cLibYAT* other = lib;
        openResult = openLibrary(&other, &comm);  // no second object while the first is destroyed
        opened = other;
    });
    comm.pushEvent(0, event(0x0B, {1, 2}));
    ASSERT_TRUE(eventually([&] { return inCallback.load(); }));
    int32_t left = -1;
    returnsWithin(kHang, "closeLibrary", [&] { left = closeLibrary(); });
    sink.closed = true;
    EXPECT_EQ(left, 0);
    EXPECT_EQ(typeResult.load(), ERR_SUCCESS);
    EXPECT_EQ(pfaResult.load(), ERR_EMPTY);  // at once: a library thread is never held 30 s
    EXPECT_EQ(openResult.load(), ERR_NO_RESOURCE);
    EXPECT_EQ(opened.load(), nullptr);
    EXPECT_TRUE(threadsEnded());
    EXPECT_EQ(sink.lateReports.load(), 0);
    EXPECT_EQ(closeLibrary(), 0);  // nothing open any more
}

// Deregistration from the sink's callback used to destroy the thread objects under the thread that
// was still running the callback.
TEST_F(Lifecycle, SinkDeregistersFromItsCallback) {
    cLibYAT lib(&comm);
    start(lib);
    std::atomic<bool> returned{false};
    sink.onDasd([&](int32_t, int32_t) {
        if (returned.load()) return;
        lib.deRegisterForAsynchEvents();
        returned = true;
    });
    comm.pushEvent(0, event(0x0B, {1, 2}));
    ASSERT_TRUE(eventually([&] { return returned.load(); }));
    sink.onDasd(nullptr);
    // Off now; a new registration hears both nodes again.
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    comm.pushEvent(0, event(0x0B, {1, 3}));
    comm.pushEvent(1, event(0x0B, {1, 4}));
    EXPECT_TRUE(eventually([&] { return sink.count(kDasdCode) == 3; }));
    lib.deRegisterForAsynchEvents();
}

// A power-down ends its node's thread; the stop that deregistration then sends to that node used to
// stay pending in the device and end the next registration's thread at its first wait.
TEST_F(Lifecycle, RegistrationAfterAPowerDownHearsTheNodeAgain) {
    cLibYAT lib(&comm);
    start(lib);
    comm.pushEvent(0, event(0x04));
    ASSERT_TRUE(eventually(
        [&] { return log.has("cSP::SPAsyncEvents", "power down event for node [0]; the event thread ends"); }));
    lib.deRegisterForAsynchEvents();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    comm.pushEvent(0, event(0x0B, {1, 5}));
    comm.pushEvent(1, event(0x0B, {1, 6}));
    EXPECT_TRUE(eventually([&] { return sink.count(kDasdCode) == 2; }));
    EXPECT_FALSE(comm.stopPending(0));
    lib.deRegisterForAsynchEvents();
}

// A comm device whose stop wakes only the waits blocked at that moment: a wait that begins later
// blocks until an event comes. Optionally it holds one command to node 0 (the first enable, "5.2.a")
// until a stop for node 0 arrives, and ignores stops for node 0 altogether.
class StubbornComm : public FakeComm {
public:
    using FakeComm::FakeComm;

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override {
        if (node == 0 && holdEnable && yattest::dotted(buffer + wire::kHeaderSize, buffer[1]) == held) {
            std::unique_lock<std::mutex> lock(mutex_);
            enableHeld = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return enableReleased_; });
        }
        return FakeComm::sendCommand(node, buffer);
    }
    uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override {
        std::unique_lock<std::mutex> lock(mutex_);
        uint64_t generation = generation_[node];
        ++waiting_[node];
        changed_.notify_all();
        changed_.wait(lock, [&] { return generation_[node] != generation || !events_[node].empty(); });
        --waiting_[node];
        if (generation_[node] != generation) return 10;
        std::memcpy(buffer, events_[node].front().data(), wire::kBufferSize);
        events_[node].erase(events_[node].begin());
        ++delivered_;
        changed_.notify_all();
        return 0;
    }
    uint32_t deRegisterForEvents(uint32_t node) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (node == 0) enableReleased_ = true;
        if (node != 0 || !ignoreStopsOfNode0) ++generation_[node];
        changed_.notify_all();
        return 0;
    }
    void push(uint32_t node, const Bytes& event) {
        std::lock_guard<std::mutex> guard(mutex_);
        events_[node].push_back(event);
        changed_.notify_all();
    }
    bool waiting(uint32_t node) {
        std::lock_guard<std::mutex> guard(mutex_);
        return waiting_[node] > 0;
    }
    int delivered() {
        std::lock_guard<std::mutex> guard(mutex_);
        return delivered_;
    }
    size_t sentOn(int32_t node, const std::string& command) const {
        size_t n = 0;
        for (const auto& request : requests()) n += request.node == node && request.command == command ? 1 : 0;
        return n;
    }

    std::string held = "5.2.a";
    std::atomic<bool> holdEnable{false};
    std::atomic<bool> ignoreStopsOfNode0{false};
    std::atomic<bool> enableHeld{false};

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint32_t, uint64_t> generation_;
    std::map<uint32_t, int> waiting_;
    std::map<uint32_t, std::vector<Bytes>> events_;
    bool enableReleased_ = false;
    int delivered_ = 0;
};

class LifecycleDevice : public ::testing::Test {
protected:
    void SetUp() override { scriptNodes(comm); }

    LogCapture log;
    StubbornComm comm{2};
    CallbackSink sink;
};

// A thread still sending its enables when the stop came used to go on and wait for events, which
// that device never ends: the deregistration waited for it for ever.
TEST_F(LifecycleDevice, DeregistrationEndsAThreadStillSendingItsEnables) {
    cLibYAT lib(&comm);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    comm.holdEnable = true;
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.enableHeld.load() && comm.waiting(1); }));
    returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib.deRegisterForAsynchEvents(); });
    sink.closed = true;
    EXPECT_EQ(comm.sentOn(0, "5.2.9"), 0u) << "node 0 went on with its enables after the stop";
    EXPECT_FALSE(comm.waiting(0));
}

// A polling round under way when the stop comes (held in its first temperature read) sends nothing
// more once that read returns, and reports nothing.
TEST_F(LifecycleDevice, PollingStoppedMidRound) {
    cLibYAT lib(&comm);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    comm.held = "2.1.5.1";
    comm.holdEnable = true;
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.enableHeld.load() && comm.waiting(0) && comm.waiting(1); }));
    const size_t sent = comm.requests().size();  // every thread waits now; the held read is not counted yet
    returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib.deRegisterForAsynchEvents(); });
    sink.closed = true;
    EXPECT_TRUE(threadsEnded());
    EXPECT_EQ(comm.requests().size(), sent + 1) << "the round went on after the stop";
    EXPECT_EQ(sink.lateReports.load(), 0);
}

// The polling thread waits its interval between rounds (20 s at the real time scale here) rather than
// spinning, and that wait ends as soon as monitoring stops: the deregistration leaves no thread behind.
TEST_F(Lifecycle, PollingWaitsItsIntervalAndTheStopEndsTheWait) {
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.sleepScale = 1.0; });
    eventtest::RecordedSleeps sleeps;  // the library's Sleep calls return at once
    cLibYAT lib(&comm);
    start(lib);
    ASSERT_TRUE(eventually([&] { return log.countText("entering the routine") == 1; }));
    returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib.deRegisterForAsynchEvents(); });
    EXPECT_EQ(log.countText("entering the routine"), 1u);
    EXPECT_TRUE(log.texts("cLibYAT::deRegisterForAsynchEvents").size() == 1u) << "a thread was left behind";
    for (uint32_t ms : sleeps.taken()) EXPECT_NE(ms, 20000u);
}

// A device that never ends node 0's wait: deregistration, or the last close, gives up on that
// thread after its bound, and the thread, when the device finally answers, reports nothing.
class LifecycleAbandon : public LifecycleDevice, public ::testing::WithParamInterface<bool> {};

TEST_P(LifecycleAbandon, AWaitTheDeviceNeverEndsIsLeftBehind) {
    const bool close = GetParam();
    yattest::SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.minimumStopLimitMs = 0; });
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    ASSERT_EQ(lib->initSensors(&sink), 0);
    comm.ignoreStopsOfNode0 = true;
    ASSERT_EQ(lib->registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.waiting(0) && comm.waiting(1); }));
    if (close) {
        returnsWithin(kHang, "closeLibrary", [&] { EXPECT_EQ(closeLibrary(), 0); });
    } else {
        returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib->deRegisterForAsynchEvents(); });
    }
    sink.closed = true;
    EXPECT_TRUE(log.has("cLibYAT::deRegisterForAsynchEvents",
                        "the event thread of node [0] is left behind: it did not end within the limit (it is in "
                        "the comm device)"));
    EXPECT_EQ(cThreadLib::runningThreads(), 1);
    comm.push(0, event(0x0B, {1, 7}));
    ASSERT_TRUE(eventually([&] { return comm.delivered() == 1; }));
    EXPECT_TRUE(threadsEnded());
    EXPECT_EQ(sink.lateReports.load(), 0);
    EXPECT_EQ(comm.sentOn(0, "5.2.a"), 1u);  // nothing sent after the device let go
    if (!close) closeLibrary();
}

INSTANTIATE_TEST_SUITE_P(Stops, LifecycleAbandon, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "LastClose" : "Deregistration");
                         });

// Stopping while events of one kind are being handled, at several moments (right after the
// registration, while threads may still send their enables, and after the first reports): every stop
// returns within its bound and nothing reaches the sink afterwards.
struct KindCase {
    const char* name;
    Bytes event;
};

class StopWhileHandling : public Lifecycle, public ::testing::WithParamInterface<std::tuple<KindCase, bool>> {};

TEST_P(StopWhileHandling, ReturnsAndReportsNothingAfterwards) {
    const KindCase& kind = std::get<0>(GetParam());
    const bool close = std::get<1>(GetParam());
    for (size_t round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        cLibYAT* lib = nullptr;
        ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        uint32_t level = 0;
        lib->getMonitorPFAEventSupport(&level);
        sink.closed = false;
        start(*lib);
        for (int i = 0; i < 20; ++i) {
            for (uint32_t node = 0; node < 2; ++node) comm.pushEvent(node, kind.event);
        }
        // Round 0 stops at once; later rounds once the log shows handled events.
        eventually([&] { return log.countText("about to compare events") >= 2 * round; });
        if (close) {
            returnsWithin(kHang, "closeLibrary", [&] { EXPECT_EQ(closeLibrary(), 0); });
        } else {
            returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib->deRegisterForAsynchEvents(); });
        }
        sink.closed = true;
        EXPECT_TRUE(threadsEnded());
        EXPECT_EQ(sink.lateReports.load(), 0);
        if (!close) closeLibrary();
        comm.clearEvents();
        comm.clearRequests();
        log.clear();
    }
}

const KindCase kKinds[] = {
    {"ComprehensivePfa", eventtest::comprehensive(0x05200001, 1, '2', '5')},
    {"Fan", event(0x09)},
    {"Pfa", event(0x0D)},
    {"Dasd", event(0x0B, {1, 2})},
    {"Voltage", event(0x02)},
    {"PowerSupply", event(0x0A, {1})},
    {"Login", event(0x06)},
    {"PowerDown", event(0x04)},
};

INSTANTIATE_TEST_SUITE_P(EveryKind, StopWhileHandling,
                         ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::Values(false, true)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_LastClose" : "_Deregistration");
                         });

// Calls from the sink's callback on an event thread: each class of operation answers as it does on a
// host thread (registration answers 1: monitoring is on), and the thread goes on handling events.
struct CallbackCase {
    const char* name;
    std::function<int32_t(cLibYAT&, CallbackSink&, FakeComm&)> call;
    std::optional<int32_t> expected;  // none: what the same call gives on the host's thread
};

class CallBack : public Lifecycle, public ::testing::WithParamInterface<CallbackCase> {};

TEST_P(CallBack, FromTheSinkAnswersAsOnAHostThread) {
    const CallbackCase& c = GetParam();
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    ASSERT_EQ(lib->initSensors(&sink), 0);
    uint32_t level = 0;
    lib->getMonitorPFAEventSupport(&level);
    const int32_t expected = c.expected ? *c.expected : c.call(*lib, sink, comm);
    start(*lib);
    std::atomic<int32_t> result{-100};
    std::atomic<bool> onLibraryThread{false};
    sink.onDasd([&](int32_t, int32_t sensor) {
        if (sensor != 1) return;
        onLibraryThread = cThreadLib::onLibraryThread();
        result = c.call(*lib, sink, comm);
    });
    eventtest::RecordedSleeps sleeps;
    comm.pushEvent(0, event(0x0B, {0, 1}));
    ASSERT_TRUE(eventually([&] { return result.load() != -100; }));
    EXPECT_TRUE(onLibraryThread.load());
    EXPECT_EQ(result.load(), expected);
    for (uint32_t ms : sleeps.taken()) EXPECT_NE(ms, 30000u) << "a library thread was held by monitorPFAEvents";
    comm.pushEvent(0, event(0x0B, {0, 2}));
    EXPECT_TRUE(eventually([&] { return sink.count(kDasdCode) >= 2; }));
    returnsWithin(kHang, "closeLibrary", [&] { EXPECT_EQ(closeLibrary(), 0); });
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CallBack,
    ::testing::Values(
        CallbackCase{"SensorQuery",
                     [](cLibYAT& l, CallbackSink&, FakeComm&) {
                         int32_t status = 0, reading = 0, low = 0, high = 0;
                         return l.getSensorStatus(1, 1, 1, &status, &reading, &low, &high);
                     },
                     std::nullopt},
        CallbackCase{"SpRead",
                     [](cLibYAT& l, CallbackSink&, FakeComm&) {
                         SystemStateInfo info{};
                         return l.getSystemState(0, &info);
                     },
                     std::nullopt},
        CallbackCase{"SettingWrite", [](cLibYAT& l, CallbackSink&, FakeComm&) { return l.setLoginPolicyValue(0, 3); },
                     std::nullopt},
        CallbackCase{"LibraryMutex",
                     [](cLibYAT& l, CallbackSink&, FakeComm&) {
                         int32_t type = 0;
                         return l.getSPType(&type);
                     },
                     std::nullopt},
        CallbackCase{"Discovery", [](cLibYAT& l, CallbackSink& s, FakeComm&) { return l.initSensors(&s); },
                     std::nullopt},
        CallbackCase{"EventConfiguration", [](cLibYAT& l, CallbackSink&, FakeComm&) { return l.initEvents(); },
                     std::nullopt},
        CallbackCase{"LedPanel", [](cLibYAT& l, CallbackSink&, FakeComm&) { return l.initGlint(); }, std::nullopt},
        CallbackCase{"PfaEventsEmpty",
                     [](cLibYAT& l, CallbackSink&, FakeComm&) {
                         PFAEventInfo info{};
                         return l.monitorPFAEvents(&info);
                     },
                     ERR_EMPTY},
        CallbackCase{"Registration",
                     [](cLibYAT& l, CallbackSink& s, FakeComm&) { return l.registerForAsynchEvents(&s); }, ERR_FAILED},
        CallbackCase{"OpenAndClose",
                     [](cLibYAT& l, CallbackSink&, FakeComm& comm) {
                         cLibYAT* other = nullptr;
                         if (openLibrary(&other, &comm) != ERR_SUCCESS || other != &l) return -1;
                         return closeLibrary();  // one user left
                     },
                     1}),
    [](const ::testing::TestParamInfo<CallbackCase>& info) { return std::string(info.param.name); });

// The last close made from the sink's callback destroys the object; the calling thread ends when its
// callback returns, and nothing is reported afterwards.
TEST_F(Lifecycle, LastCloseFromTheSink) {
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    start(*lib);
    std::atomic<int32_t> left{-100};
    sink.onDasd([&](int32_t, int32_t) {
        if (left.load() != -100) return;
        left = closeLibrary();
        sink.closed = true;
    });
    comm.pushEvent(0, event(0x0B, {1, 2}));
    comm.pushEvent(1, event(0x0B, {1, 3}));
    ASSERT_TRUE(eventually([&] { return left.load() != -100; }));
    EXPECT_EQ(left.load(), 0);
    EXPECT_TRUE(threadsEnded());
    EXPECT_EQ(log.countText("destructor called"), 1u);
    EXPECT_EQ(sink.lateReports.load(), 0);
    EXPECT_EQ(closeLibrary(), 0);
}

// A close from a callback made during discovery, on the host's own thread: the object is still in
// use there, so the last close is refused (nothing changes) while a close of another user counts.
TEST_F(Lifecycle, LastCloseFromADiscoveryCallbackIsRefused) {
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    struct ClosingSink : CallbackSink {
        std::vector<int32_t> results;
        int32_t findRegistryText(const char* text) override {
            if (results.size() < 2) results.push_back(closeLibrary());
            return CallbackSink::findRegistryText(text);
        }
    } closing;
    EXPECT_EQ(lib->initSensors(&closing), 0);
    EXPECT_EQ(closing.results, (std::vector<int32_t>{1, kCloseRefused}));
    EXPECT_TRUE(
        log.has("cSPDev::Release", "the last close came from inside a library operation on this thread; refused"));
    EXPECT_EQ(log.countText("destructor called"), 0u);
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_EQ(log.countText("destructor called"), 1u);
}

// The host deregisters while the sink deregisters from its callback: both return, each within its
// bound, and every thread ends.
TEST_F(Lifecycle, OverlappingDeregistrations) {
    cLibYAT lib(&comm);
    start(lib);
    std::atomic<bool> inCallback{false};
    std::atomic<bool> returned{false};
    sink.onDasd([&](int32_t, int32_t) {
        if (inCallback.exchange(true)) return;
        eventually([&] { return log.countText("called") >= 1; });  // the host's deregistration began
        lib.deRegisterForAsynchEvents();
        returned = true;
    });
    comm.pushEvent(0, event(0x0B, {1, 2}));
    ASSERT_TRUE(eventually([&] { return inCallback.load(); }));
    returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib.deRegisterForAsynchEvents(); });
    sink.closed = true;
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(threadsEnded());
    EXPECT_EQ(sink.lateReports.load(), 0);
    EXPECT_EQ(lib.registerForAsynchEvents(&sink), 0);  // and monitoring starts again
    lib.deRegisterForAsynchEvents();
}

}  // namespace
