// One log append (format, time stamp, serialised write), from one thread and from two at once.
// With two threads the reported real time is per append of either thread, lock waits included.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/log_setup.h"
#include "platform/log.h"

namespace {

std::unique_ptr<yatbench::LogSetup> setup;

void openLog(const benchmark::State&) { setup = std::make_unique<yatbench::LogSetup>(true); }
void closeLogSetup(const benchmark::State&) { setup.reset(); }

void logAppend(benchmark::State& state) {
    int32_t n = 0;
    for (auto _ : state) yatLog("cLibYAT::getSensorReading", "sensor [%d] reading [%d] status [%d]", 3, ++n, 0);
}
BENCHMARK(logAppend)->Setup(openLog)->Teardown(closeLogSetup)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace
