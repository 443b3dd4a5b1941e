// One log append on the caller's thread (format, time stamp, queueing), from one thread and from two
// at once; log:1 queues to the writer thread, log:2 writes synchronously (YAT_LOG=sync, the old way).
// With two threads the reported real time is per append of either thread, lock waits included.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/log_setup.h"
#include "platform/log.h"

namespace {

std::unique_ptr<yatbench::LogSetup> setup;

void openLog(const benchmark::State& state) {
    setup = std::make_unique<yatbench::LogSetup>(static_cast<int>(state.range(0)));
}
void closeLogSetup(const benchmark::State&) { setup.reset(); }

void logAppend(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state) yatLog("cLibYAT::getSensorReading", "sensor [%d] reading [%d] status [%d]", 3, ++n, 0);
}
BENCHMARK(logAppend)
    ->ArgName("log")
    ->Arg(1)
    ->Arg(2)
    ->Setup(openLog)
    ->Teardown(closeLogSetup)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();

}  // namespace
