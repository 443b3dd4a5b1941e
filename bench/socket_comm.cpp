// The socket comm device against yat-spd's server on a Unix socket, both in this process: one SP
// command round trip (sendCommand to answer, median and 99th percentile, with 1 and 2 client
// threads), and discovery of the default two-node server through the server against the simulator in
// this process.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
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

// The simulator served on a Unix socket in a temporary folder, for the life of the program.
struct Served {
    Served() {
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

void discover(benchmark::State& state, cBusComm& comm) {
    RuntimeSettings settings = runtimeSettings();
    settings.logEnabled = false;
    settings.stdoutMode = StdoutMode::Off;
    setRuntimeSettings(settings);
    for (auto _ : state) {
        cLibYAT* lib = nullptr;
        openLibrary(&lib, &comm);
        NullSink sink;
        if (static_cast<cDeviceLib*>(lib)->initSensors(&sink) != 0) state.SkipWithError("discovery failed");
        closeLibrary();
    }
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

}  // namespace
