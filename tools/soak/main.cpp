// yat-soak: runs the library over the simulator with a seeded fault plan for a given time, with
// every kind of host activity at once, and checks invariants on the way. Exit status: 0 when every
// invariant held, 1 when one broke, 2 for a usage error.
//
// The run is a series of rounds. Each round opens the library, starts the soak threads (two host
// threads calling queries and reads, a configuration thread writing and reading back settings, an
// event log thread, a monitoring thread registering and deregistering, an event injector, and a
// thread that runs discovery and extra opens and closes), lets them run, joins them and closes the
// library: the number of threads of the process must then be what it was before the open.

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/runtime.h"
#include "sockcomm/socket_bus_comm.h"
#include "tools/comm/comm_choice.h"
#include "tools/spd/sp_server.h"
#include "sim/led_registry.h"
#include "sim/sections/event_log.h"
#include "soak.h"
#include "yat/codes.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"

namespace soak {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void Failures::add(const std::string& what) {
    std::lock_guard<std::mutex> guard(mutex_);
    ++count_;
    if (kept_.size() < 50 && std::find(kept_.begin(), kept_.end(), what) == kept_.end()) kept_.push_back(what);
}

size_t Failures::count() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return count_;
}

std::vector<std::string> Failures::first(size_t n) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return std::vector<std::string>(kept_.begin(),
                                    kept_.begin() + static_cast<std::ptrdiff_t>(std::min(n, kept_.size())));
}

void Counts::merge(const Counts& other) {
    for (const auto& [kind, n] : other.perKind) perKind[kind] += n;
    for (const auto& [operation, codes] : other.histogram) {
        for (const auto& [code, n] : codes) histogram[operation][code] += n;
    }
    checkedRoundTrips += other.checkedRoundTrips;
}

void Worker::result(const char* kind, const char* operation, int32_t code, const Codes& allowed) {
    ++counts.perKind[kind];
    ++counts.histogram[operation][code];
    if (allowed.count(code) == 0) {
        broken(std::string(operation) + " on node " + std::to_string(node) + " returned " + std::to_string(code) +
               ", which it may not return");
    }
}

namespace {

struct Options {
    double seconds = 10;
    uint64_t seed = 1;
    double faultRate = 0.10;
    double sleepScale = 0.001;
    double roundSeconds = 2;
    bool json = false;
    bool keepLog = false;
    std::string comm;  // --comm: "sim", or an endpoint at which the soak serves its simulator
};

// Drive numbers of the probe events (DASD alerts) the monitoring thread sends after registering;
// the injector's own DASD alerts use drives 0 to 7.
constexpr int32_t kProbeFirst = 200;
constexpr int32_t kProbeCount = 50;

// Set on the soak's own threads: the sink calls back into the library only from library threads.
thread_local bool soakThread = false;

// A host sink: counts what it is told, notes the probe events, and from the library's threads calls
// back into the library now and then, as a host agent's sink may: a query or read of any kind, a
// shared open and close, and rarely a deregistration or a registration. Registry texts are found
// nowhere.
class CountingSink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void*, void*, void*, int32_t code,
                         const char*) override {
        reports.fetch_add(1, std::memory_order_relaxed);
        if (sensorClass == yat::kClassNodeEvent && code == 37 && sensor >= kProbeFirst && node >= 1 &&
            node <= static_cast<int32_t>(probeSeen.size())) {
            probeSeen[static_cast<size_t>(node - 1)].store(sensor);
        }
        if (!soakThread && depth == 0) {
            ++depth;
            callBack();
            --depth;
        }
        return 0;
    }
    int32_t addRegistryText(const char*, const char*) override { return 0; }
    int32_t findRegistryText(const char*) override { return 0; }

    // Opens and closes from the sink are kept out of the round's last close: it waits for those under
    // way, and none begins once it has started.
    void closing(bool value) {
        closing_.store(value);
        while (value && pairs_.load() != 0) std::this_thread::yield();
    }

    std::atomic<cLibYAT*> lib{nullptr};
    yatsim::SimBusComm* comm = nullptr;
    cBusComm* device = nullptr;  // what the library is opened with: comm, or the socket device to it
    bool overSocket = false;
    Failures* failures = nullptr;
    uint64_t seed = 1;
    std::atomic<uint64_t> reports{0};
    std::atomic<uint64_t> callbacks{0};
    std::atomic<uint64_t> deregistrations{0};  // made from the sink
    std::array<std::atomic<int32_t>, 2> probeSeen{};
    std::atomic<int64_t> slowestDeregistrationMicros{0};

private:
    void callBack();

    static thread_local int depth;
    std::atomic<bool> closing_{false};
    std::atomic<int> pairs_{0};
};

thread_local int CountingSink::depth = 0;

void noteSlowest(std::atomic<int64_t>& slowest, Clock::duration took) {
    int64_t micros = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    int64_t seen = slowest.load();
    while (micros > seen && !slowest.compare_exchange_weak(seen, micros)) {
    }
}

void CountingSink::callBack() {
    cLibYAT* library = lib.load();
    if (library == nullptr) return;
    thread_local Worker w;
    thread_local bool seeded = false;
    if (!seeded) {
        w.rng.seed(seed ^ std::hash<std::thread::id>()(std::this_thread::get_id()));
        seeded = true;
    }
    w.lib = library;
    w.comm = comm;
    w.overSocket = overSocket;
    w.sink = this;
    w.failures = failures;
    if (!w.chance(0.05)) return;
    callbacks.fetch_add(1, std::memory_order_relaxed);
    int choice = w.pick(0, 199);
    if (choice == 0) {
        deregistrations.fetch_add(1);
        Clock::time_point start = Clock::now();
        library->deRegisterForAsynchEvents();
        noteSlowest(slowestDeregistrationMicros, Clock::now() - start);
    } else if (choice == 1) {
        w.result("callback", "registerForAsynchEvents from the sink", library->registerForAsynchEvents(this),
                 {0, 1, 5});
    } else if (choice < 10) {
        pairs_.fetch_add(1);
        if (!closing_.load()) {
            cLibYAT* other = nullptr;
            int32_t code = openLibrary(&other, device);
            w.result("callback", "openLibrary from the sink", code, {0});
            if (code == 0) {
                if (other != library) w.broken("openLibrary from the sink handed out a second object");
                int32_t left = closeLibrary();
                w.result("callback", "closeLibrary from the sink", left >= 1 ? 0 : left, {0});
            }
        }
        pairs_.fetch_sub(1);
    } else {
        w.node = w.pick(0, 1);
        const Operation& operation = pickWeighted(w, readOperations());
        w.result("callback", operation.name, operation.run(w), operation.allowed);
    }
}

size_t threadCount() {
    size_t n = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) n += entry->d_name[0] != '.' ? 1 : 0;
        closedir(dir);
    }
    return n;
}

// Resident set size in KiB.
uint64_t rssKiB() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

// One rule per kind, the rate spread evenly over the seven.
void addFaultPlan(yatsim::SimBusComm& comm, const Options& options) {
    using yatsim::FaultKind;
    comm.setFaultSeed(options.seed);
    if (options.faultRate <= 0) return;
    for (size_t i = 0; i < yatsim::kFaultKindCount; ++i) {
        yatsim::FaultRule rule;
        rule.kind = static_cast<FaultKind>(i);
        rule.rate = options.faultRate / static_cast<double>(yatsim::kFaultKindCount);
        if (rule.kind == FaultKind::kTransport) rule.value = static_cast<uint32_t>(kTransportCode);
        if (rule.kind == FaultKind::kStatus) rule.value = static_cast<uint32_t>(kStatusCode);
        if (rule.kind == FaultKind::kLatency) rule.value = 20;
        comm.addFault(rule);
    }
}

// Every kind of event the simulator delivers, with state changes that make the library re-read. The
// power-down event, which ends a node's event thread until the next registration, is left to the
// monitoring thread (Soak::powerDown), which knows when it was taken.
yatsim::SimEvent randomEvent(Worker& w) {
    using yatsim::EventEffect;
    int kind = w.pick(0, 8);
    if (kind == 1) kind = 2;
    switch (kind) {
        case 0: {
            yatsim::SimEvent event = yatsim::makeEvent(0x02);
            event.effects.push_back(
                {EventEffect::Kind::kVoltage, static_cast<uint8_t>(w.pick(1, 10)), w.pick(-1300, 1300)});
            return event;
        }
        case 1: return yatsim::makeEvent(0x04);  // power down: the node's event thread ends
        case 2: return yatsim::makeEvent(0x06);  // login
        case 3: {
            yatsim::SimEvent event = yatsim::makeEvent(0x09);
            event.effects.push_back({EventEffect::Kind::kFanRpm, static_cast<uint8_t>(w.pick(1, 6)),
                                     w.chance(0.3) ? 0 : w.pick(300, 6000)});
            return event;
        }
        case 4: {
            auto supply = static_cast<uint8_t>(w.pick(0, 1));
            yatsim::SimEvent event = yatsim::makeEvent(0x0A, {static_cast<uint8_t>(supply + 1)});
            event.effects.push_back({EventEffect::Kind::kSupplyState, supply, w.pick(0, 2)});
            return event;
        }
        case 5:
            return yatsim::makeEvent(0x0B, {static_cast<uint8_t>(w.pick(0, 3)), static_cast<uint8_t>(w.pick(0, 7))});
        case 6: return yatsim::makeEvent(0x0D);
        case 7: {
            yatsim::ComprehensiveEvent fields;
            fields.condition = static_cast<uint16_t>(w.pick(0, 3));
            fields.sequence = static_cast<uint32_t>(w.pick(0, 1 << 20));
            fields.errorCode = w.chance(0.5) ? 0x05200001u : static_cast<uint32_t>(w.pick(0, 1 << 30));
            fields.chassis = static_cast<uint8_t>(w.pick(0, 9));
            fields.memcard = static_cast<uint8_t>(w.pick(0, 9));
            fields.dimm = static_cast<uint8_t>(w.pick(0, 9));
            return yatsim::makeComprehensiveEvent(fields);
        }
        default: {
            // A processor turning hot or cool, seen by the polling thread.
            yatsim::SimEvent event;
            event.deliver = false;
            event.effects.push_back({EventEffect::Kind::kCpuHot, static_cast<uint8_t>(w.pick(0, 1)), w.pick(0, 1)});
            return event;
        }
    }
}

// A memory PFA record, the kind the library keeps on its PFA stack.
yatsim::SimEvent pfaRecord(Worker& w) {
    yatsim::ComprehensiveEvent fields;
    fields.condition = 1;
    fields.errorCode = 0x05200001u;
    fields.sequence = static_cast<uint32_t>(w.pick(0, 1 << 20));
    fields.memcard = static_cast<uint8_t>(w.pick(0, 9));
    fields.dimm = static_cast<uint8_t>(w.pick(0, 9));
    return yatsim::makeComprehensiveEvent(fields);
}

class Soak {
public:
    explicit Soak(const Options& options) : options_(options) {}

    int run();

private:
    Worker makeWorker(uint64_t stream) {
        Worker w;
        w.lib = lib_;
        w.comm = comm_.get();
        w.overSocket = socket_ != nullptr;
        w.sink = &sink_;
        w.failures = &failures_;
        w.rng.seed(options_.seed * 0x9E3779B97F4A7C15ull + stream);
        return w;
    }
    void pause(Worker& w, int maxMicros) {
        std::this_thread::sleep_for(std::chrono::microseconds(w.pick(0, maxMicros)));
    }
    void runRound(uint64_t round, Clock::time_point end);
    // Threads of this process but those of the socket server's connections (the socket device opens
    // another connection when callers overlap, and keeps it for its own life).
    size_t libraryThreadCount() const { return threadCount() - (server_ ? server_->clientCount() : 0); }
    void hostThread(Worker& w);
    void configThread(Worker& w);
    void logThread(Worker& w);
    void monitorThread(Worker& w);
    void probe(Worker& w);
    void powerDown(Worker& w, uint32_t node);
    bool queueDrains(uint32_t node);
    void injectorThread(Worker& w);
    Clock::duration stopBound() const;
    void checkStop(Worker& w, const char* operation, Clock::duration took, std::atomic<int64_t>& slowest);
    void lifecycleThread(Worker& w);
    void checkLogFiles();
    void report(double elapsed);

    // The device the library is opened with: the simulator itself, or the socket device to it.
    cBusComm* libraryComm() { return socket_ ? static_cast<cBusComm*>(socket_.get()) : comm_.get(); }
    // With --comm unix:/tcp:, serves the simulator there and connects the socket device; false with a
    // message when the choice cannot be served.
    bool serveOverSocket();

    Options options_;
    std::unique_ptr<yatsim::SimBusComm> comm_;
    std::unique_ptr<yatspd::SpServer> server_;
    std::unique_ptr<sockcomm::SocketBusComm> socket_;
    cLibYAT* lib_ = nullptr;
    CountingSink sink_;
    Failures failures_;
    Counts total_;
    std::mutex totalMutex_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> injectorStop_{false};     // the injector outlives the other threads of a round
    std::atomic<bool> storm_{false};            // the injector at full rate, PFA records among its events
    std::array<std::atomic<bool>, 2> quiet_{};  // the injector leaves the node alone
    std::array<bool, 2> uncertain_{};           // a power-down of the node may still wait in the simulator
    uint64_t probeSequence_ = 0;
    std::atomic<uint64_t> probesLost_{0};
    std::atomic<int64_t> slowestCloseMicros_{0};
    std::atomic<int64_t> slowestDeregistrationMicros_{0};
    uint64_t leftBehind_ = 0;  // log lines of threads left behind at a stop
    std::string dir_;
    uint64_t rssStart_ = 0, rssWarm_ = 0, rssEnd_ = 0, heapEnd_ = 0;
    uint64_t rounds_ = 0, logLines_ = 0;
    std::array<uint64_t, yatsim::kFaultKindCount> faults_{};
};

void Soak::hostThread(Worker& w) {
    const std::vector<Operation>& table = readOperations();
    while (!stop_.load()) {
        const Operation& operation = pickWeighted(w, table);
        w.node = w.pick(0, 1);
        w.result(operation.kind, operation.name, operation.run(w), operation.allowed);
    }
}

void Soak::configThread(Worker& w) {
    while (!stop_.load()) {
        w.node = w.pick(0, 1);
        runRoundTrip(w, pickWeighted(w, roundTrips()));
    }
}

void Soak::logThread(Worker& w) {
    while (!stop_.load()) {
        w.node = w.pick(0, 1);
        if (w.chance(0.1)) {
            w.result("log", "eraseLog", w.lib->eraseLog(w.node), {ERR_SUCCESS, ERR_BAD_ANSWER, kTransportCode});
            // Give the log its entries back, so that later walks have something to read.
            std::vector<yatsim::Bytes> entries =
                comm_->scenario().nodes[static_cast<size_t>(w.node)].section<yatsim::EventLogSection>().entries;
            comm_->withNode(static_cast<uint32_t>(w.node), [&entries](yatsim::NodeState& node) {
                node.section<yatsim::EventLogSection>().entries = entries;
            });
            continue;
        }
        LogEntryInfo entry{};
        int32_t code = w.lib->getFirstLogEntry(w.node, &entry);
        w.result("log", "walk getFirstLogEntry", code, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_EMPTY, kTransportCode});
        for (int i = 0; code == 0 && i < 256 && !stop_.load(); ++i) {
            if (std::memchr(entry.message, 0, sizeof entry.message) == nullptr)
                w.broken("log entry without terminator");
            code = w.lib->getNextLogEntry(w.node, &entry);
            w.result("log", "walk getNextLogEntry", code, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_EMPTY, kTransportCode});
        }
        pause(w, 1000);
    }
}

// The longest a close or deregistration may take: the library's bound (events/event_monitor.h:
// max(5 s scaled, 1 s) for the threads to end, then 2 s scaled), plus 1 s for the simulator's
// deRegisterForEvents calls and for scheduling under a sanitizer.
Clock::duration Soak::stopBound() const {
    auto scaled = [&](double ms) {
        return std::chrono::microseconds(static_cast<int64_t>(ms * 1000 * options_.sleepScale));
    };
    Clock::duration threads = std::max<Clock::duration>(scaled(5000), std::chrono::seconds(1));
    return threads + scaled(2000) + std::chrono::seconds(1);
}

void Soak::checkStop(Worker& w, const char* operation, Clock::duration took, std::atomic<int64_t>& slowest) {
    noteSlowest(slowest, took);
    if (took > stopBound()) {
        w.broken(std::string(operation) + " took " +
                 std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()) +
                 " ms, beyond its bound");
    }
}

void Soak::monitorThread(Worker& w) {
    while (!stop_.load()) {
        // 1: the sink registered again after it deregistered.
        int32_t code = w.lib->registerForAsynchEvents(&sink_);
        w.result("monitoring", "registerForAsynchEvents", code, {0, 1, 5});
        if (code == 0) {
            probe(w);
            // Now and then a node powers down: its thread ends, and the next registration must hear
            // it again although the stop sent to it finds no thread.
            if (w.chance(0.3)) powerDown(w, static_cast<uint32_t>(w.pick(0, 1)));
        }
        pause(w, 20000);
        Clock::time_point start = Clock::now();
        w.lib->deRegisterForAsynchEvents();
        checkStop(w, "deRegisterForAsynchEvents", Clock::now() - start, slowestDeregistrationMicros_);
        w.result("monitoring", "deRegisterForAsynchEvents", 0, {0});
        pause(w, 2000);
    }
}

// True once every event queued for node has been taken (at most 2 s).
bool Soak::queueDrains(uint32_t node) {
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
    while (comm_->pendingEvents(node) != 0) {
        if (stop_.load() || Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Sends node a power-down once its queue is empty and waits until the event thread has taken it.
// Should that not be seen, the node's next probe is excused.
void Soak::powerDown(Worker& w, uint32_t node) {
    quiet_[node].store(true);
    bool taken = queueDrains(node);
    if (taken) {
        comm_->injectEvent(node, yatsim::makeEvent(0x04));
        ++w.counts.perKind["power-downs"];
        taken = queueDrains(node);
    }
    if (!taken) uncertain_[node] = true;
    quiet_[node].store(false);
}

// After a registration one probe event (a DASD alert on a drive no other event names) per node must
// reach the sink: a node left deaf by registering again loses it. A registration the sink ended
// meanwhile, or a power-down that may still wait for the node, excuses a probe that does not come.
void Soak::probe(Worker& w) {
    const uint64_t deregistrations = sink_.deregistrations.load();
    std::array<int32_t, 2> expected{};
    for (uint32_t node = 0; node < 2; ++node) {
        expected[node] = kProbeFirst + static_cast<int32_t>(probeSequence_++ % kProbeCount);
        comm_->injectEvent(node, yatsim::makeEvent(0x0B, {0, static_cast<uint8_t>(expected[node])}));
        ++w.counts.perKind["probes sent"];
    }
    auto arrived = [&](uint32_t node) { return sink_.probeSeen[node].load() == expected[node]; };
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
    while (!(arrived(0) && arrived(1)) && !stop_.load() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (uint32_t node = 0; node < 2; ++node) {
        if (arrived(node)) {
            uncertain_[node] = false;
        } else if (stop_.load() || sink_.deregistrations.load() != deregistrations || uncertain_[node]) {
            ++w.counts.perKind["probes excused"];
        } else {
            ++probesLost_;
            w.broken("a probe event for node " + std::to_string(node) + " was lost after registering");
        }
    }
}

void Soak::injectorThread(Worker& w) {
    while (!injectorStop_.load()) {
        const bool storm = storm_.load();
        auto node = static_cast<uint32_t>(w.pick(0, 1));
        // Events wait in the simulator while nobody listens; keep that queue short.
        if (!quiet_[node].load() && comm_->pendingEvents(node) < (storm ? 64u : 8u)) {
            yatsim::SimEvent event = storm && w.chance(0.5) ? pfaRecord(w) : randomEvent(w);
            comm_->injectEvent(node, event);
            ++w.counts.perKind[storm ? "events injected (storm)" : "events injected"];
        }
        if (!storm) pause(w, 400);
    }
}

void Soak::lifecycleThread(Worker& w) {
    while (!stop_.load()) {
        switch (w.pick(0, 4)) {
            case 0:
                w.result("discovery", "initSensors", w.lib->initSensors(&sink_),
                         {ERR_SUCCESS, ERR_BAD_ANSWER, kTransportCode});
                break;
            case 1:
                w.result("discovery", "initEvents", w.lib->initEvents(), {ERR_SUCCESS, ERR_BAD_ANSWER, kTransportCode});
                break;
            case 2: w.result("discovery", "initGlint", w.lib->initGlint(), {0, 9}); break;
            default: {
                // Another user of the same object: open shares it, close counts one user less.
                cLibYAT* other = nullptr;
                int32_t code = openLibrary(&other, libraryComm());
                w.result("lifecycle", "openLibrary", code, {0});
                if (code == 0 && other != lib_) w.broken("openLibrary handed out a second object");
                if (code == 0) {
                    int32_t left = closeLibrary();
                    w.result("lifecycle", "closeLibrary", left >= 1 ? 0 : left, {0});
                }
                break;
            }
        }
        pause(w, 5000);
    }
}

void Soak::runRound(uint64_t round, Clock::time_point end) {
    size_t threadsBefore = libraryThreadCount();
    int32_t code = openLibrary(&lib_, libraryComm());
    if (code != 0 || lib_ == nullptr) {
        failures_.add("openLibrary returned " + std::to_string(code));
        return;
    }
    // A host discovers the sensors first; the lifecycle thread discovers again while the rest runs.
    Worker first = makeWorker(round * 16 + 15);
    first.result("discovery", "initSensors", lib_->initSensors(&sink_), {ERR_SUCCESS, ERR_BAD_ANSWER, kTransportCode});
    total_.merge(first.counts);
    using Body = void (Soak::*)(Worker&);
    const Body bodies[] = {&Soak::hostThread,    &Soak::hostThread,     &Soak::configThread,   &Soak::logThread,
                           &Soak::monitorThread, &Soak::injectorThread, &Soak::lifecycleThread};
    std::vector<Worker> workers;
    for (size_t i = 0; i < std::size(bodies); ++i) workers.push_back(makeWorker(round * 16 + i));
    sink_.lib.store(lib_);
    stop_.store(false);
    injectorStop_.store(false);
    std::vector<std::thread> threads;
    std::thread injector;
    for (size_t i = 0; i < std::size(bodies); ++i) {
        std::thread thread([this, body = bodies[i], &w = workers[i]] {
            soakThread = true;
            (this->*body)(w);
        });
        if (bodies[i] == &Soak::injectorThread) {
            injector = std::move(thread);
        } else {
            threads.push_back(std::move(thread));
        }
    }
    Clock::time_point roundEnd =
        std::min(end, Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(options_.roundSeconds * 1000)));
    while (Clock::now() < roundEnd) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop_.store(true);
    for (std::thread& thread : threads) thread.join();

    // The last close meets monitoring on and events arriving as fast as they are taken, memory PFA
    // records among them, with the sink calling back in.
    Worker closer = makeWorker(round * 16 + 14);
    closer.result("monitoring", "registerForAsynchEvents", lib_->registerForAsynchEvents(&sink_), {0, 1, 5});
    storm_.store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sink_.closing(true);
    Clock::time_point closeStart = Clock::now();
    int32_t left = closeLibrary();
    checkStop(closer, "closeLibrary", Clock::now() - closeStart, slowestCloseMicros_);
    if (left != 0) failures_.add("the last closeLibrary left " + std::to_string(left) + " users");
    lib_ = nullptr;
    sink_.lib.store(nullptr);
    sink_.closing(false);
    injectorStop_.store(true);
    injector.join();
    storm_.store(false);
    for (Worker& w : workers) total_.merge(w.counts);
    total_.merge(closer.counts);
    size_t threadsAfter = libraryThreadCount();
    if (threadsAfter != threadsBefore) {
        failures_.add("round " + std::to_string(round) + ": " + std::to_string(threadsAfter) +
                      " threads after close, " + std::to_string(threadsBefore) + " before open");
    }
}

// Each line: "YYYY-MM-DD hh:mm:ss.uuuuuuZ [T<n>] <tag>\t<text>", without control characters.
bool wellFormed(const std::string& line) {
    const char* pattern = "dddd-dd-dd dd:dd:dd.ddddddZ [T";
    size_t i = 0;
    for (; pattern[i] != 0; ++i) {
        if (i >= line.size()) return false;
        bool digit = line[i] >= '0' && line[i] <= '9';
        if (pattern[i] == 'd' ? !digit : line[i] != pattern[i]) return false;
    }
    size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i == digits || line.compare(i, 2, "] ") != 0) return false;
    size_t tab = line.find('\t', i + 2);
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) return false;
    for (char c : line) {
        auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) return false;
    }
    return line.size() < 64 + 2 * 256 + 8;
}

void Soak::checkLogFiles() {
    for (const char* suffix : {"", ".1", ".2", ".3"}) {
        std::ifstream in(fs::path(dir_) / (std::string("libyat.log") + suffix), std::ios::binary);
        std::string line;
        size_t number = 0;
        while (std::getline(in, line)) {
            ++number;
            ++logLines_;
            if (line.find(" is left behind: ") != std::string::npos) ++leftBehind_;
            if (!wellFormed(line)) {
                failures_.add(std::string("malformed log line ") + std::to_string(number) + " of libyat.log" + suffix +
                              ": " + line.substr(0, 120));
            }
        }
    }
}

void Soak::report(double elapsed) {
    const auto& faults = faults_;
    if (options_.json) {
        nlohmann::json doc;
        doc["seconds"] = elapsed;
        doc["seed"] = options_.seed;
        doc["faultRate"] = options_.faultRate;
        doc["rounds"] = rounds_;
        for (const auto& [kind, n] : total_.perKind)
            doc["operationsPerSecond"][kind] = static_cast<double>(n) / elapsed;
        for (size_t i = 0; i < faults.size(); ++i) {
            doc["faults"][yatsim::faultKindName(static_cast<yatsim::FaultKind>(i))] = faults[i];
        }
        for (const auto& [operation, codes] : total_.histogram) {
            for (const auto& [code, n] : codes) doc["results"][operation][std::to_string(code)] = n;
        }
        doc["checkedRoundTrips"] = total_.checkedRoundTrips;
        doc["stops"] = {{"boundMs", std::chrono::duration<double, std::milli>(stopBound()).count()},
                        {"slowestCloseMs", slowestCloseMicros_.load() / 1000.0},
                        {"slowestDeregistrationMs", slowestDeregistrationMicros_.load() / 1000.0},
                        {"slowestSinkDeregistrationMs", sink_.slowestDeregistrationMicros.load() / 1000.0},
                        {"threadsLeftBehind", leftBehind_}};
        doc["sinkCallbacks"] = sink_.callbacks.load();
        doc["sinkDeregistrations"] = sink_.deregistrations.load();
        doc["probesLost"] = probesLost_.load();
        doc["sensorReports"] = sink_.reports.load();
        doc["logLines"] = logLines_;
        doc["rssKiB"] = {{"start", rssStart_}, {"afterWarmUp", rssWarm_}, {"end", rssEnd_}};
        doc["heapInUseKiB"] = heapEnd_;
        doc["failures"] = failures_.count();
        doc["firstFailures"] = failures_.first(20);
        std::cout << doc.dump(2) << "\n";
        return;
    }
    std::printf("yat-soak: %.1f s, seed %llu, fault rate %.3f, %llu rounds\n", elapsed,
                static_cast<unsigned long long>(options_.seed), options_.faultRate,
                static_cast<unsigned long long>(rounds_));
    std::printf("\noperations per second\n");
    for (const auto& [kind, n] : total_.perKind)
        std::printf("  %-20s %12.1f\n", kind.c_str(), static_cast<double>(n) / elapsed);
    std::printf("\nfaults injected\n");
    for (size_t i = 0; i < faults.size(); ++i) {
        std::printf("  %-20s %12llu\n", yatsim::faultKindName(static_cast<yatsim::FaultKind>(i)),
                    static_cast<unsigned long long>(faults[i]));
    }
    std::printf("\nresult codes per operation\n");
    for (const auto& [operation, codes] : total_.histogram) {
        std::string line;
        for (const auto& [code, n] : codes) line += " " + std::to_string(code) + ":" + std::to_string(n);
        std::printf("  %-34s%s\n", operation.c_str(), line.c_str());
    }
    std::printf("\nread-backs compared %llu, sensor reports %llu, log lines %llu\n",
                static_cast<unsigned long long>(total_.checkedRoundTrips),
                static_cast<unsigned long long>(sink_.reports.load()), static_cast<unsigned long long>(logLines_));
    std::printf(
        "stops: slowest closeLibrary %.1f ms, deRegisterForAsynchEvents %.1f ms (from the sink %.1f ms); "
        "bound %.1f ms; threads left behind %llu\n",
        slowestCloseMicros_.load() / 1000.0, slowestDeregistrationMicros_.load() / 1000.0,
        sink_.slowestDeregistrationMicros.load() / 1000.0,
        std::chrono::duration<double, std::milli>(stopBound()).count(), static_cast<unsigned long long>(leftBehind_));
    std::printf("sink callbacks into the library %llu (deregistrations %llu); probe events lost %llu\n",
                static_cast<unsigned long long>(sink_.callbacks.load()),
                static_cast<unsigned long long>(sink_.deregistrations.load()),
                static_cast<unsigned long long>(probesLost_.load()));
    std::printf("RSS KiB: start %llu, after warm-up %llu, end %llu\n", static_cast<unsigned long long>(rssStart_),
                static_cast<unsigned long long>(rssWarm_), static_cast<unsigned long long>(rssEnd_));
    std::printf("heap in use after the last close: %llu KiB\n", static_cast<unsigned long long>(heapEnd_));
    std::printf("invariant failures: %llu\n", static_cast<unsigned long long>(failures_.count()));
    for (const std::string& failure : failures_.first(20)) std::printf("  %s\n", failure.c_str());
}

bool Soak::serveOverSocket() {
    yatcomm::CommChoice choice;
    try {
        choice = yatcomm::parseCommChoice(options_.comm);
    } catch (const yatcomm::CommChoiceError& error) {
        std::cerr << "yat-soak: " << error.what() << "\n";
        return false;
    }
    if (choice.kind == yatcomm::CommChoice::Kind::Sim && choice.argument.empty()) return true;
    if (choice.kind != yatcomm::CommChoice::Kind::Socket) {
        std::cerr << "yat-soak: --comm " << options_.comm
                  << ": the soak checks the simulator it drives; use sim, unix:PATH or tcp:127.0.0.1:PORT\n";
        return false;
    }
    std::string why;
    auto options = sockcomm::parseSocketOptions(choice.argument, why);
    // The server bounds each client's queue of undelivered events; an event storm may overrun it
    // while the library's event thread is busy in the sink, as the documented bound allows. Anything
    // else the server logs is a failure.
    server_ = std::make_unique<yatspd::SpServer>(*comm_, options->endpoint, [this](const std::string& line) {
        if (line.find("events not taken") == std::string::npos) failures_.add("server: " + line);
    });
    if (!server_->start(why)) {
        std::cerr << "yat-soak: cannot serve on " << choice.argument << ": " << why << "\n";
        return false;
    }
    socket_ = std::make_unique<sockcomm::SocketBusComm>(
        server_->endpoint(), options->timeout,
        [this](const std::string& line) { failures_.add("socket device: " + line); });
    socket_->getNodeCount();
    return true;
}

int Soak::run() {
    // The library reads its settings once, at the first open; the simulator reads the time scale when
    // it is made.
    std::string pattern = (fs::temp_directory_path() / "yat-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::cerr << "yat-soak: cannot make a temporary folder\n";
        return 2;
    }
    dir_ = pattern;
    std::string scale = std::to_string(options_.sleepScale);
    setenv("YAT_LOG_DIR", dir_.c_str(), 1);
    setenv("YAT_ROOT_DIR", (dir_ + "/").c_str(), 1);
    setenv("YAT_SLEEP_SCALE", scale.c_str(), 1);
    setenv("YAT_STDOUT", "off", 1);
    comm_ = std::make_unique<yatsim::SimBusComm>();
    soakThread = true;
    sink_.comm = comm_.get();
    sink_.failures = &failures_;
    sink_.seed = options_.seed;
    yatsim::writeLedRegistry(comm_->scenario(), dir_);
    addFaultPlan(*comm_, options_);
    if (!serveOverSocket()) return 2;
    sink_.device = libraryComm();
    sink_.overSocket = socket_ != nullptr;

    // A sanitizer runtime starts a helper thread with the first thread of the process: have that
    // happen before threads are counted.
    std::thread([] {}).join();
    rssStart_ = rssKiB();
    Clock::time_point start = Clock::now();
    Clock::time_point end = start + std::chrono::milliseconds(static_cast<int64_t>(options_.seconds * 1000));
    // Warm-up: the first tenth of the run (at most a minute), after which memory should stay flat.
    Clock::time_point warm = start + (end - start) / 10;
    if (warm - start > std::chrono::minutes(1)) warm = start + std::chrono::minutes(1);
    for (uint64_t round = 0; Clock::now() < end; ++round) {
        runRound(round, end);
        ++rounds_;
        if (rssWarm_ == 0 && Clock::now() >= warm) rssWarm_ = rssKiB();
    }
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    rssEnd_ = rssKiB();
    heapEnd_ = mallinfo2().uordblks / 1024;
    if (rssWarm_ == 0) rssWarm_ = rssEnd_;
    faults_ = comm_->faultCounts();
    socket_.reset();
    if (server_) server_->stop();
    server_.reset();
    comm_.reset();
    checkLogFiles();
    if (leftBehind_ != 0) failures_.add(std::to_string(leftBehind_) + " library threads were left behind at a stop");
    report(elapsed);
    if (!options_.keepLog) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    } else {
        std::fprintf(stderr, "yat-soak: log kept in %s\n", dir_.c_str());
    }
    return failures_.count() == 0 ? 0 : 1;
}

}  // namespace

}  // namespace soak

int main(int argc, char** argv) {
    soak::Options options;
    CLI::App app{"yat-soak: the library over the simulator under load and injected faults"};
    app.add_option("--seconds", options.seconds, "How long to run")->check(CLI::PositiveNumber);
    app.add_option("--seed", options.seed, "Seed of the fault plan and of every random choice");
    app.add_option("--fault-rate", options.faultRate,
                   "Share of requests that meet a fault, spread over the seven kinds")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--sleep-scale", options.sleepScale, "YAT_SLEEP_SCALE for the library and the simulator")
        ->check(CLI::Range(kMinSleepScale, kMaxSleepScale));
    app.add_option("--round-seconds", options.roundSeconds, "Length of one open-to-close round")
        ->check(CLI::PositiveNumber);
    app.add_option("--comm", options.comm,
                   "sim (default), or unix:PATH / tcp:127.0.0.1:PORT: the soak serves its simulator there (as "
                   "yat-spd does) and the library reaches it through the socket comm device");
    app.add_flag("--json", options.json, "Print one JSON document instead of tables");
    app.add_flag("--keep-log", options.keepLog, "Keep the temporary folder with libyat.log");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        int status = app.exit(error);
        return status == 0 ? 0 : 2;
    }
    return soak::Soak(options).run();
}
