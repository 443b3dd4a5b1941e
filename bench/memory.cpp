// Resident memory the library adds to a process: open and discovery of an eight-node server over the
// simulator, with logging off, deferred to the writer thread and synchronous (YAT_LOG=sync). Each
// measurement runs in a new process (this program started again with YAT_BENCH_MEMORY_CHILD set to
// the logging mode; the benchmark measures in it and ends it), so that it starts from a process that never opened the
// library: growthKiB is its resident set after discovery and a few hundred readings minus the one before the library
// object was made, anonymousGrowthKiB the same for its anonymous part. The simulator is made before the first
// reading.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "sim/sim_bus_comm.h"
#include "yat/sensor_sink.h"
#include "null_sink.h"

extern char** environ;  // NOLINT: the process's environment, handed to the child

namespace {

using yatbench::NullSink;

// Resident set size in KiB: all of it, and its anonymous part (heap, stacks, buffers). The rest is
// mapped files, mostly code, which the kernel maps up to 64 KiB at a time around each page first run,
// so that part of the growth moves in steps with where the code that runs happens to lie.
struct Resident {
    int64_t total = 0;
    int64_t anonymous = 0;
};
Resident residentKiB() {
    Resident resident;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) resident.total = std::atoll(line.c_str() + 6);
        if (line.rfind("RssAnon:", 0) == 0) resident.anonymous = std::atoll(line.c_str() + 8);
    }
    return resident;
}

// The default scenario's nodes repeated up to eight.
yatsim::Scenario eightNodes() {
    yatsim::Scenario scenario = yatsim::defaultScenario();
    const size_t given = scenario.nodes.size();
    while (scenario.nodes.size() < 8) scenario.nodes.push_back(scenario.nodes[scenario.nodes.size() % given]);
    return scenario;
}

// In the child: open (openLibrary, as a host does), discover, read every sensor a few times; returns the growth in KiB.
Resident measureChild(int mode) {
    auto dir = std::filesystem::temp_directory_path() / ("yat-bench-memory-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    RuntimeSettings settings = runtimeSettings();
    settings.logDir = dir.string();
    settings.logEnabled = mode != 0;
    settings.logSync = mode == 2;
    setRuntimeSettings(settings);
    yatsim::SimBusComm comm(eightNodes());
    NullSink sink;
    Resident before = residentKiB();
    Resident growth{-1, -1};
    cLibYAT* lib = nullptr;
    if (openLibrary(&lib, &comm) == ERR_SUCCESS && lib != nullptr) {
        lib->initSensors(&sink);
        int32_t reading = 0;
        for (int round = 0; round < 20; ++round) {
            for (int32_t node = 1; node <= 8; ++node) {
                for (int32_t sensor = 1; sensor <= 6; ++sensor) (void)lib->getSensorReading(1, node, sensor, &reading);
            }
        }
        flushLog();
        Resident after = residentKiB();
        growth = {after.total - before.total, after.anonymous - before.anonymous};
        (void)closeLibrary();
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return growth;
}

void BM_OpenAndDiscoverResidentGrowth(benchmark::State& state) {
    if (const char* childMode = std::getenv("YAT_BENCH_MEMORY_CHILD")) {
        // The child: measure, say the figure and end before any other benchmark runs.
        Resident growth = measureChild(std::atoi(childMode));
        std::printf("\ngrowth=%lld anonymous=%lld\n", static_cast<long long>(growth.total),
                    static_cast<long long>(growth.anonymous));
        std::fflush(stdout);
        _exit(0);
    }
    const std::string mode = std::to_string(state.range(0));
    int64_t growth = -1;
    int64_t anonymous = -1;
    for (auto _ : state) {
        int pipes[2];
        if (pipe(pipes) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipes[0]);
        std::string variable = "YAT_BENCH_MEMORY_CHILD=" + mode;
        std::vector<char*> env;
        for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
        env.push_back(variable.data());
        env.push_back(nullptr);
        char self[] = "/proc/self/exe";
        char filter[] = "--benchmark_filter=BM_OpenAndDiscoverResidentGrowth";
        char* argv[] = {self, filter, nullptr};
        pid_t child = 0;
        int spawned = posix_spawn(&child, self, &actions, nullptr, argv, env.data());
        posix_spawn_file_actions_destroy(&actions);
        close(pipes[1]);
        std::string out;
        char buffer[64];
        for (ssize_t n; (n = read(pipes[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
        close(pipes[0]);
        if (spawned != 0) {
            state.SkipWithError("no child");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        size_t at = out.find("growth=");
        growth = at == std::string::npos ? -1 : std::atoll(out.c_str() + at + 7);
        size_t anonAt = out.find("anonymous=");
        anonymous = anonAt == std::string::npos ? -1 : std::atoll(out.c_str() + anonAt + 10);
    }
    state.counters["growthKiB"] = static_cast<double>(growth);
    state.counters["anonymousGrowthKiB"] = static_cast<double>(anonymous);
}
BENCHMARK(BM_OpenAndDiscoverResidentGrowth)
    ->ArgName("log")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
