// Sensor benchmarks: queries answered from the model (one thread; two readers against a writer), and
// discovery of the default two-node server with the SP answering at once and with 1 ms per command.
//
// The SP is the simulator with its default scenario (two nodes, each with temperatures, voltages,
// fans and two power supplies). Logging is switched per benchmark; the log goes to a
// temporary folder.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "frame/libyat.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "sensors/sensor_classes.h"
#include "sim/sim_bus_comm.h"
#include "yat/sensor_sink.h"
#include "cpu_time.h"
#include "null_sink.h"

namespace {

// A sink that forgets every report and keeps the registry texts discovery adds, as a host does.
using yatbench::NullSink;

// A comm device whose answers arrive `latency` after the request (an exact wait: a short sleep, then
// spinning to the deadline, so the device itself adds no error to the measurement).
class LatencyComm final : public cBusComm {
public:
    LatencyComm(cBusComm& inner, std::chrono::microseconds latency) : inner_(inner), latency_(latency) {
        setDeviceID(99);
    }
    uint32_t sendCommand(int32_t node, uint8_t* buffer) override {
        auto start = std::chrono::steady_clock::now();
        auto deadline = start + latency_;
        uint32_t result = inner_.sendCommand(node, buffer);
        auto spinFrom = deadline - kSpin;
        if (std::chrono::steady_clock::now() < spinFrom) std::this_thread::sleep_until(spinFrom);
        auto now = std::chrono::steady_clock::now();
        while (now < deadline) now = std::chrono::steady_clock::now();
        commands_.fetch_add(1, std::memory_order_relaxed);
        inside_ += now - start;
        return result;
    }
    uint32_t getNodeCount() override { return inner_.getNodeCount(); }
    int64_t commands() const { return commands_.load(); }
    // Time spent inside sendCommand (latency plus any overshoot of the wait).
    double insideSeconds() const { return std::chrono::duration<double>(inside_).count(); }
    void reset() {
        commands_.store(0);
        inside_ = {};
    }

private:
    static constexpr std::chrono::microseconds kSpin{400};
    cBusComm& inner_;
    std::chrono::microseconds latency_;
    std::atomic<int64_t> commands_{0};
    std::chrono::steady_clock::duration inside_{};
};

// Logging: 0 off, 1 queued to the writer thread, 2 written on the caller's thread (YAT_LOG=sync, the
// way every entry was written before the queue). The library's progress lines (a fan reading that
// failed, and the like) go where YAT_STDOUT=log puts them: into the log while it is on. On standard
// output, the default, each line is a write and a flush of its own, some 4 µs here, which measures the
// terminal or pipe more than the library; BM_Discovery's progress_stdout case shows that cost.
void setLogging(int mode, StdoutMode progress = StdoutMode::Log) {
    static const std::string dir = [] {
        auto path = std::filesystem::temp_directory_path() / "yat-bench-sensors";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    RuntimeSettings settings = runtimeSettings();
    settings.logDir = dir;
    settings.logEnabled = mode != 0;
    settings.logSync = mode == 2;
    settings.stdoutMode = progress;
    setRuntimeSettings(settings);
    closeLog();
    initLog(kLogFileName);
}

// Sends the process's standard output to /dev/null while it lives (when on).
class StdoutToNull {
public:
    explicit StdoutToNull(bool on) {
        if (!on) return;
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~StdoutToNull() {
        if (saved_ < 0) return;
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    StdoutToNull(const StdoutToNull&) = delete;
    StdoutToNull& operator=(const StdoutToNull&) = delete;

private:
    int saved_ = -1;
};

// The library with the default server discovered, shared by the query benchmarks.
struct Discovered {
    yatsim::SimBusComm comm;
    NullSink sink;
    std::unique_ptr<cLibYAT> lib;
    Discovered() {
        setLogging(0);
        lib = std::make_unique<cLibYAT>(&comm);
        lib->initSensors(&sink);
    }
};

Discovered& discovered() {
    static Discovered instance;
    return instance;
}

void readingSetup(const benchmark::State& state) {
    discovered();
    setLogging(static_cast<int>(state.range(0)));
}
void readingTeardown(const benchmark::State&) { setLogging(0); }

void BM_GetSensorReading(benchmark::State& state) {
    Discovered& d = discovered();
    int32_t reading = 0;
    int32_t sensor = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.lib->getSensorReading(1, 1 + (sensor & 1), 1 + (sensor % 6), &reading));
        ++sensor;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetSensorReading)
    ->ArgName("log")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Setup(readingSetup)
    ->Teardown(readingTeardown)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();

// Two reader threads while a third rewrites temperature records as fast as it can.
std::atomic<bool> writerStop{false};
std::thread writer;
std::atomic<int64_t> rewrites{0};

void startWriter(const benchmark::State&) {
    discovered();
    setLogging(0);
    writerStop.store(false);
    rewrites.store(0);
    writer = std::thread([] {
        cTempInstance* temps = cTempInstance::acquireInstance();
        int32_t k = 0;
        while (!writerStop.load(std::memory_order_relaxed)) {
            (void)temps->instances().update(1 + (k & 1), 1 + (k % 6),
                                            [k](SensorRecord& record) { record.reading = k; });
            ++k;
            rewrites.fetch_add(1, std::memory_order_relaxed);
        }
        cTempInstance::releaseInstance();
    });
}

void stopWriter(const benchmark::State&) {
    writerStop.store(true);
    if (writer.joinable()) writer.join();
}

void BM_GetSensorReadingWhileWriting(benchmark::State& state) {
    Discovered& d = discovered();
    int32_t reading = 0;
    int32_t sensor = static_cast<int32_t>(state.thread_index());
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.lib->getSensorReading(1, 1 + (sensor & 1), 1 + (sensor % 6), &reading));
        ++sensor;
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) state.counters["rewrites"] = static_cast<double>(rewrites.load());
}
BENCHMARK(BM_GetSensorReadingWhileWriting)->Threads(2)->Setup(startWriter)->Teardown(stopWriter)->UseRealTime();

// Discovery of both nodes, the SP answering at once or after 1 ms per command. Per command:
// libraryMicrosPerCommand, the wall time spent outside the comm device (the library's own work);
// with the SP answering at once, libraryCpuMicrosPerCommand, the calling thread's processor time
// outside the device (the device's time is its own processor time then), free of the wake-ups a
// sleeping wait costs and of the writer thread's work. overheadPercent: the wall time over
// (commands x latency). Between discoveries, untimed, the log writer empties the buffers: a discovery's
// some 3,000 lines fit in them, so the writer keeps up as it does when the SP takes any time at all
// (back to back without a pause the callers would wait for the writer, whose rate bench_log shows).
// progress_stdout: the progress lines on standard output, the default, here sent to /dev/null (as a
// daemon's are): the cost of a write per line without a terminal's.
void BM_Discovery(benchmark::State& state, int latencyMicros, int logging, StdoutMode progress = StdoutMode::Log) {
    yatsim::SimBusComm inner;
    LatencyComm comm(inner, std::chrono::microseconds(latencyMicros));
    setLogging(0);
    cLibYAT lib(&comm);
    setLogging(logging, progress);
    StdoutToNull quiet(progress == StdoutMode::On);
    int64_t commands = 0;
    double seconds = 0;
    double inside = 0;
    double cpu = 0;
    for (auto _ : state) {
        NullSink sink;
        comm.reset();
        double cpuStart = yatbench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        auto start = std::chrono::steady_clock::now();
        lib.initSensors(&sink);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += yatbench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
        commands += comm.commands();
        inside += comm.insideSeconds();
        state.PauseTiming();
        flushLog();
        state.ResumeTiming();
    }
    setLogging(0);
    const auto perCommand = [&](double value) { return value / static_cast<double>(commands); };
    state.counters["commandsPerNode"] = static_cast<double>(commands) / static_cast<double>(state.iterations()) / 2;
    state.counters["libraryMicrosPerCommand"] = perCommand(seconds - inside) * 1e6;
    if (latencyMicros == 0) state.counters["libraryCpuMicrosPerCommand"] = perCommand(cpu - inside) * 1e6;
    if (latencyMicros > 0)
        state.counters["overheadPercent"] = 100.0 * (perCommand(seconds) * 1e6 / latencyMicros - 1.0);
}
BENCHMARK_CAPTURE(BM_Discovery, at_once_log_off, 0, 0)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Discovery, at_once_log_on, 0, 1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Discovery, at_once_log_sync, 0, 2)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Discovery, at_once_log_on_progress_stdout, 0, 1, StdoutMode::On)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Discovery, latency_1ms_log_off, 1000, 0)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Discovery, latency_1ms_log_on, 1000, 1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
