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

#include "event_test_kit.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "sensors/sensor_sp.h"
#include "yat/command_buffer.h"
#include "yat/pfa_records.h"
#include "yat/result_codes.h"

namespace {

using eventtest::codes;
using eventtest::event;
using eventtest::eventually;
using eventtest::returnsWithin;
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

// A node with one temperature and one fan.
void scriptNode(FakeComm& comm, int32_t node) {
    ScriptedSp sp(comm, node);
    sp.supported(join({entry({2, 1, 5, 1})}));
    sp.temp(5, 1, 40, 60, 50);
    sp.fan(1, 30);
    sp.power(0x00, 0x00);
}

void scriptNodes(FakeComm& comm) {
    for (uint32_t node = 0; node < comm.getNodeCount(); ++node) scriptNode(comm, static_cast<int32_t>(node));
    comm.answer("2.7.3", codes({0x05200001})).type(2);
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
    sink.onDasd([&](int32_t, int32_t) {
        inCallback = true;
        // Calls back in once the last close is under way.
        eventually([&] { return log.has("cLibYAT::~cLibYAT", "destructor called"); });
        int32_t type = 0;
        typeResult = lib->getSPType(&type);
        PFAEventInfo info{};
        pfaResult = lib->monitorPFAEvents(&info);
    });
    comm.pushEvent(0, event(0x0B, {1, 2}));
    ASSERT_TRUE(eventually([&] { return inCallback.load(); }));
    int32_t left = -1;
    returnsWithin(kHang, "closeLibrary", [&] { left = closeLibrary(); });
    sink.closed = true;
    EXPECT_EQ(left, 0);
    EXPECT_EQ(typeResult.load(), ERR_SUCCESS);
    EXPECT_EQ(pfaResult.load(), ERR_EMPTY);  // at once: a library thread is never held 30 s
    EXPECT_EQ(sink.lateReports.load(), 0);
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
    ASSERT_TRUE(eventually([&] {
        return log.has("cSP::SPAsyncEvents", "power down event for node [0]; the event thread ends");
    }));
    lib.deRegisterForAsynchEvents();
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    comm.pushEvent(0, event(0x0B, {1, 5}));
    comm.pushEvent(1, event(0x0B, {1, 6}));
    EXPECT_TRUE(eventually([&] { return sink.count(kDasdCode) == 2; }));
    EXPECT_FALSE(comm.stopPending(0));
    lib.deRegisterForAsynchEvents();
}

// A comm device whose stop wakes only the waits blocked at that moment: a wait that begins later
// blocks until an event comes. Optionally it holds node 0's first enable ("5.2.a") until a stop for
// node 0 arrives, and ignores stops for node 0 altogether.
class StubbornComm : public FakeComm {
public:
    using FakeComm::FakeComm;

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override {
        if (node == 0 && holdEnable && yattest::dotted(buffer + wire::kHeaderSize, buffer[1]) == "5.2.a") {
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

// A device that never ends node 0's wait: deregistration gives up on that thread after its bound,
// and the thread, when the device finally answers, reports nothing.
TEST_F(LifecycleDevice, DeregistrationAbandonsAWaitTheDeviceNeverEnds) {
    cLibYAT lib(&comm);
    ASSERT_EQ(lib.initSensors(&sink), 0);
    comm.ignoreStopsOfNode0 = true;
    ASSERT_EQ(lib.registerForAsynchEvents(&sink), 0);
    ASSERT_TRUE(eventually([&] { return comm.waiting(0) && comm.waiting(1); }));
    returnsWithin(kHang, "deRegisterForAsynchEvents", [&] { lib.deRegisterForAsynchEvents(); });
    sink.closed = true;
    comm.push(0, event(0x0B, {1, 7}));
    ASSERT_TRUE(eventually([&] { return comm.delivered() == 1; }));
    EXPECT_EQ(sink.lateReports.load(), 0);
}

}  // namespace
