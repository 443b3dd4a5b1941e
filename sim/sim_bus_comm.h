#pragma once
// SimBusComm: a comm device (device ID 99) whose nodes are simulated SPs driven by a scenario. Hand it
// to openLibrary like any comm device; it answers every request as the node's SP would, delivers the
// events that are injected or that the scenario's timeline raises, and meets the faults it is told to.
//
// sendCommand: routes the request to the handler of its command family (sim/handlers); an unknown
// command answers status 0xFF, a request with a command length of 0 or above 32 answers status 1
// without echo. The answer never holds more data than fits the buffer. Results: 0, kNoSuchNode for a
// node outside the scenario or a null buffer, or an injected transport failure code.
//
// registerForEvents(node): blocks until an event for node is pending, writes it (type 5) and returns
// 0; returns 10 once deRegisterForEvents(node) is called: at once for every call blocked at that
// moment, or, when none was blocked, for the next call. Pending events stay queued across that.
//
// Thread-safe: any number of threads may send, each node may have a blocked registerForEvents, and
// the test API below may be used at the same time. The object must outlive every call into it (close
// the library first).

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

#include "yat/bus_comm.h"
#include "sim/events.h"
#include "sim/faults.h"
#include "sim/scenario.h"

namespace yatsim {

// The time scale of the simulator and of the programs' own waits: YAT_SLEEP_SCALE when set and
// valid, else 1. A scale of 0 (no waits) gives a tiny positive one, since the simulator clock divides
// by it.
double environmentTimeScale();

class SimBusComm final : public cBusComm {
public:
    static constexpr int32_t kDeviceId = 99;
    static constexpr uint32_t kNoSuchNode = 1;  // sendCommand/registerForEvents/deRegisterForEvents
    static constexpr uint32_t kDeregistered = kCommEventsStopped;
    static constexpr size_t kHistoryLimit = 4096;  // requests kept by history()

    // One request as the simulator received it.
    struct RecordedRequest {
        int32_t node = 0;
        uint8_t type = 0;
        std::string command;  // dotted
        Bytes data;
    };

    using SleepFunction = std::function<void(std::chrono::microseconds)>;

    // Starts the simulator clock. The time scale (latency and timeline) is YAT_SLEEP_SCALE when set
    // to a positive number, else 1.
    explicit SimBusComm(Scenario scenario = defaultScenario());
    ~SimBusComm();
    SimBusComm(const SimBusComm&) = delete;
    SimBusComm& operator=(const SimBusComm&) = delete;

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override;
    uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override;
    uint32_t deRegisterForEvents(uint32_t node) override;
    uint32_t getNodeCount() override;

    // Events: queues event for node and wakes its waiter; false for an unknown node.
    bool injectEvent(uint32_t node, const SimEvent& event);
    // Adds entries to the timeline, their times counted from now (entries for unknown nodes are
    // dropped).
    void playTimeline(const std::vector<TimelineEntry>& entries);
    // True while a registerForEvents call is blocked on node.
    bool waiting(uint32_t node) const;
    size_t pendingEvents(uint32_t node) const;

    // Time. The timeline runs on the simulator clock, which follows real time (scaled) until
    // useManualClock() stops it; then only advanceTime moves it.
    void useManualClock();
    void advanceTime(std::chrono::milliseconds amount);
    std::chrono::milliseconds now() const;
    void setTimeScale(double scale);

    // Faults.
    void addFault(const FaultRule& rule);
    void clearFaults();
    void setFaultSeed(uint64_t seed);
    // Replaces the wait of latency faults (tests record instead of sleeping); null restores sleeping.
    void setSleepFunction(SleepFunction sleep);
    // Faults met so far by this object's requests, per kind (indexed by FaultKind).
    std::array<uint64_t, kFaultKindCount> faultCounts() const;
    // Failure faults (every kind but latency) met by the requests the calling thread sent to any
    // SimBusComm: a host thread compares it before and after an operation to learn whether a fault
    // hit that operation.
    static uint64_t faultsOnThisThread();

    // Runs f with the state of node under the simulator's lock and returns its result (the node must
    // exist; std::out_of_range otherwise).
    template <class F>
    auto withNode(uint32_t node, F&& f) -> std::invoke_result_t<F, NodeState&> {
        std::lock_guard<std::mutex> guard(mutex_);
        return f(nodes_.at(node));
    }

    // The latest requests (at most kHistoryLimit), oldest first.
    std::vector<RecordedRequest> history() const;
    void clearHistory();

    const Scenario& scenario() const { return scenario_; }

private:
    struct EventQueue {
        std::vector<SimEvent> events;  // oldest first
        uint64_t stopGeneration = 0;
        bool pendingStop = false;
        int waiting = 0;
    };

    std::chrono::milliseconds nowLocked() const;
    // Moves the timeline entries that are due into the node queues; true when any moved.
    bool pumpTimeline();
    // The real time at which the next timeline entry is due, when the clock follows real time.
    std::optional<std::chrono::steady_clock::time_point> nextDueLocked() const;
    void record(const Request& request);

    mutable std::mutex mutex_;
    std::condition_variable eventsChanged_;
    Scenario scenario_;
    std::vector<NodeState> nodes_;
    std::vector<EventQueue> queues_;
    size_t timelineNext_ = 0;
    FaultInjector faults_;
    SleepFunction sleep_;
    double timeScale_ = 1.0;
    bool manualClock_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::milliseconds manualTime_{0};
    std::deque<RecordedRequest> history_;
    std::array<uint64_t, kFaultKindCount> faultCounts_{};
};

}  // namespace yatsim
