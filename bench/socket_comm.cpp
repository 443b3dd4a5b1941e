// The socket comm device against yat-spd's server on a Unix socket, both in this process: one SP
// command round trip (sendCommand to answer, median and 99th percentile, with 1 and 2 client
// threads), and discovery of the default two-node server through the server against the simulator in
// this process: once with an SP that answers at once, and once with an SP that takes 1 ms per
// command on both sides (what an operator compares: a real SP is never instant). Beside them, a bare
// ping-pong of a frame-sized message over a Unix socket pair: the floor the machine sets.
//
// Discovery sends its commands one after another, so through a socket it costs at least
// (commands) x (round trip); the counters give the number of commands and the time per command.

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "commands/sp_cmd.h"
#include "frame/libyat.h"
#include "platform/runtime.h"
#include "sim/sim_bus_comm.h"
#include "sockcomm/socket_bus_comm.h"
#include "tools/spd/sp_server.h"
#include "yat/sensor_sink.h"
#include "null_sink.h"

namespace {

using yatbench::NullSink;

// Every SP command the simulator answers takes this long (its latency fault, on every request).
void addSpLatency(yatsim::SimBusComm& sim, uint32_t milliseconds) {
    yatsim::FaultRule rule;
    rule.kind = yatsim::FaultKind::kLatency;
    rule.value = milliseconds;
    sim.addFault(rule);
}

// A simulator served on a Unix socket in a temporary folder, for the life of the program.
struct Served {
    explicit Served(uint32_t latencyMs = 0) {
        if (latencyMs > 0) addSpLatency(sim, latencyMs);
        std::string pattern = (std::filesystem::temp_directory_path() / "yat-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
        endpoint.path = dir + "/spd.sock";
        server = std::make_unique<yatspd::SpServer>(sim, endpoint, [](const std::string&) {});
        std::string why;
        server->start(why);
    }
    ~Served() {
        server->stop();
        std::filesystem::remove_all(dir);
    }
    yatsim::SimBusComm sim;
    std::string dir;
    sockcomm::Endpoint endpoint;
    std::unique_ptr<yatspd::SpServer> server;
};

Served& served() {
    static Served instance;
    return instance;
}

Served& servedWithLatency() {
    static Served instance(1);
    return instance;
}

// Counts the commands that pass through it to inner.
class CountingComm final : public cBusComm {
public:
    explicit CountingComm(cBusComm& inner) : inner_(inner) { setDeviceID(inner.getDeviceID()); }
    uint32_t sendCommand(int32_t node, uint8_t* buffer) override {
        ++commands;
        return inner_.sendCommand(node, buffer);
    }
    uint32_t getNodeCount() override { return inner_.getNodeCount(); }
    int64_t commands = 0;

private:
    cBusComm& inner_;
};

std::mutex latencyMutex;
std::vector<double> latencies;  // microseconds, of every thread of the current run

void BM_RoundTripOverUnixSocket(benchmark::State& state) {
    static std::unique_ptr<sockcomm::SocketBusComm> client;
    if (state.thread_index() == 0) {
        client = std::make_unique<sockcomm::SocketBusComm>(served().endpoint);
        client->getNodeCount();
        std::lock_guard<std::mutex> guard(latencyMutex);
        latencies.clear();
    }
    cSPCmd command;
    std::vector<double> mine;
    for (auto _ : state) {
        command.buildSPCommand("4.3.6", wire::kGet, nullptr, nullptr, 0, 0);
        auto start = std::chrono::steady_clock::now();
        uint32_t result = client->sendCommand(state.thread_index() % 2, command.buffer());
        mine.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (result != 0) state.SkipWithError("sendCommand failed");
    }
    {
        std::lock_guard<std::mutex> guard(latencyMutex);
        latencies.insert(latencies.end(), mine.begin(), mine.end());
    }
    // Thread 0 waits (at most a second) for every thread's latencies, then reports the percentiles.
    if (state.thread_index() == 0) {
        std::vector<double> all;
        for (int spin = 0; spin < 1000; ++spin) {
            {
                std::lock_guard<std::mutex> guard(latencyMutex);
                if (latencies.size() >= mine.size() * static_cast<size_t>(state.threads())) {
                    all = latencies;
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::sort(all.begin(), all.end());
        if (!all.empty()) {
            state.counters["median_us"] = all[all.size() / 2];
            state.counters["p99_us"] = all[std::min(all.size() - 1, all.size() * 99 / 100)];
        }
    }
}
BENCHMARK(BM_RoundTripOverUnixSocket)->Threads(1)->Threads(2)->UseRealTime();

// The floor under a round trip on this machine: a frame-sized message written to a Unix socket pair
// and echoed back by a thread that blocks in read, as the server's connection threads do. What the
// round trip above costs beyond this is the device's and the server's own work.
void BM_BarePingPongOverUnixSocket(benchmark::State& state) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    constexpr size_t kFrame = 4096 + 24;  // the buffer and a frame header
    auto readAll = [](int fd, char* into, size_t size) {
        for (size_t got = 0; got < size;) {
            ssize_t n = read(fd, into + got, size - got);
            if (n <= 0) return false;
            got += static_cast<size_t>(n);
        }
        return true;
    };
    std::thread echo([&] {
        std::vector<char> frame(kFrame);
        while (readAll(pair[1], frame.data(), kFrame) && write(pair[1], frame.data(), kFrame) == ssize_t{kFrame}) {
        }
    });
    std::vector<char> frame(kFrame, 0x5A);
    std::vector<double> times;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (write(pair[0], frame.data(), kFrame) != ssize_t{kFrame} || !readAll(pair[0], frame.data(), kFrame)) {
            state.SkipWithError("ping-pong failed");
            break;
        }
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    shutdown(pair[0], SHUT_RDWR);
    echo.join();
    close(pair[0]);
    close(pair[1]);
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["median_us"] = times[times.size() / 2];
        state.counters["p99_us"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    }
}
BENCHMARK(BM_BarePingPongOverUnixSocket)->UseRealTime();

void discover(benchmark::State& state, cBusComm& device) {
    RuntimeSettings settings = runtimeSettings();
    settings.logEnabled = false;
    settings.stdoutMode = StdoutMode::Off;
    setRuntimeSettings(settings);
    CountingComm comm(device);
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        cLibYAT* lib = nullptr;
        openLibrary(&lib, &comm);
        NullSink sink;
        if (static_cast<cDeviceLib*>(lib)->initSensors(&sink) != 0) state.SkipWithError("discovery failed");
        closeLibrary();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    double perDiscovery = static_cast<double>(comm.commands) / static_cast<double>(state.iterations());
    state.counters["commands"] = perDiscovery;
    state.counters["us_per_command"] = 1e6 * seconds / static_cast<double>(comm.commands);
}

void BM_DiscoveryInProcess(benchmark::State& state) {
    yatsim::SimBusComm sim;
    discover(state, sim);
}
BENCHMARK(BM_DiscoveryInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DiscoveryThroughTheServer(benchmark::State& state) {
    sockcomm::SocketBusComm client(served().endpoint);
    discover(state, client);
}
BENCHMARK(BM_DiscoveryThroughTheServer)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same pair with an SP that takes 1 ms per command, in this process and behind the server.
void BM_DiscoveryWithSpLatencyInProcess(benchmark::State& state) {
    yatsim::SimBusComm sim;
    addSpLatency(sim, 1);
    discover(state, sim);
}
BENCHMARK(BM_DiscoveryWithSpLatencyInProcess)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DiscoveryWithSpLatencyThroughTheServer(benchmark::State& state) {
    sockcomm::SocketBusComm client(servedWithLatency().endpoint);
    discover(state, client);
}
BENCHMARK(BM_DiscoveryWithSpLatencyThroughTheServer)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
