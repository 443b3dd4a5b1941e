#include "sim/sim_bus_comm.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "yat/command_buffer.h"
#include "platform/runtime.h"
#include "sim/handler_table.h"

namespace yatsim {

double environmentTimeScale() { return std::max(sleepScaleFromText(std::getenv("YAT_SLEEP_SCALE"), 1.0), 1e-6); }

namespace {

void realSleep(std::chrono::microseconds wait) { std::this_thread::sleep_for(wait); }

thread_local uint64_t threadFaults = 0;

}  // namespace

SimBusComm::SimBusComm(Scenario scenario)
    : scenario_(std::move(scenario)),
      nodes_(scenario_.nodes),
      queues_(nodes_.size()),
      faults_(scenario_.faults),
      sleep_(realSleep),
      timeScale_(environmentTimeScale()),
      start_(std::chrono::steady_clock::now()) {
    setDeviceID(kDeviceId);
    const char name[] = "yat_sim";
    std::memcpy(libFileName, name, sizeof name);
}

SimBusComm::~SimBusComm() = default;

uint32_t SimBusComm::getNodeCount() { return static_cast<uint32_t>(nodes_.size()); }

uint32_t SimBusComm::sendCommand(int32_t node, uint8_t* buffer) {
    if (buffer == nullptr) return kNoSuchNode;
    uint8_t answer[wire::kBufferSize];
    uint32_t result = 0;
    uint32_t latencyMs = 0;
    SleepFunction sleep;
    double scale;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (node < 0 || static_cast<size_t>(node) >= nodes_.size()) return kNoSuchNode;
        // State changes that are due happen before the SP answers.
        if (pumpTimeline()) eventsChanged_.notify_all();
        std::optional<Request> request = decodeRequest(buffer, node);
        if (!request) {
            encodeAnswer(answer, {}, Answer::failure(spstatus::kInvalidRequest));
        } else {
            record(*request);
            FaultDecision decision = faults_.decide(*request);
            latencyMs = decision.latencyMs;
            const std::optional<FaultRule>& fault = decision.failure;
            if (latencyMs > 0) ++faultCounts_[static_cast<size_t>(FaultKind::kLatency)];
            if (fault) {
                ++faultCounts_[static_cast<size_t>(fault->kind)];
                ++threadFaults;
            }
            if (fault && fault->kind == FaultKind::kTransport) {
                result = fault->value.value_or(1);
            } else {
                Answer reply;
                if (fault && fault->kind == FaultKind::kStatus) {
                    reply = Answer::failure(static_cast<uint8_t>(fault->value.value_or(spstatus::kUnavailable)));
                } else if (const Handler* handler = standardHandlers().find(request->command)) {
                    reply = (*handler)(nodes_[static_cast<size_t>(node)], *request);
                } else {
                    reply = Answer::failure(spstatus::kUnknownCommand);
                }
                if (fault && fault->kind == FaultKind::kTruncated) {
                    reply.data.resize(std::min<size_t>(
                        reply.data.size(), fault->value.value_or(static_cast<uint32_t>(reply.data.size() / 2))));
                }
                encodeAnswer(answer, request->command, reply);
                if (fault) applyMalformation(answer, *fault);
            }
        }
        sleep = sleep_;
        scale = timeScale_;
    }
    if (latencyMs > 0) sleep(std::chrono::microseconds(static_cast<int64_t>(latencyMs * 1000.0 * scale)));
    if (result != 0) return result;
    std::memcpy(buffer, answer, sizeof answer);
    return 0;
}

uint32_t SimBusComm::registerForEvents(uint32_t node, uint8_t* buffer) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (buffer == nullptr || node >= queues_.size()) return kNoSuchNode;
    EventQueue& queue = queues_[node];
    if (queue.pendingStop) {
        queue.pendingStop = false;
        return kDeregistered;
    }
    uint64_t generation = queue.stopGeneration;
    ++queue.waiting;
    eventsChanged_.notify_all();
    for (;;) {
        if (pumpTimeline()) eventsChanged_.notify_all();
        if (queue.stopGeneration != generation) {
            --queue.waiting;
            return kDeregistered;
        }
        if (!queue.events.empty()) {
            SimEvent event = std::move(queue.events.front());
            queue.events.erase(queue.events.begin());
            --queue.waiting;
            encodeEvent(buffer, event);
            return 0;
        }
        std::optional<std::chrono::steady_clock::time_point> due = nextDueLocked();
        if (due) {
            eventsChanged_.wait_until(lock, *due);
        } else {
            eventsChanged_.wait(lock);
        }
    }
}

uint32_t SimBusComm::deRegisterForEvents(uint32_t node) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (node >= queues_.size()) return kNoSuchNode;
    EventQueue& queue = queues_[node];
    ++queue.stopGeneration;
    if (queue.waiting == 0) queue.pendingStop = true;
    eventsChanged_.notify_all();
    return 0;
}

bool SimBusComm::injectEvent(uint32_t node, const SimEvent& event) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (node >= queues_.size()) return false;
    applyEffects(nodes_[node], event);
    if (event.deliver) queues_[node].events.push_back(event);
    eventsChanged_.notify_all();
    return true;
}

void SimBusComm::playTimeline(const std::vector<TimelineEntry>& entries) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto current = static_cast<uint64_t>(nowLocked().count());
    for (const TimelineEntry& entry : entries) {
        if (entry.node >= nodes_.size()) continue;
        TimelineEntry timed = entry;
        timed.atMs += current;
        scenario_.timeline.push_back(std::move(timed));
    }
    std::stable_sort(scenario_.timeline.begin() + static_cast<std::ptrdiff_t>(timelineNext_), scenario_.timeline.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.atMs < b.atMs; });
    eventsChanged_.notify_all();
}

bool SimBusComm::waiting(uint32_t node) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return node < queues_.size() && queues_[node].waiting > 0;
}

size_t SimBusComm::pendingEvents(uint32_t node) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return node < queues_.size() ? queues_[node].events.size() : 0;
}

std::chrono::milliseconds SimBusComm::nowLocked() const {
    if (manualClock_) return manualTime_;
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_);
    return std::chrono::milliseconds(static_cast<int64_t>(elapsed.count() / timeScale_));
}

std::chrono::milliseconds SimBusComm::now() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return nowLocked();
}

void SimBusComm::useManualClock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (manualClock_) return;
    manualTime_ = nowLocked();
    manualClock_ = true;
}

void SimBusComm::advanceTime(std::chrono::milliseconds amount) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!manualClock_) {
        manualTime_ = nowLocked();
        manualClock_ = true;
    }
    manualTime_ += amount;
    pumpTimeline();
    eventsChanged_.notify_all();
}

void SimBusComm::setTimeScale(double scale) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (scale <= 0.0) return;
    // Keep the simulator time where it is.
    auto current = nowLocked();
    timeScale_ = scale;
    start_ = std::chrono::steady_clock::now() -
             std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                 std::chrono::duration<double, std::milli>(static_cast<double>(current.count()) * scale));
    eventsChanged_.notify_all();
}

bool SimBusComm::pumpTimeline() {
    bool moved = false;
    auto current = nowLocked();
    while (timelineNext_ < scenario_.timeline.size() &&
           static_cast<int64_t>(scenario_.timeline[timelineNext_].atMs) <= current.count()) {
        const TimelineEntry& entry = scenario_.timeline[timelineNext_++];
        applyEffects(nodes_[entry.node], entry.event);
        if (entry.event.deliver) queues_[entry.node].events.push_back(entry.event);
        moved = true;
    }
    return moved;
}

std::optional<std::chrono::steady_clock::time_point> SimBusComm::nextDueLocked() const {
    if (manualClock_ || timelineNext_ >= scenario_.timeline.size()) return std::nullopt;
    double at = static_cast<double>(scenario_.timeline[timelineNext_].atMs) * timeScale_;
    return start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double, std::milli>(at));
}

void SimBusComm::addFault(const FaultRule& rule) {
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.add(rule);
}

void SimBusComm::clearFaults() {
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.clear();
}

void SimBusComm::setFaultSeed(uint64_t seed) {
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.reseed(seed);
}

void SimBusComm::setSleepFunction(SleepFunction sleep) {
    std::lock_guard<std::mutex> guard(mutex_);
    sleep_ = sleep ? std::move(sleep) : SleepFunction(realSleep);
}

std::array<uint64_t, kFaultKindCount> SimBusComm::faultCounts() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return faultCounts_;
}

uint64_t SimBusComm::faultsOnThisThread() { return threadFaults; }

void SimBusComm::record(const Request& request) {
    if (history_.size() >= kHistoryLimit) history_.pop_front();
    history_.push_back(RecordedRequest{request.node, request.type, request.dotted(), request.data});
}

std::vector<SimBusComm::RecordedRequest> SimBusComm::history() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return std::vector<RecordedRequest>(history_.begin(), history_.end());
}

void SimBusComm::clearHistory() {
    std::lock_guard<std::mutex> guard(mutex_);
    history_.clear();
}

}  // namespace yatsim
