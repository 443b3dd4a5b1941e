// The log's costs. log:1 buffers the entry for the writer thread, log:2 formats and writes it on the
// caller's thread (YAT_LOG=sync).
//
// - callerCost: what one entry costs the thread that logs it, with 1, 2 and 4 threads, for a checked
//   text (raw arguments, formatted by the writer) and a printf-style entry (formatted by the caller,
//   buffered as finished text). Each iteration times a burst of kBurst entries, which fits in the
//   thread's buffer, and then waits untimed for the writer to take them; medianNs is one thread's
//   time per entry in its median burst (the burst's time over kBurst; with several threads the mean
//   of the threads' medians). A burst the scheduler interrupted moves the mean, not the median.
//   callerCostPlaced times one thread with the writer kept to the caller's processor or to another.
// - writerThroughput: lines the writer formats and writes per second when one thread logs without
//   pause (the caller waits for room whenever its buffer is full, so the writer sets the rate), and
//   per second of the writer's own processor time (the figure a shared, loaded machine distorts least).
// - endToEndLatency: from the call to the line being in the file (the file's size seen to grow), for
//   an entry after a pause of over a second (the writer asleep: the entry wakes it). While entries
//   keep coming the writer gathers them for up to 50 ms, as the log's durability promise allows.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <vector>

#include "bench/cpu_time.h"
#include "bench/log_setup.h"
#include "platform/log.h"
#include "platform/log_file.h"
#include "platform/log_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr yat::LogText<int, int, int> kReadingText{"sensor [%d] reading [%d] status [%d]"};
constexpr const char* kTag = "cLibYAT::getSensorReading";
constexpr int kBurst = 64;

std::unique_ptr<yatbench::LogSetup> setup;

void openLog(const benchmark::State& state) {
    setup = std::make_unique<yatbench::LogSetup>(static_cast<int>(state.range(0)));
}
void closeLogSetup(const benchmark::State&) { setup.reset(); }

template <class Log>
void timeBursts(benchmark::State& state, Log log) {
    int32_t n = 0;
    std::vector<double> perEntry;
    perEntry.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        auto start = Clock::now();
        for (int i = 0; i < kBurst; ++i) log(++n);
        auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        perEntry.push_back(elapsed / kBurst * 1e9);
        flushLog();
    }
    // The median burst's time per entry: a burst the scheduler interrupted does not move it.
    std::nth_element(perEntry.begin(), perEntry.begin() + static_cast<ptrdiff_t>(perEntry.size() / 2), perEntry.end());
    state.counters["medianNs"] = benchmark::Counter(perEntry[perEntry.size() / 2], benchmark::Counter::kAvgThreads);
}

void callerCostChecked(benchmark::State& state) {
    timeBursts(state, [](int32_t n) { yatLog(kTag, kReadingText, 3, n, 0); });
}
void callerCostPrintf(benchmark::State& state) {
    timeBursts(state, [](int32_t n) { yatLog(kTag, "sensor [%d] reading [%d] status [%d]", 3, n, 0); });
}

#define YAT_CALLER_COST(name)     \
    BENCHMARK(name)               \
        ->ArgName("log")          \
        ->Arg(1)                  \
        ->Arg(2)                  \
        ->Setup(openLog)          \
        ->Teardown(closeLogSetup) \
        ->Threads(1)              \
        ->Threads(2)              \
        ->Threads(4)              \
        ->UseManualTime()         \
        ->Iterations(2000)        \
        ->Unit(benchmark::kMicrosecond)
YAT_CALLER_COST(callerCostChecked);
YAT_CALLER_COST(callerCostPrintf);

// The caller's cost with the writer placed: placement 1 on the caller's processor, 2 on another one
// (left to the scheduler, a run gets either, and keeps it). A new thread runs on its creator's
// processors, so a helper kept to the chosen processor logs the first entry, which starts the writer;
// the caller keeps to processor 0 while it is timed.
void placeWriter(const benchmark::State& state) {
    openLog(state);
    cpu_set_t writerCpus;
    CPU_ZERO(&writerCpus);
    CPU_SET(state.range(1) == 1 ? 0 : 1, &writerCpus);
    std::thread starter([&] {
        pthread_setaffinity_np(pthread_self(), sizeof writerCpus, &writerCpus);
        yatLog(kTag, kReadingText, 0, 0, 0);
    });
    starter.join();
    flushLog();
}

void callerCostPlaced(benchmark::State& state) {
    if (std::thread::hardware_concurrency() < 2) {
        state.SkipWithError("needs two processors");
        return;
    }
    cpu_set_t saved;
    pthread_getaffinity_np(pthread_self(), sizeof saved, &saved);
    cpu_set_t first;
    CPU_ZERO(&first);
    CPU_SET(0, &first);
    pthread_setaffinity_np(pthread_self(), sizeof first, &first);
    callerCostChecked(state);
    pthread_setaffinity_np(pthread_self(), sizeof saved, &saved);
}
BENCHMARK(callerCostPlaced)
    ->ArgNames({"log", "writer"})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Setup(placeWriter)
    ->Teardown(closeLogSetup)
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

using yatbench::cpuSeconds;

void writerThroughput(benchmark::State& state) {
    yatbench::LogSetup log(static_cast<int>(state.range(0)));
    constexpr int kLines = 200000;
    int64_t lines = 0;
    uint64_t waits = logQueueWaits();
    double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    double caller = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (auto _ : state) {
        for (int i = 0; i < kLines; ++i) yatLog(kTag, kReadingText, 3, i, 0);
        flushLog();
        lines += kLines;
    }
    // The writer's processor time: the process's less the caller's (no other thread runs).
    double writer = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process) - (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - caller);
    state.SetItemsProcessed(lines);
    state.counters["waits"] = static_cast<double>(logQueueWaits() - waits);
    if (state.range(0) == 1) state.counters["linesPerWriterCpuSecond"] = static_cast<double>(lines) / writer;
}
BENCHMARK(writerThroughput)->ArgName("log")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void endToEndLatency(benchmark::State& state) {
    yatbench::LogSetup log(static_cast<int>(state.range(0)));
    const std::filesystem::path file = yat::logPathFor(kLogFileName);
    int32_t n = 0;
    for (auto _ : state) {
        std::error_code error;
        auto before = std::filesystem::file_size(file, error);
        auto start = Clock::now();
        yatLog(kTag, kReadingText, 3, ++n, 0);
        while (std::filesystem::file_size(file, error) == before)
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the writer goes to sleep again
    }
}
BENCHMARK(endToEndLatency)
    ->ArgName("log")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
