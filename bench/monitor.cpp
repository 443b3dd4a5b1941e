// Monitoring benchmarks over the simulator's default two-node scenario (sleep scale 1 unless said):
// - one DASD event from injection to the host's reportSensor (no fixed wait on its path), logging on
//   and off;
// - deRegisterForAsynchEvents (its stated 2000 ms wait included);
// - idle monitoring: process CPU time of the library's threads over 60 s with the polling interval at
//   its real 20 s (counter "cpu_percent" = percent of one core).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "frame/libyat.h"
#include "cpu_time.h"
#include "log_setup.h"
#include "platform/runtime.h"
#include "sim/sim_bus_comm.h"
#include "yat/sensor_sink.h"

namespace {

class CountingSink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t sensorClass, int32_t, int32_t, void*, void*, void*, int32_t code,
                         const char*) override {
        if (sensorClass == 5 && code == 37) dasd.fetch_add(1, std::memory_order_release);
        return 0;
    }
    int32_t addRegistryText(const char*, const char*) override { return 0; }
    int32_t findRegistryText(const char*) override { return 0; }
    std::atomic<uint64_t> dasd{0};
};

double processCpuSeconds() { return yatbench::cpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }

// The library opened over the default scenario, discovery done, monitoring on.
struct Monitored {
    explicit Monitored(bool logging) : log(logging) {
        openLibrary(&lib, &comm);
        lib->initSensors(&sink);
        lib->registerForAsynchEvents(&sink);
        while (!comm.waiting(0) || !comm.waiting(1)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Monitored() {
        lib->deRegisterForAsynchEvents();
        closeLibrary();
    }
    yatbench::LogSetup log;
    yatsim::SimBusComm comm;
    CountingSink sink;
    cLibYAT* lib = nullptr;
};

// Argument: 1 logging on, 0 off.
void BM_EventToReport(benchmark::State& state) {
    Monitored monitored(state.range(0) != 0);
    yatsim::SimEvent dasd = yatsim::makeEvent(0x0B, {1, 3});
    for (auto _ : state) {
        uint64_t before = monitored.sink.dasd.load(std::memory_order_acquire);
        monitored.comm.injectEvent(0, dasd);
        // Yields so the waiting leaves the cores to the library's threads (two cores here).
        while (monitored.sink.dasd.load(std::memory_order_acquire) == before) std::this_thread::yield();
    }
}
BENCHMARK(BM_EventToReport)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Deregister(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            Monitored monitored(false);
            state.ResumeTiming();
            monitored.lib->deRegisterForAsynchEvents();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Deregister)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_IdleMonitoring(benchmark::State& state) {
    for (auto _ : state) {
        Monitored monitored(true);
        double start = processCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(60));
        double used = processCpuSeconds() - start;
        state.counters["cpu_percent"] = used / 60.0 * 100.0;
    }
}
BENCHMARK(BM_IdleMonitoring)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
